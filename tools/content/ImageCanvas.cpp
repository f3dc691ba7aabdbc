// Canvas drawing, noise, text and PNG output of the content tool.
#include "tools/content/ImageCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <stb_image_write.h>
#include <stb_truetype.h>

#include "tools/content/Content.h"

// ---------------------------------------------------------------- colours

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

Rgba Scaled(const Rgba& c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

Rgba Hex(uint32_t rgb, float alpha) {
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f,
            alpha};
}

// ---------------------------------------------------------------- canvas

Canvas::Canvas(int width, int height, Rgba fill)
    : w_(width), h_(height), px_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Blend(int x, int y, const Rgba& c, float coverage) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    float sa = std::clamp(c.a * coverage, 0.0f, 1.0f);
    if (sa <= 0.0f) return;
    Rgba& d = At(x, y);
    float outA = sa + d.a * (1.0f - sa);
    if (outA <= 0.0f) {
        d = {};
        return;
    }
    auto ch = [&](float s, float dd) { return (s * sa + dd * d.a * (1.0f - sa)) / outA; };
    d = {ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), outA};
}

void Canvas::Shade(const std::function<Rgba(float, float)>& f) {
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) At(x, y) = f(x + 0.5f, y + 0.5f);
}

void Canvas::DrawSdf(float x0, float y0, float x1, float y1,
                     const std::function<float(float, float)>& sdf,
                     const std::function<Rgba(float, float)>& colour) {
    int ix0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    int iy0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    int ix1 = std::min(w_, static_cast<int>(std::ceil(x1)) + 1);
    int iy1 = std::min(h_, static_cast<int>(std::ceil(y1)) + 1);
    for (int y = iy0; y < iy1; ++y) {
        for (int x = ix0; x < ix1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float cov = std::clamp(0.5f - sdf(px, py), 0.0f, 1.0f);
            if (cov > 0.0f) Blend(x, y, colour(px, py), cov);
        }
    }
}

namespace {

float RoundRectSdf(float px, float py, float x0, float y0, float x1, float y1, float r) {
    float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    float hx = (x1 - x0) * 0.5f - r, hy = (y1 - y0) * 0.5f - r;
    float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
    float dx = x1 - x0, dy = y1 - y0;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0f, 1.0f) : 0.0f;
    float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

void Canvas::FillRect(float x0, float y0, float x1, float y1, const Rgba& c) {
    FillRoundRect(x0, y0, x1, y1, 0.0f, c);
}

void Canvas::FillRoundRect(float x0, float y0, float x1, float y1, float radius, const Rgba& c) {
    DrawSdf(x0, y0, x1, y1,
            [&](float x, float y) { return RoundRectSdf(x, y, x0, y0, x1, y1, radius); },
            [&](float, float) { return c; });
}

void Canvas::StrokeRoundRect(float x0, float y0, float x1, float y1, float radius, float width,
                             const Rgba& c) {
    float hw = width * 0.5f;
    DrawSdf(x0 - hw, y0 - hw, x1 + hw, y1 + hw,
            [&](float x, float y) {
                return std::fabs(RoundRectSdf(x, y, x0, y0, x1, y1, radius)) - hw;
            },
            [&](float, float) { return c; });
}

void Canvas::FillCircle(float cx, float cy, float r, const Rgba& c) {
    DrawSdf(cx - r, cy - r, cx + r, cy + r,
            [&](float x, float y) { return std::hypot(x - cx, y - cy) - r; },
            [&](float, float) { return c; });
}

void Canvas::StrokeCircle(float cx, float cy, float r, float width, const Rgba& c) {
    float hw = width * 0.5f;
    DrawSdf(cx - r - hw, cy - r - hw, cx + r + hw, cy + r + hw,
            [&](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r) - hw; },
            [&](float, float) { return c; });
}

void Canvas::Line(float x0, float y0, float x1, float y1, float width, const Rgba& c) {
    float hw = width * 0.5f;
    DrawSdf(std::min(x0, x1) - hw, std::min(y0, y1) - hw, std::max(x0, x1) + hw,
            std::max(y0, y1) + hw,
            [&](float x, float y) { return SegmentDistance(x, y, x0, y0, x1, y1) - hw; },
            [&](float, float) { return c; });
}

void Canvas::FillPolygon(const std::vector<std::pair<float, float>>& pts, const Rgba& c) {
    if (pts.size() < 3) return;
    float x0 = pts[0].first, x1 = x0, y0 = pts[0].second, y1 = y0;
    for (const auto& p : pts) {
        x0 = std::min(x0, p.first);
        x1 = std::max(x1, p.first);
        y0 = std::min(y0, p.second);
        y1 = std::max(y1, p.second);
    }
    auto sdf = [&](float x, float y) {
        float d = 1e30f;
        bool inside = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const auto& a = pts[i];
            const auto& b = pts[j];
            d = std::min(d, SegmentDistance(x, y, a.first, a.second, b.first, b.second));
            if ((a.second > y) != (b.second > y) &&
                x < (b.first - a.first) * (y - a.second) / (b.second - a.second) + a.first)
                inside = !inside;
        }
        return inside ? -d : d;
    };
    DrawSdf(x0, y0, x1, y1, sdf, [&](float, float) { return c; });
}

void Canvas::Draw(const Canvas& src, int x, int y, float opacity) {
    for (int j = 0; j < src.Height(); ++j)
        for (int i = 0; i < src.Width(); ++i) Blend(x + i, y + j, src.At(i, j), opacity);
}

std::vector<uint8_t> Canvas::ToRgba8() const {
    std::vector<uint8_t> out(px_.size() * 4);
    auto q = [](float v) {
        return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    };
    for (size_t i = 0; i < px_.size(); ++i) {
        const Rgba& p = px_[i];
        bool clear = p.a <= 0.5f / 255.0f;
        // fully transparent pixels get black rgb so equal images give equal bytes
        out[i * 4 + 0] = clear ? 0 : q(p.r);
        out[i * 4 + 1] = clear ? 0 : q(p.g);
        out[i * 4 + 2] = clear ? 0 : q(p.b);
        out[i * 4 + 3] = q(p.a);
    }
    return out;
}

bool Canvas::Save(const std::string& path) const { return WritePng(path, w_, h_, ToRgba8()); }

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * 4) {
        std::fprintf(stderr, "gv_content: %s: bad image size\n", path.c_str());
        return false;
    }
    stbi_write_png_compression_level = 9;
    stbi_write_force_png_filter = -1;
    if (!stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4)) {
        std::fprintf(stderr, "gv_content: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- masks

Mask Dilate(const Mask& m, float radius) {
    Mask out{m.w, m.h, std::vector<float>(m.v.size(), 0.0f)};
    int r = static_cast<int>(std::ceil(radius)) + 1;
    std::vector<std::pair<int, int>> offsets;
    std::vector<float> weights;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            float w = std::clamp(radius + 0.5f - std::hypot(float(dx), float(dy)), 0.0f, 1.0f);
            if (w > 0.0f) {
                offsets.push_back({dx, dy});
                weights.push_back(w);
            }
        }
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float best = 0.0f;
            for (size_t k = 0; k < offsets.size() && best < 1.0f; ++k)
                best = std::max(best, m.At(x + offsets[k].first, y + offsets[k].second) * weights[k]);
            out.v[static_cast<size_t>(y) * m.w + x] = best;
        }
    return out;
}

Mask Blur(const Mask& m, int radius) {
    if (radius <= 0) return m;
    Mask cur = m;
    for (int pass = 0; pass < 2; ++pass) {
        Mask tmp{m.w, m.h, std::vector<float>(m.v.size(), 0.0f)};
        float inv = 1.0f / (2 * radius + 1);
        for (int y = 0; y < m.h; ++y)
            for (int x = 0; x < m.w; ++x) {
                float s = 0;
                for (int k = -radius; k <= radius; ++k) s += cur.At(x + k, y);
                tmp.v[static_cast<size_t>(y) * m.w + x] = s * inv;
            }
        for (int y = 0; y < m.h; ++y)
            for (int x = 0; x < m.w; ++x) {
                float s = 0;
                for (int k = -radius; k <= radius; ++k) s += tmp.At(x, y + k);
                cur.v[static_cast<size_t>(y) * m.w + x] = s * inv;
            }
    }
    return cur;
}

// ---------------------------------------------------------------- fonts

bool Font::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    info_.assign(sizeof(stbtt_fontinfo), 0);
    auto* info = reinterpret_cast<stbtt_fontinfo*>(info_.data());
    return !data_.empty() &&
           stbtt_InitFont(info, data_.data(), stbtt_GetFontOffsetForIndex(data_.data(), 0)) != 0;
}

namespace {

const stbtt_fontinfo* Info(const std::vector<unsigned char>& storage) {
    return storage.empty() ? nullptr : reinterpret_cast<const stbtt_fontinfo*>(storage.data());
}

// ASCII text is all the pictures use; other bytes are skipped.
std::vector<int> Codepoints(const std::string& text) {
    std::vector<int> cps;
    for (unsigned char ch : text)
        if (ch >= 32 && ch < 127) cps.push_back(ch);
    return cps;
}

}  // namespace

float Font::Measure(const std::string& text, float pixelHeight) const {
    const stbtt_fontinfo* info = Info(info_);
    if (!info) return 0.0f;
    float scale = stbtt_ScaleForPixelHeight(info, pixelHeight);
    std::vector<int> cps = Codepoints(text);
    float x = 0;
    for (size_t i = 0; i < cps.size(); ++i) {
        int adv, lsb;
        stbtt_GetCodepointHMetrics(info, cps[i], &adv, &lsb);
        x += adv * scale;
        if (i + 1 < cps.size()) x += scale * stbtt_GetCodepointKernAdvance(info, cps[i], cps[i + 1]);
    }
    return x;
}

float Font::Ascent(float pixelHeight) const {
    const stbtt_fontinfo* info = Info(info_);
    if (!info) return 0.0f;
    int a, d, g;
    stbtt_GetFontVMetrics(info, &a, &d, &g);
    return a * stbtt_ScaleForPixelHeight(info, pixelHeight);
}

float Font::Descent(float pixelHeight) const {
    const stbtt_fontinfo* info = Info(info_);
    if (!info) return 0.0f;
    int a, d, g;
    stbtt_GetFontVMetrics(info, &a, &d, &g);
    return -d * stbtt_ScaleForPixelHeight(info, pixelHeight);
}

void Font::Render(Mask& mask, const std::string& text, float pixelHeight, float x0,
                  float baseline) const {
    const stbtt_fontinfo* info = Info(info_);
    if (!info) return;
    float scale = stbtt_ScaleForPixelHeight(info, pixelHeight);
    std::vector<int> cps = Codepoints(text);
    float x = x0;
    for (size_t i = 0; i < cps.size(); ++i) {
        int adv, lsb;
        stbtt_GetCodepointHMetrics(info, cps[i], &adv, &lsb);
        float fx = x - std::floor(x), fy = baseline - std::floor(baseline);
        int bx0, by0, bx1, by1;
        stbtt_GetCodepointBitmapBoxSubpixel(info, cps[i], scale, scale, fx, fy, &bx0, &by0, &bx1, &by1);
        int gw = bx1 - bx0, gh = by1 - by0;
        if (gw > 0 && gh > 0) {
            std::vector<unsigned char> glyph(static_cast<size_t>(gw) * gh);
            stbtt_MakeCodepointBitmapSubpixel(info, glyph.data(), gw, gh, gw, scale, scale, fx, fy,
                                              cps[i]);
            int ox = static_cast<int>(std::floor(x)) + bx0;
            int oy = static_cast<int>(std::floor(baseline)) + by0;
            for (int gy = 0; gy < gh; ++gy)
                for (int gx = 0; gx < gw; ++gx) {
                    int mx = ox + gx, my = oy + gy;
                    if (mx < 0 || my < 0 || mx >= mask.w || my >= mask.h) continue;
                    float& dst = mask.v[static_cast<size_t>(my) * mask.w + mx];
                    dst = std::min(1.0f, dst + glyph[static_cast<size_t>(gy) * gw + gx] / 255.0f);
                }
        }
        x += adv * scale;
        if (i + 1 < cps.size()) x += scale * stbtt_GetCodepointKernAdvance(info, cps[i], cps[i + 1]);
    }
}

bool ContentFonts::Load() {
    const std::string dir = "/usr/share/fonts/truetype/dejavu/";
    struct Entry {
        Font* font;
        const char* file;
    } entries[] = {{&sansBold, "DejaVuSans-Bold.ttf"},
                   {&serifBold, "DejaVuSerif-Bold.ttf"},
                   {&condensedBold, "DejaVuSansCondensed-Bold.ttf"}};
    for (const auto& e : entries) {
        if (!e.font->Load(dir + e.file)) {
            std::fprintf(stderr, "gv_content: cannot load font %s%s (package fonts-dejavu-core)\n",
                         dir.c_str(), e.file);
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------- text

namespace {

// Renders text with tracking into a mask with a margin for outline and shadow.
Mask TextMask(const Font& font, const std::string& text, float px, float tracking, int margin,
              float& baselineOut) {
    float width = font.Measure(text, px) + tracking * std::max<size_t>(text.size(), 1);
    float asc = font.Ascent(px), desc = font.Descent(px);
    Mask m;
    m.w = static_cast<int>(std::ceil(width)) + 2 * margin;
    m.h = static_cast<int>(std::ceil(asc + desc)) + 2 * margin;
    m.v.assign(static_cast<size_t>(m.w) * m.h, 0.0f);
    baselineOut = margin + asc;
    if (tracking == 0) {
        font.Render(m, text, px, static_cast<float>(margin), baselineOut);
    } else {
        float x = static_cast<float>(margin);
        for (char ch : text) {
            std::string one(1, ch);
            font.Render(m, one, px, x, baselineOut);
            x += font.Measure(one, px) + tracking;
        }
    }
    return m;
}

// Composites a text mask at (left, top) with gradient, outline and shadow.
void CompositeText(Canvas& c, const Mask& m, int left, int top, float capTop, float capBottom,
                   const TextStyle& s) {
    if (s.shadowDx != 0 || s.shadowDy != 0 || s.shadowBlur > 0) {
        Mask sh = s.outline > 0 ? Dilate(m, s.outline) : m;
        sh = Blur(sh, static_cast<int>(s.shadowBlur));
        int sx = left + static_cast<int>(std::lround(s.shadowDx));
        int sy = top + static_cast<int>(std::lround(s.shadowDy));
        for (int y = 0; y < m.h; ++y)
            for (int x = 0; x < m.w; ++x) c.Blend(sx + x, sy + y, s.shadowColour, sh.At(x, y));
    }
    if (s.outline > 0) {
        Mask ol = Dilate(m, s.outline);
        for (int y = 0; y < m.h; ++y)
            for (int x = 0; x < m.w; ++x) c.Blend(left + x, top + y, s.outlineColour, ol.At(x, y));
    }
    for (int y = 0; y < m.h; ++y) {
        float t = std::clamp((y + 0.5f - capTop) / std::max(capBottom - capTop, 1.0f), 0.0f, 1.0f);
        Rgba col = Mix(s.top, s.bottom, t);
        for (int x = 0; x < m.w; ++x) c.Blend(left + x, top + y, col, m.At(x, y));
    }
}

}  // namespace

void DrawText(Canvas& c, const Font& font, const std::string& text, float cx, float cy,
              TextStyle style, float maxWidth) {
    if (maxWidth > 0) {
        float w = font.Measure(text, style.pixelHeight) + style.tracking * text.size() +
                  2 * style.outline;
        if (w > maxWidth) {
            float k = maxWidth / w;
            style.pixelHeight *= k;
            style.tracking *= k;
        }
    }
    int margin = static_cast<int>(std::ceil(style.outline + style.shadowBlur * 2)) + 2;
    float baseline;
    Mask m = TextMask(font, text, style.pixelHeight, style.tracking, margin, baseline);
    // centre on the capitals: cap height is about 0.73 of the pixel height
    float cap = 0.73f * style.pixelHeight;
    float textW = m.w - 2.0f * margin;
    int left = static_cast<int>(std::lround(cx - textW * 0.5f)) - margin;
    int top = static_cast<int>(std::lround(cy + cap * 0.5f - baseline));
    CompositeText(c, m, left, top, baseline - cap, baseline, style);
}

float DrawTextLeft(Canvas& c, const Font& font, const std::string& text, float x, float cy,
                   const TextStyle& style) {
    int margin = static_cast<int>(std::ceil(style.outline + style.shadowBlur * 2)) + 2;
    float baseline;
    Mask m = TextMask(font, text, style.pixelHeight, style.tracking, margin, baseline);
    float cap = 0.73f * style.pixelHeight;
    int left = static_cast<int>(std::lround(x)) - margin;
    int top = static_cast<int>(std::lround(cy + cap * 0.5f - baseline));
    CompositeText(c, m, left, top, baseline - cap, baseline, style);
    return x + m.w - 2.0f * margin;
}

// ---------------------------------------------------------------- noise

float Hash01(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h *= 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x165667B1u;
    h ^= h >> 13;
    return (h & 0xFFFFFFu) / float(0x1000000);
}

namespace {
int Wrap(int v, int period) {
    if (period <= 0) return v;
    int r = v % period;
    return r < 0 ? r + period : r;
}
float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }
}  // namespace

float ValueNoise(float x, float y, int period, uint32_t seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float fx = Smooth(x - ix), fy = Smooth(y - iy);
    auto h = [&](int dx, int dy) { return Hash01(Wrap(ix + dx, period), Wrap(iy + dy, period), seed); };
    float a = h(0, 0) + (h(1, 0) - h(0, 0)) * fx;
    float b = h(0, 1) + (h(1, 1) - h(0, 1)) * fx;
    return a + (b - a) * fy;
}

float Fbm(float x, float y, int period, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise(x, y, period, seed + o * 101u);
        norm += amp;
        x *= 2;
        y *= 2;
        period *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

float CellNoise(float x, float y, int period, uint32_t seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float best = 10.0f;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            int cx = ix + dx, cy = iy + dy;
            float px = cx + Hash01(Wrap(cx, period), Wrap(cy, period), seed);
            float py = cy + Hash01(Wrap(cx, period), Wrap(cy, period), seed + 7u);
            best = std::min(best, std::hypot(px - x, py - y));
        }
    return best;
}
