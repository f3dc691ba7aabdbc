// Paints the stage textures: warm stone floor tiles, cream marble walls with a
// dark skirting and cornice, a coffered ceiling, dark pit stone, gunmetal
// trim, brass-ringed hook posts and marble ledge blocks. Everything comes
// from integer hashes, so the bytes are the same on every run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include <stb_image_write.h>

#include "tools/content/StageBuild.h"

namespace stagebuild {

namespace {

struct Rgb {
    float r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(const Rgb& a, float s) { return {a.r * s, a.g * s, a.b * s}; }

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

float Rand(uint32_t x, uint32_t y, uint32_t seed) { return (Hash(x, y, seed) & 0xffffff) / 16777215.0f; }

// Noise on an image of aspect w:h where the lattice tiles horizontally with
// `cellsX` cells and vertically with cellsX * h / w cells.
float Fbm2(int px, int py, int w, int h, int cellsX, uint32_t seed) {
    int cellsY = std::max(1, cellsX * h / w);
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < 4; ++o) {
        int cx = cellsX << o, cy = cellsY << o;
        float fx = float(px) * cx / w, fy = float(py) * cy / h;
        // tile each axis with its own period
        int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
        float tx = fx - x0, ty = fy - y0;
        auto at = [&](int ix, int iy) {
            return Rand(uint32_t(((ix % cx) + cx) % cx), uint32_t(((iy % cy) + cy) % cy), seed + o);
        };
        float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
        float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
        float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
        sum += amp * (a + (b - a) * sy);
        norm += amp;
        amp *= 0.5f;
    }
    return sum / norm;
}

// Thin marble veins: bright where a warped sine crosses zero.
float Veins(int px, int py, int w, int h, uint32_t seed) {
    float warp = Fbm2(px, py, w, h, 4, seed) * 9.0f;
    float s = std::sin((float(px) / w * 2.0f + float(py) / h * 1.0f) * 6.2831853f + warp);
    return std::pow(std::max(0.0f, 1.0f - std::fabs(s) * 6.0f), 2.0f);
}

class Image {
public:
    Image(int w, int h) : w_(w), h_(h), px_(size_t(w) * h * 3) {}
    void Fill(const std::function<Rgb(int, int)>& f) {
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                Rgb c = f(x, y);
                uint8_t* p = &px_[(size_t(y) * w_ + x) * 3];
                p[0] = To8(c.r);
                p[1] = To8(c.g);
                p[2] = To8(c.b);
            }
        }
    }
    bool Write(const std::string& path) const {
        if (!stbi_write_png(path.c_str(), w_, h_, 3, px_.data(), w_ * 3)) {
            std::fprintf(stderr, "gv_content: cannot write %s\n", path.c_str());
            return false;
        }
        return true;
    }
    int W() const { return w_; }
    int H() const { return h_; }

private:
    static uint8_t To8(float v) { return uint8_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }
    int w_, h_;
    std::vector<uint8_t> px_;
};

// 8 x 8 units: 2 x 2 warm sandstone tiles with grout and worn edges.
Image FloorTexture() {
    Image img(256, 256);
    const Rgb grout = {0.36f, 0.29f, 0.22f};
    const Rgb tones[4] = {{0.80f, 0.66f, 0.48f}, {0.76f, 0.61f, 0.44f}, {0.83f, 0.70f, 0.52f}, {0.78f, 0.64f, 0.47f}};
    img.Fill([&](int x, int y) {
        int tile = (x / 128) + 2 * (y / 128);
        int lx = x % 128, ly = y % 128;
        int edge = std::min({lx, ly, 127 - lx, 127 - ly});
        float n = Fbm2(x, y, 256, 256, 8, 11);
        float fine = Rand(uint32_t(x), uint32_t(y), 5) * 0.05f;
        Rgb c = Scale(tones[tile], 0.88f + 0.22f * n + fine);
        c = Mix(c, Scale(tones[tile], 1.08f), Veins(x, y, 256, 256, 21 + tile) * 0.25f);
        if (edge < 2) return grout;
        if (edge < 5) return Mix(grout, c, (edge - 1) / 4.0f);  // bevelled edge
        return c;
    });
    return img;
}

// 12 units wide, the full wall height tall (floor at the bottom row).
Image WallTexture() {
    Image img(256, 512);
    const float pxPerUnit = 512.0f / 24.0f;
    const Rgb marble = {0.90f, 0.86f, 0.78f};
    const Rgb skirting = {0.20f, 0.22f, 0.21f};
    const Rgb brass = {0.72f, 0.56f, 0.28f};
    img.Fill([&](int x, int y) {
        float height = (512 - y - 0.5f) / pxPerUnit;  // units above the floor
        float n = Fbm2(x, y, 256, 512, 4, 31);
        Rgb c = Scale(marble, 0.90f + 0.14f * n);
        c = Mix(c, {0.74f, 0.70f, 0.64f}, Veins(x, y, 256, 512, 37) * 0.45f);
        // faint panel joints every 6 units, a dado rail at 3.5
        int panelX = x % 128;
        if (panelX < 2) c = Scale(c, 0.82f);
        if (height > 3.4f && height < 3.6f) c = Mix(skirting, brass, 0.35f);
        if (height < 1.2f) {
            float sn = Fbm2(x, y, 256, 512, 8, 41);
            c = Scale(skirting, 0.85f + 0.3f * sn);
            if (height > 1.05f) c = brass;  // brass line on top of the skirting
        }
        if (height > 23.2f) {  // cornice band under the ceiling
            c = Scale(skirting, 1.1f + 0.2f * n);
            if (height < 23.35f) c = brass;
        }
        return c;
    });
    return img;
}

// 8 x 8 units: dark coffers with lighter ribs.
Image CeilingTexture() {
    Image img(128, 128);
    img.Fill([&](int x, int y) {
        int lx = x % 64, ly = y % 64;
        int edge = std::min({lx, ly, 63 - lx, 63 - ly});
        float n = Fbm2(x, y, 128, 128, 4, 51);
        Rgb coffer = Scale({0.24f, 0.22f, 0.21f}, 0.9f + 0.2f * n);
        Rgb rib = Scale({0.46f, 0.42f, 0.37f}, 0.9f + 0.2f * n);
        if (edge < 5) return rib;
        if (edge < 8) return Mix(rib, coffer, (edge - 4) / 4.0f);
        return coffer;
    });
    return img;
}

// 8 x 8 units of dark blue-black stone courses for the pit walls.
Image PitTexture() {
    Image img(128, 128);
    img.Fill([&](int x, int y) {
        int course = y / 32;
        int shift = (course % 2) * 32;
        int lx = (x + shift) % 64, ly = y % 32;
        float n = Fbm2(x, y, 128, 128, 8, 61);
        Rgb c = Scale({0.13f, 0.14f, 0.17f}, 0.8f + 0.4f * n + 0.1f * Rand(uint32_t(course), uint32_t((x + shift) / 64), 63));
        if (lx < 2 || ly < 2) c = {0.05f, 0.05f, 0.06f};
        return c;
    });
    return img;
}

// 2 x 2 units of brushed gunmetal with a bronze cast.
Image TrimTexture() {
    Image img(64, 64);
    img.Fill([&](int x, int y) {
        float streak = Fbm2(x, y * 8, 64, 512, 16, 71);
        return Scale({0.30f, 0.28f, 0.25f}, 0.85f + 0.3f * streak);
    });
    return img;
}

// 4 units around, the full height tall: dark bronze with bright brass rings,
// so hook posts read as "aim here" from across a room.
Image PostTexture() {
    Image img(64, 512);
    const float pxPerUnit = 512.0f / 24.0f;
    img.Fill([&](int x, int y) {
        float height = (512 - y - 0.5f) / pxPerUnit;
        float streak = Fbm2(x, y, 64, 512, 4, 81);
        Rgb c = Scale({0.22f, 0.17f, 0.12f}, 0.85f + 0.3f * streak);
        float ring = std::fmod(height, 4.0f);
        if (ring < 0.45f) c = Scale({0.86f, 0.68f, 0.30f}, 0.9f + 0.2f * streak);
        return c;
    });
    return img;
}

// 6 x 6 units of pale marble blocks, a metal edge along the top.
Image LedgeTexture() {
    Image img(128, 128);
    img.Fill([&](int x, int y) {
        int lx = x % 64, ly = y % 64;
        float n = Fbm2(x, y, 128, 128, 4, 91);
        Rgb c = Scale({0.82f, 0.80f, 0.76f}, 0.9f + 0.15f * n);
        c = Mix(c, {0.62f, 0.60f, 0.58f}, Veins(x, y, 128, 128, 93) * 0.5f);
        if (lx < 1 || ly < 1) c = Scale(c, 0.7f);
        if (y < 6) c = Scale({0.30f, 0.28f, 0.25f}, 0.9f + 0.2f * n);
        return c;
    });
    return img;
}

}  // namespace

const std::array<const char*, kMaterialCount>& StageTextureNames() {
    static const std::array<const char*, kMaterialCount> names = {
        "StageFloor.png", "StageWall.png", "StageCeiling.png", "StagePit.png",
        "StageTrim.png",  "StagePost.png", "StageLedge.png"};
    return names;
}

bool WriteStageTextures(const std::string& dir) {
    const auto& names = StageTextureNames();
    const Image images[kMaterialCount] = {FloorTexture(), WallTexture(), CeilingTexture(), PitTexture(),
                                          TrimTexture(),  PostTexture(), LedgeTexture()};
    bool ok = true;
    for (int i = 0; i < kMaterialCount; ++i) ok = images[i].Write(dir + "/" + names[i]) && ok;
    return ok;
}

}  // namespace stagebuild
