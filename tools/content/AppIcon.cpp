// The application icon: a gold-cut jewel in front of a round vault door on a
// dark tile. One list of shapes is written twice, as a 256 x 256 PNG (drawn
// on a Canvas) and as a scalable SVG, so both icon sizes show the same
// picture. Desktop files and the window use Data/Icon/GildedVault.*.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tools/content/ModelKit.h"

namespace {

constexpr int kIconSize = 256;
constexpr float kTau = 6.28318530718f;

using Points = std::vector<std::pair<float, float>>;

// One drawing step in icon pixels (0..256, y down). Colours are opaque, so
// overlapping stroke segments look the same in both renderings.
struct IconShape {
    enum Kind { FillRoundRect, StrokeRoundRect, FillCircle, StrokeCircle, FillPolygon, StrokeOutline } kind = FillPolygon;
    uint32_t rgb = 0;
    float a = 0, b = 0, c = 0, d = 0;  // rectangle x0 y0 x1 y1, or circle cx cy r
    float radius = 0;                 // rounded rectangle corner radius
    float width = 0;                  // stroke width (centred on the path)
    Points points;                    // polygon / closed outline
};

IconShape Rect(IconShape::Kind kind, uint32_t rgb, float x0, float y0, float x1, float y1, float radius, float width = 0) {
    IconShape s;
    s.kind = kind;
    s.rgb = rgb;
    s.a = x0, s.b = y0, s.c = x1, s.d = y1, s.radius = radius, s.width = width;
    return s;
}

IconShape Circle(IconShape::Kind kind, uint32_t rgb, float cx, float cy, float r, float width = 0) {
    IconShape s;
    s.kind = kind;
    s.rgb = rgb;
    s.a = cx, s.b = cy, s.c = r, s.width = width;
    return s;
}

IconShape Polygon(IconShape::Kind kind, uint32_t rgb, Points points, float width = 0) {
    IconShape s;
    s.kind = kind;
    s.rgb = rgb;
    s.points = std::move(points);
    s.width = width;
    return s;
}

// The icon's picture, back to front.
std::vector<IconShape> IconShapes() {
    const uint32_t ink = 0x1a1208, navy = 0x0d1626, steel = 0x22324a;
    const uint32_t goldLight = 0xfff1b8, gold = 0xf2c04a, goldMid = 0xdca23a, goldDeep = 0xb07a1c;
    std::vector<IconShape> s;
    // tile with a thin gold inlay
    s.push_back(Rect(IconShape::FillRoundRect, navy, 8, 8, 248, 248, 48));
    s.push_back(Rect(IconShape::StrokeRoundRect, goldDeep, 20, 20, 236, 236, 38, 4));
    // the vault door: a steel disc in a gold ring, a finer inner ring, eight bolts
    s.push_back(Circle(IconShape::FillCircle, steel, 128, 128, 90));
    s.push_back(Circle(IconShape::StrokeCircle, goldDeep, 128, 128, 90, 10));
    s.push_back(Circle(IconShape::StrokeCircle, gold, 128, 128, 72, 3));
    for (int i = 0; i < 8; ++i) {
        const float angle = kTau * (static_cast<float>(i) + 0.5f) / 8.0f;
        s.push_back(Circle(IconShape::FillCircle, gold, 128 + 81 * std::cos(angle), 128 + 81 * std::sin(angle), 4.5f));
    }
    // the jewel: table 104..152 at y 92, girdle 74..182 at y 116, point at y 174
    const float tl = 104, tr = 152, ty = 92, gl = 74, gr = 182, gy = 116, px = 128, py = 174;
    const float il = 116, ir = 140;  // where the facet lines meet the girdle
    s.push_back(Polygon(IconShape::StrokeOutline, ink, {{gl, gy}, {tl, ty}, {tr, ty}, {gr, gy}, {px, py}}, 7));
    s.push_back(Polygon(IconShape::FillPolygon, goldMid, {{gl, gy}, {tl, ty}, {il, gy}}));
    s.push_back(Polygon(IconShape::FillPolygon, goldLight, {{tl, ty}, {tr, ty}, {ir, gy}, {il, gy}}));
    s.push_back(Polygon(IconShape::FillPolygon, goldDeep, {{tr, ty}, {gr, gy}, {ir, gy}}));
    s.push_back(Polygon(IconShape::FillPolygon, gold, {{gl, gy}, {il, gy}, {px, py}}));
    s.push_back(Polygon(IconShape::FillPolygon, goldLight, {{il, gy}, {ir, gy}, {px, py}}));
    s.push_back(Polygon(IconShape::FillPolygon, goldDeep, {{ir, gy}, {gr, gy}, {px, py}}));
    // a glint on the table's corner
    const float sx = 150, sy = 84, sl = 15, sw = 3.5f;
    s.push_back(Polygon(IconShape::FillPolygon, 0xffffff,
                        {{sx, sy - sl}, {sx + sw, sy - sw}, {sx + sl, sy}, {sx + sw, sy + sw}, {sx, sy + sl},
                         {sx - sw, sy + sw}, {sx - sl, sy}, {sx - sw, sy - sw}}));
    return s;
}

Canvas DrawIcon(const std::vector<IconShape>& shapes) {
    Canvas c(kIconSize, kIconSize);
    for (const IconShape& s : shapes) {
        const Rgba colour = Hex(s.rgb);
        switch (s.kind) {
        case IconShape::FillRoundRect: c.FillRoundRect(s.a, s.b, s.c, s.d, s.radius, colour); break;
        case IconShape::StrokeRoundRect: c.StrokeRoundRect(s.a, s.b, s.c, s.d, s.radius, s.width, colour); break;
        case IconShape::FillCircle: c.FillCircle(s.a, s.b, s.c, colour); break;
        case IconShape::StrokeCircle: c.StrokeCircle(s.a, s.b, s.c, s.width, colour); break;
        case IconShape::FillPolygon: c.FillPolygon(s.points, colour); break;
        case IconShape::StrokeOutline:
            // round joins, as the SVG's stroke-linejoin="round"
            for (size_t i = 0; i < s.points.size(); ++i) {
                const auto& p = s.points[i];
                const auto& q = s.points[(i + 1) % s.points.size()];
                c.Line(p.first, p.second, q.first, q.second, s.width, colour);
            }
            break;
        }
    }
    return c;
}

// Numbers in the SVG: fixed two decimals, trailing zeros dropped ("C" locale).
std::string Num(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(v));
    std::string out = text;
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
    return out == "-0" ? "0" : out;
}

std::string Colour(uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb));
    return text;
}

std::string PointList(const Points& points) {
    std::string out;
    for (const auto& p : points) out += (out.empty() ? "" : " ") + Num(p.first) + "," + Num(p.second);
    return out;
}

std::string IconSvg(const std::vector<IconShape>& shapes) {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kIconSize) + "\" height=\"" +
           std::to_string(kIconSize) + "\" viewBox=\"0 0 " + std::to_string(kIconSize) + " " +
           std::to_string(kIconSize) + "\">\n";
    svg += "  <title>Gilded Vault</title>\n";
    for (const IconShape& s : shapes) {
        const std::string colour = Colour(s.rgb);
        switch (s.kind) {
        case IconShape::FillRoundRect:
        case IconShape::StrokeRoundRect:
            svg += "  <rect x=\"" + Num(s.a) + "\" y=\"" + Num(s.b) + "\" width=\"" + Num(s.c - s.a) + "\" height=\"" +
                   Num(s.d - s.b) + "\" rx=\"" + Num(s.radius) + "\" ";
            svg += s.kind == IconShape::FillRoundRect ? "fill=\"" + colour + "\"/>\n"
                                                      : "fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" +
                                                            Num(s.width) + "\"/>\n";
            break;
        case IconShape::FillCircle:
        case IconShape::StrokeCircle:
            svg += "  <circle cx=\"" + Num(s.a) + "\" cy=\"" + Num(s.b) + "\" r=\"" + Num(s.c) + "\" ";
            svg += s.kind == IconShape::FillCircle ? "fill=\"" + colour + "\"/>\n"
                                                   : "fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" +
                                                         Num(s.width) + "\"/>\n";
            break;
        case IconShape::FillPolygon:
            svg += "  <polygon points=\"" + PointList(s.points) + "\" fill=\"" + colour + "\"/>\n";
            break;
        case IconShape::StrokeOutline:
            svg += "  <polygon points=\"" + PointList(s.points) + "\" fill=\"none\" stroke=\"" + colour +
                   "\" stroke-width=\"" + Num(s.width) + "\" stroke-linejoin=\"round\"/>\n";
            break;
        }
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace

bool WriteAppIcon(const ContentContext& ctx) {
    const std::string dir = ctx.dataDir + "/Icon";
    if (!MakeDirs(dir)) return false;
    const std::vector<IconShape> shapes = IconShapes();
    bool ok = DrawIcon(shapes).Save(dir + "/GildedVault.png");
    std::ofstream svg(dir + "/GildedVault.svg", std::ios::binary);
    svg << IconSvg(shapes);
    svg.close();
    if (!svg) {
        std::fprintf(stderr, "gv_content: cannot write %s/GildedVault.svg\n", dir.c_str());
        ok = false;
    }
    return ok;
}
