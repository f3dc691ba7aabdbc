// Draws a stage's top-down map for the design notes: floors, walls, pits,
// platforms and hook posts from the description; every object of the
// coordinate file with its label; and the beams as the checker traced them.
// North (+z, the start's view) is up.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include <stb_image_write.h>
#include <stb_truetype.h>

#include "game/SceneQueries.h"
#include "game/gimmick/Box.h"
#include "game/gimmick/Laser.h"
#include "game/player/OperationGuide.h"
#include "tools/content/StageBuild.h"

namespace stagebuild {

namespace {

using stagedesc::Area;
using stagedesc::Opening;
using stagedesc::OpeningKind;

constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct Col {
    uint8_t r, g, b;
};

const Col kVoid = {27, 29, 34};
const Col kFloorCol = {196, 168, 126};
const Col kWallCol = {70, 72, 78};
const Col kPitCol = {8, 8, 10};
const Col kPitEdge = {214, 170, 70};
const Col kPostCol = {150, 112, 50};
const Col kLedgeCol = {226, 222, 212};
const Col kText = {245, 245, 240};
const Col kDark = {20, 20, 24};
const Col kBoxCol = {150, 96, 48};
const Col kPushing = {240, 140, 40};
const Col kReturn = {70, 190, 90};
const Col kTime = {70, 140, 240};
const Col kLaser = {235, 40, 40};
const Col kWindowCol = {120, 220, 240};
const Col kGold = {250, 205, 60};
const Col kStart = {90, 230, 120};
const Col kPull = {255, 220, 80};

class Font {
public:
    bool Load(const char* path) {
        std::ifstream in(path, std::ios::binary);
        data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (data_.empty()) return false;
        const auto* bytes = reinterpret_cast<const unsigned char*>(data_.data());
        return stbtt_InitFont(&info_, bytes, stbtt_GetFontOffsetForIndex(bytes, 0)) != 0;
    }
    const stbtt_fontinfo& Info() const { return info_; }

private:
    std::vector<char> data_;
    stbtt_fontinfo info_{};
};

class Canvas {
public:
    Canvas(int w, int h, Col bg) : w_(w), h_(h), px_(size_t(w) * h * 3) {
        for (int i = 0; i < w * h; ++i) Put(i % w, i / w, bg, 1.0f);
    }

    void Put(int x, int y, Col c, float a) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0) return;
        uint8_t* p = &px_[(size_t(y) * w_ + x) * 3];
        a = std::min(a, 1.0f);
        p[0] = uint8_t(p[0] + (c.r - p[0]) * a + 0.5f);
        p[1] = uint8_t(p[1] + (c.g - p[1]) * a + 0.5f);
        p[2] = uint8_t(p[2] + (c.b - p[2]) * a + 0.5f);
    }

    void Rect(float x0, float y0, float x1, float y1, Col c, float a = 1.0f) {
        for (int y = int(std::floor(std::min(y0, y1))); y < int(std::ceil(std::max(y0, y1))); ++y) {
            for (int x = int(std::floor(std::min(x0, x1))); x < int(std::ceil(std::max(x0, x1))); ++x) Put(x, y, c, a);
        }
    }

    void Outline(float x0, float y0, float x1, float y1, Col c, float width = 1.0f) {
        Line(x0, y0, x1, y0, c, width);
        Line(x1, y0, x1, y1, c, width);
        Line(x1, y1, x0, y1, c, width);
        Line(x0, y1, x0, y0, c, width);
    }

    void Disc(float cx, float cy, float r, Col c, float a = 1.0f) {
        for (int y = int(cy - r - 1); y <= int(cy + r + 1); ++y) {
            for (int x = int(cx - r - 1); x <= int(cx + r + 1); ++x) {
                float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
                Put(x, y, c, a * std::clamp(r - d + 0.5f, 0.0f, 1.0f));
            }
        }
    }

    void Ring(float cx, float cy, float r, Col c, float width, bool dashed = false) {
        int n = std::max(24, int(r * 0.8f));
        for (int i = 0; i < n; ++i) {
            if (dashed && i % 2) continue;
            float a0 = i * 6.2831853f / n, a1 = (i + 1) * 6.2831853f / n;
            Line(cx + r * std::cos(a0), cy + r * std::sin(a0), cx + r * std::cos(a1), cy + r * std::sin(a1), c, width);
        }
    }

    // Anti-aliased thick segment.
    void Line(float x0, float y0, float x1, float y1, Col c, float width, float a = 1.0f) {
        float minx = std::min(x0, x1) - width, maxx = std::max(x0, x1) + width;
        float miny = std::min(y0, y1) - width, maxy = std::max(y0, y1) + width;
        float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
        for (int y = int(miny); y <= int(maxy); ++y) {
            for (int x = int(minx); x <= int(maxx); ++x) {
                float px = x + 0.5f - x0, py = y + 0.5f - y0;
                float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
                float d = std::hypot(px - t * dx, py - t * dy);
                Put(x, y, c, a * std::clamp(width / 2 - d + 0.5f, 0.0f, 1.0f));
            }
        }
    }

    void Dashed(float x0, float y0, float x1, float y1, Col c, float width, float dash = 6.0f) {
        float len = std::hypot(x1 - x0, y1 - y0);
        int n = std::max(1, int(len / dash));
        for (int i = 0; i < n; i += 2) {
            float t0 = float(i) / n, t1 = float(std::min(i + 1, n)) / n;
            Line(x0 + (x1 - x0) * t0, y0 + (y1 - y0) * t0, x0 + (x1 - x0) * t1, y0 + (y1 - y0) * t1, c, width);
        }
    }

    void Arrow(float x0, float y0, float x1, float y1, Col c, float width, bool dashed = false) {
        if (dashed) {
            Dashed(x0, y0, x1, y1, c, width);
        } else {
            Line(x0, y0, x1, y1, c, width);
        }
        float len = std::hypot(x1 - x0, y1 - y0);
        if (len < 1) return;
        float ux = (x1 - x0) / len, uy = (y1 - y0) / len, head = 4 + width * 2.5f;
        Line(x1, y1, x1 - head * (ux - uy * 0.6f), y1 - head * (uy + ux * 0.6f), c, width);
        Line(x1, y1, x1 - head * (ux + uy * 0.6f), y1 - head * (uy - ux * 0.6f), c, width);
    }

    float TextWidth(const Font& f, const std::string& s, float size) const {
        float scale = stbtt_ScaleForPixelHeight(&f.Info(), size), w = 0;
        for (char ch : s) {
            int adv, lsb;
            stbtt_GetCodepointHMetrics(&f.Info(), ch, &adv, &lsb);
            w += adv * scale;
        }
        return w;
    }

    // Text with its top-left corner at (x, y); an optional dark plate behind.
    void Text(const Font& f, const std::string& s, float x, float y, float size, Col c, bool plate = false) {
        const stbtt_fontinfo& info = f.Info();
        float scale = stbtt_ScaleForPixelHeight(&info, size);
        int ascent, descent, gap;
        stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
        if (plate) Rect(x - 2, y - 1, x + TextWidth(f, s, size) + 2, y + size + 1, kDark, 0.75f);
        float pen = x;
        float base = y + ascent * scale;
        for (char ch : s) {
            int adv, lsb;
            stbtt_GetCodepointHMetrics(&info, ch, &adv, &lsb);
            int gw, gh, gx, gy;
            unsigned char* bmp = stbtt_GetCodepointBitmap(&info, scale, scale, ch, &gw, &gh, &gx, &gy);
            for (int j = 0; j < gh; ++j) {
                for (int i = 0; i < gw; ++i) {
                    Put(int(pen) + gx + i, int(base) + gy + j, c, bmp[j * gw + i] / 255.0f);
                }
            }
            stbtt_FreeBitmap(bmp, nullptr);
            pen += adv * scale;
        }
    }

    bool Write(const std::string& path) const {
        if (!stbi_write_png(path.c_str(), w_, h_, 3, px_.data(), w_ * 3)) {
            std::fprintf(stderr, "gv_content: cannot write %s\n", path.c_str());
            return false;
        }
        return true;
    }

private:
    int w_, h_;
    std::vector<uint8_t> px_;
};

// World (x, z) to picture pixels: x to the right, z up.
struct Frame {
    float minX = 0, maxZ = 0, scale = 1, margin = 0, top = 0;
    float X(float x) const { return margin + (x - minX) * scale; }
    float Y(float z) const { return top + (maxZ - z) * scale; }
};

std::string Num(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", std::round(v * 10) / 10);
    return b;
}

class MapPainter {
public:
    MapPainter(const Description& d, const Layout& l, const CheckReport& r, const Font& font, const Font& bold)
        : d_(d), l_(l), r_(r), font_(font), bold_(bold) {}

    bool Paint(const std::string& path) {
        float minX = 1e9f, maxX = -1e9f, minZ = 1e9f, maxZ = -1e9f;
        for (const auto* list : {&d_.floors, &d_.pits, &d_.walls, &d_.posts, &d_.platforms}) {
            for (const Area& a : *list) {
                minX = std::min(minX, a.rect.x0);
                maxX = std::max(maxX, a.rect.x1);
                minZ = std::min(minZ, a.rect.z0);
                maxZ = std::max(maxZ, a.rect.z1);
            }
        }
        float scale = std::clamp(1800.0f / (maxZ - minZ), 4.0f, 8.0f);
        f_.minX = minX;
        f_.maxZ = maxZ;
        f_.scale = scale;
        f_.margin = 60;
        f_.top = 90;
        int mapW = int((maxX - minX) * scale + 2 * f_.margin);
        legendX_ = float(mapW + 150);
        int w = mapW + 590;
        int h = std::max(int((maxZ - minZ) * scale + f_.top + 40), 900);
        Canvas c(w, h, kVoid);
        DrawGeometry(c);
        DrawTicks(c, minX, maxX, minZ, maxZ);
        DrawObjects(c);
        DrawLegend(c);
        return c.Write(path);
    }

private:
    void FillArea(Canvas& c, const stagedesc::Rect& r, Col col) {
        c.Rect(f_.X(r.x0), f_.Y(r.z1), f_.X(r.x1), f_.Y(r.z0), col);
    }

    void DrawGeometry(Canvas& c) {
        for (const auto& a : d_.floors) FillArea(c, a.rect, kFloorCol);
        // a faint grid every 10 units over the floors
        for (const auto& a : d_.floors) {
            for (float x = std::ceil(a.rect.x0 / 10) * 10; x <= a.rect.x1; x += 10) {
                c.Line(f_.X(x), f_.Y(a.rect.z0), f_.X(x), f_.Y(a.rect.z1), {170, 142, 102}, 1);
            }
            for (float z = std::ceil(a.rect.z0 / 10) * 10; z <= a.rect.z1; z += 10) {
                c.Line(f_.X(a.rect.x0), f_.Y(z), f_.X(a.rect.x1), f_.Y(z), {170, 142, 102}, 1);
            }
        }
        for (const auto& p : d_.pits) {
            FillArea(c, p.rect, kPitCol);
            c.Outline(f_.X(p.rect.x0), f_.Y(p.rect.z1), f_.X(p.rect.x1), f_.Y(p.rect.z0), kPitEdge, 2);
            c.Text(bold_, "PIT", f_.X(p.rect.x0) + 6, f_.Y(p.rect.z1) + 6, 13, kPitEdge);
        }
        for (const Solid& s : BuildSolids(d_)) {
            Col col = s.material == kPost ? kPostCol : s.material == kLedge ? kLedgeCol : kWallCol;
            if (s.material == kTrim || (s.material == kWall && s.box.min[1] > 0.0f)) continue;  // lips, lintels
            c.Rect(f_.X(s.box.min[0]), f_.Y(s.box.max[2]), f_.X(s.box.max[0]), f_.Y(s.box.min[2]), col);
        }
        for (const auto& p : d_.platforms) {
            c.Outline(f_.X(p.rect.x0), f_.Y(p.rect.z1), f_.X(p.rect.x1), f_.Y(p.rect.z0), {120, 116, 108}, 2);
            std::string label = p.name + ", top " + Num(p.value);
            c.Text(font_, label, f_.X(p.rect.x0) + 4, f_.Y(p.rect.z1) + 3, 12, kDark);
        }
        for (const auto& p : d_.posts) {
            c.Text(font_, "hook post", f_.X(p.rect.x1) + 4, f_.Y(p.rect.z1), 12, kText, true);
        }
        for (const Opening& o : d_.openings) {
            const stagedesc::Area* wall = d_.FindWall(o.wall);
            Box3 b = stagedesc::OpeningBox(o, wall->rect);
            if (o.kind == OpeningKind::Window) {
                // a window opening: wall below and above, glass in between
                c.Rect(f_.X(b.min[0]), f_.Y(b.max[2]), f_.X(b.max[0]), f_.Y(b.min[2]), kWindowCol, 0.55f);
            } else {
                c.Rect(f_.X(b.min[0]), f_.Y(b.max[2]), f_.X(b.max[0]), f_.Y(b.min[2]), {150, 150, 150});
            }
        }
    }

    // Coordinates along the left edge (z) and the top edge (x), every 10 units.
    void DrawTicks(Canvas& c, float minX, float maxX, float minZ, float maxZ) {
        const Col tick = {150, 150, 160};
        for (float z = std::ceil(minZ / 10) * 10; z <= maxZ; z += 10) {
            float y = f_.Y(z);
            c.Line(f_.X(minX) - 8, y, f_.X(minX) - 2, y, tick, 1);
            std::string s = "z " + Num(z);
            c.Text(font_, s, f_.X(minX) - 10 - c.TextWidth(font_, s, 10), y - 6, 10, tick);
        }
        for (float x = std::ceil(minX / 10) * 10; x <= maxX; x += 10) {
            float px = f_.X(x);
            c.Line(px, f_.Y(maxZ) - 8, px, f_.Y(maxZ) - 2, tick, 1);
            std::string s = Num(x);
            c.Text(font_, s, px - c.TextWidth(font_, s, 10) / 2, f_.Y(maxZ) - 22, 10, tick);
        }
    }

    void Label(Canvas& c, const std::string& s, float x, float y, Col col, float size = 12) {
        c.Text(bold_, s, x, y, size, col, true);
    }

    void DoorGroup(Canvas& c, const DoorRec& dr, const std::string& name, Col col, int frames) {
        float bx = f_.X(dr.button.x), by = f_.Y(dr.button.z);
        float dx = f_.X(dr.door.x), dy = f_.Y(dr.door.z);
        c.Dashed(bx, by, dx, dy, col, 1.5f, 5);
        // the panel across its opening
        float a = dr.yaw * 0.017453292f;
        float hx = 3.0f * std::cos(a), hz = -3.0f * std::sin(a);
        c.Line(f_.X(dr.door.x - hx), f_.Y(dr.door.z - hz), f_.X(dr.door.x + hx), f_.Y(dr.door.z + hz), col, 5);
        c.Disc(bx, by, kSceneButtonRadius * f_.scale, col);
        c.Ring(bx, by, kSceneButtonRadius * f_.scale, kDark, 1.5f);
        std::string door = name + (frames > 0 ? " door, " + std::to_string(frames) + " frames" : " door");
        Label(c, name, bx + kSceneButtonRadius * f_.scale + 2, by - 7, col);
        Label(c, door, dx + 8, dy - 18, col);
    }

    void DrawObjects(Canvas& c) {
        for (size_t i = 0; i < l_.pushing.size(); ++i) DoorGroup(c, l_.pushing[i], "P" + std::to_string(i), kPushing, 0);
        for (size_t i = 0; i < l_.returning.size(); ++i) DoorGroup(c, l_.returning[i], "R" + std::to_string(i), kReturn, 0);
        for (size_t i = 0; i < l_.timed.size(); ++i) DoorGroup(c, l_.timed[i], "T" + std::to_string(i), kTime, l_.timed[i].frames);
        for (const auto& b : r_.beams) {
            c.Line(f_.X(b[0][0]), f_.Y(b[0][2]), f_.X(b[1][0]), f_.Y(b[1][2]), kLaser, 2);
        }
        for (size_t g = 0; g < l_.lasers.size(); ++g) {
            const LaserRec& lr = l_.lasers[g];
            std::string name = "L" + std::to_string(g);
            for (int i = 0; i < lr.count; ++i) {
                float x = lr.first.x + lr.step.x * i, z = lr.first.z + lr.step.z * i;
                c.Rect(f_.X(x) - 4, f_.Y(z) - 4, f_.X(x) + 4, f_.Y(z) + 4, kLaser);
            }
            float bx = f_.X(lr.button.x), by = f_.Y(lr.button.z);
            c.Dashed(bx, by, f_.X(lr.first.x), f_.Y(lr.first.z), kLaser, 1.5f, 5);
            c.Disc(bx, by, kSceneButtonRadius * f_.scale, kLaser);
            c.Ring(bx, by, kSceneButtonRadius * f_.scale, kDark, 1.5f);
            Label(c, name + " button", bx + kSceneButtonRadius * f_.scale + 2, by - 7, kLaser);
            Label(c, name, f_.X(lr.first.x) + 6, f_.Y(lr.first.z) + 4, kLaser);
        }
        for (size_t i = 0; i < l_.windows.size(); ++i) {
            const WindowRec& w = l_.windows[i];
            float a = w.yaw * 0.017453292f;
            float half = content_sizes::kWindowHalfWidth * w.scale.x;
            float hx = half * std::cos(a), hz = -half * std::sin(a);
            c.Line(f_.X(w.pos.x - hx), f_.Y(w.pos.z - hz), f_.X(w.pos.x + hx), f_.Y(w.pos.z + hz), kWindowCol, 4);
            Label(c, "W" + std::to_string(i), f_.X(w.pos.x) + 4, f_.Y(w.pos.z) + 4, kWindowCol);
        }
        for (size_t i = 0; i < l_.boxes.size(); ++i) {
            const Vec3& b = l_.boxes[i];
            const float r = Box::kRadius;
            c.Rect(f_.X(b.x - r), f_.Y(b.z + r), f_.X(b.x + r), f_.Y(b.z - r), kBoxCol);
            c.Outline(f_.X(b.x - r), f_.Y(b.z + r), f_.X(b.x + r), f_.Y(b.z - r), kDark, 1.5f);
            std::string name = "B" + std::to_string(i);
            c.Text(bold_, name, f_.X(b.x) - c.TextWidth(bold_, name, 12) / 2, f_.Y(b.z) - 7, 12, kText);
        }
        // the showcase and its jewel
        float sx = f_.X(l_.showcase.x), sy = f_.Y(l_.showcase.z), r = 2.5f * f_.scale;
        c.Line(sx - r, sy, sx, sy - r, kGold, 3);
        c.Line(sx, sy - r, sx + r, sy, kGold, 3);
        c.Line(sx + r, sy, sx, sy + r, kGold, 3);
        c.Line(sx, sy + r, sx - r, sy, kGold, 3);
        c.Disc(sx, sy, r * 0.45f, kGold);
        Label(c, "showcase + jewel", sx + r + 4, sy - 7, kGold);
        // the start: an arrow along +z
        float x0 = f_.X(0), y0 = f_.Y(0);
        c.Disc(x0, y0, 5, kStart);
        c.Arrow(x0, y0, x0, y0 - 6 * f_.scale, kStart, 3);
        Label(c, "START (0, 0, 0), facing +z", x0 + 8, y0 + 2, kStart);
        if (d_.stage == 1) {
            const Vector3& start = OperationGuide::kStartArea;
            const Vector3& spot = OperationGuide::kPullSpot;
            const float startRadius = OperationGuide::kNearRadius, pullRadius = OperationGuide::kPullSpotRadius;
            c.Ring(f_.X(start.x), f_.Y(start.z), startRadius * f_.scale, kStart, 1, true);
            Label(c, "guide: start area (" + Num(startRadius) + ")", f_.X(start.x) + 6,
                  f_.Y(start.z + startRadius) + 2, kStart, 11);
            c.Ring(f_.X(spot.x), f_.Y(spot.z), pullRadius * f_.scale, kPull, 1, true);
            c.Disc(f_.X(spot.x), f_.Y(spot.z), 3, kPull);
            Label(c, "guide: pull spot (" + Num(pullRadius) + ")", f_.X(spot.x - pullRadius),
                  f_.Y(spot.z - pullRadius) + 2, kPull, 11);
        }
    }

    void DrawLegend(Canvas& c) {
        float x = legendX_, y = 16;
        c.Text(bold_, "Stage " + std::to_string(d_.stage) + ": " + d_.title, 16, 16, 22, kText);
        c.Text(font_, "top view, north (+z) up, x to the right", 16, 44, 13, {200, 200, 200});
        // scale bar: 10 units
        float bar = 10 * f_.scale;
        c.Line(x, y + 40, x + bar, y + 40, kText, 3);
        c.Text(font_, "10 units", x + bar + 8, y + 32, 13, kText);
        y += 70;
        struct Item {
            Col col;
            std::string text;
        };
        const std::string door =
            "door opening (" + Num(stagedesc::kDoorWidth) + " wide, " + Num(stagedesc::kDoorHeight) + " high)";
        const std::string box = Num(2 * Box::kRadius), boxHeight = Num(2 * Box::kHalfHeight);
        const Item items[] = {
            {kFloorCol, "floor (y = 0)"},
            {kWallCol, "wall, floor to ceiling"},
            {kPitCol, "pit: no floor, fall = restart"},
            {kLedgeCol, "platform (top height given)"},
            {kPostCol, "hook post (aim here)"},
            {{150, 150, 150}, door},
            {kWindowCol, "window panel (see through)"},
            {kBoxCol, "box Bn (" + box + " x " + boxHeight + " x " + box + ")"},
            {kPushing, "Pn pushing button + door"},
            {kReturn, "Rn return button + door"},
            {kTime, "Tn time button + door"},
            {kLaser, "Ln laser group, button, beams (on within " + Num(Gimmick_ReturnLaser::kActivationRadius) + ")"},
            {kGold, "showcase + jewel"},
        };
        for (const Item& it : items) {
            c.Rect(x, y, x + 22, y + 14, it.col);
            c.Outline(x, y, x + 22, y + 14, {0, 0, 0}, 1);
            c.Text(font_, it.text, x + 30, y - 1, 14, kText);
            y += 22;
        }
        if (d_.stage == 1) {
            c.Text(font_, "dashed rings: the operation guide's start area", x, y, 13, kStart);
            c.Text(font_, "(radius " + Num(OperationGuide::kNearRadius) + ") and pull spot (radius " +
                              Num(OperationGuide::kPullSpotRadius) + ")",
                   x, y + 16, 13, kStart);
            y += 36;
        }
        for (size_t g = 0; g < l_.lasers.size(); ++g) {
            const LaserRec& lr = l_.lasers[g];
            float lastY = lr.first.y + lr.step.y * float(std::max(lr.count - 1, 0));
            std::string s = "L" + std::to_string(g) + ": " + std::to_string(lr.count) + " lasers, y " + Num(lr.first.y) +
                            (lastY != lr.first.y ? " to " + Num(lastY) : "") + ", firing along " +
                            (std::fabs(std::sin(lr.yaw * 0.017453292f)) > 0.5f ? (std::sin(lr.yaw * 0.017453292f) > 0 ? "+x" : "-x")
                                                                               : (std::cos(lr.yaw * 0.017453292f) > 0 ? "+z" : "-z"));
            c.Text(font_, s, x, y, 13, kLaser);
            y += 18;
        }
    }

    const Description& d_;
    const Layout& l_;
    const CheckReport& r_;
    const Font& font_;
    const Font& bold_;
    Frame f_;
    float legendX_ = 0;
};

}  // namespace

bool DrawStageMap(const std::string& path, const Description& d, const Layout& layout, const CheckReport& report) {
    Font font, bold;
    if (!font.Load(kFontPath) || !bold.Load(kBoldPath)) {
        std::fprintf(stderr, "gv_content: cannot load the DejaVu fonts for %s\n", path.c_str());
        return false;
    }
    MapPainter painter(d, layout, report, font, bold);
    return painter.Paint(path);
}

}  // namespace stagebuild
