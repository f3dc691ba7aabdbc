// Procedural surface textures for the models.
#include "tools/content/ImageTextures.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTau = 6.28318530718f;

Rgba Shade(const Rgba& c, float k) {
    return {std::clamp(c.r * k, 0.0f, 1.0f), std::clamp(c.g * k, 0.0f, 1.0f),
            std::clamp(c.b * k, 0.0f, 1.0f), c.a};
}

// Marble colour at a point: bands bent by turbulence, periodic in `cells`.
Rgba MarbleAt(float u, float v, int cells, Rgba base, Rgba vein, uint32_t seed) {
    float turb = Fbm(u * cells, v * cells, cells, 5, seed);
    float bands = std::sin((u + v * 0.5f) * kTau * 2.0f + turb * 9.0f);
    float veinK = std::pow(1.0f - std::fabs(bands), 14.0f);
    float cloud = Fbm(u * cells * 2, v * cells * 2, cells * 2, 4, seed + 55u);
    Rgba c = Shade(base, 0.9f + 0.18f * cloud);
    return Mix(c, vein, std::clamp(veinK * 0.8f, 0.0f, 1.0f));
}

// Rivet: a small domed circle with a highlight.
void Rivet(Canvas& c, float x, float y, float r, Rgba metal) {
    c.FillCircle(x + r * 0.25f, y + r * 0.3f, r, Hex(0x000000, 0.45f));
    c.FillCircle(x, y, r, metal);
    c.FillCircle(x - r * 0.3f, y - r * 0.3f, r * 0.45f, Mix(metal, Hex(0xffffff), 0.55f));
}

}  // namespace

Canvas TexMarbleTiles(int size, Rgba base, Rgba vein, uint32_t seed) {
    Canvas c(size, size);
    c.Shade([&](float x, float y) {
        float u = x / size, v = y / size;
        int tile = (u < 0.5f ? 0 : 1) + (v < 0.5f ? 0 : 2);
        float tone = 0.93f + 0.1f * Hash01(tile, 3, seed);
        Rgba m = Shade(MarbleAt(u, v, 4, base, vein, seed + tile * 13u), tone);
        float tu = std::fmod(u * 2.0f, 1.0f), tv = std::fmod(v * 2.0f, 1.0f);
        float edge = std::min(std::min(tu, 1.0f - tu), std::min(tv, 1.0f - tv)) * size * 0.5f;
        if (edge < 1.0f) return Shade(m, 0.55f);        // joint
        if (edge < 2.5f) return Shade(m, 1.06f);        // polished bevel
        return m;
    });
    return c;
}

Canvas TexMarble(int size, Rgba base, Rgba vein, uint32_t seed) {
    Canvas c(size, size);
    c.Shade([&](float x, float y) { return MarbleAt(x / size, y / size, 4, base, vein, seed); });
    return c;
}

Canvas TexStoneBlocks(int size, Rgba stone, Rgba mortar, uint32_t seed) {
    Canvas c(size, size);
    const int courses = 4;
    float courseH = float(size) / courses;
    c.Shade([&](float x, float y) {
        int row = static_cast<int>(y / courseH);
        float offset = (row % 2) ? size * 0.25f : 0.0f;
        float bx = std::fmod(x + offset, float(size));
        int block = static_cast<int>(bx / (size * 0.5f));
        float lx = std::fmod(bx, size * 0.5f), ly = std::fmod(y, courseH);
        float edge = std::min(std::min(lx, size * 0.5f - lx), std::min(ly, courseH - ly));
        float grain = Fbm(x / size * 8, y / size * 8, 8, 4, seed);
        float tone = 0.88f + 0.16f * Hash01(block, row, seed + 3u);
        Rgba s = Shade(stone, tone * (0.9f + 0.2f * grain));
        float pits = CellNoise(x / size * 16, y / size * 16, 16, seed + 9u);
        if (pits < 0.08f) s = Shade(s, 0.85f);
        if (edge < 1.5f) return Shade(mortar, 0.9f + 0.2f * grain);
        if (edge < 3.5f) return Shade(s, 0.86f + 0.05f * edge);  // worn edge
        return s;
    });
    return c;
}

Canvas TexBrushedMetal(int size, Rgba base, uint32_t seed) {
    Canvas c(size, size);
    c.Shade([&](float x, float y) {
        float u = x / size, v = y / size;
        float streak = ValueNoise(u * 2, v * 96, 96, seed) * 0.6f +
                       ValueNoise(u * 4, v * 192, 192, seed + 1u) * 0.4f;
        float cloud = Fbm(u * 4, v * 4, 4, 3, seed + 2u);
        float k = 0.82f + 0.22f * streak + 0.12f * cloud;
        float scratch = Hash01(static_cast<int>(x * 0.5f), static_cast<int>(y), seed + 5u);
        if (scratch > 0.995f) k += 0.25f;
        return Shade(base, k);
    });
    return c;
}

Canvas TexGold(int size, Rgba base, uint32_t seed) {
    Canvas c(size, size);
    c.Shade([&](float x, float y) {
        float u = x / size, v = y / size;
        float m = Fbm(u * 4, v * 4, 4, 4, seed);
        float fine = ValueNoise(u * 64, v * 64, 64, seed + 3u);
        return Shade(base, 0.85f + 0.25f * m + 0.06f * fine);
    });
    return c;
}

Canvas TexWood(int size, Rgba base, uint32_t seed) {
    Canvas c(size, size);
    c.Shade([&](float x, float y) {
        float u = x / size, v = y / size;
        float warp = Fbm(u * 2, v * 8, 2, 3, seed) * 3.0f;
        float ring = std::sin((v * 12.0f + warp) * kTau);
        float fibre = ValueNoise(u * 4, v * 128, 128, seed + 1u);
        float k = 0.8f + 0.12f * ring + 0.12f * fibre;
        return Shade(base, k);
    });
    return c;
}

Canvas TexVelvet(int size, Rgba base, uint32_t seed) {
    Canvas c(size, size);
    c.Shade([&](float x, float y) {
        float u = x / size, v = y / size;
        float m = Fbm(u * 6, v * 6, 6, 4, seed);
        float fine = Hash01(static_cast<int>(x), static_cast<int>(y), seed + 1u);
        return Shade(base, 0.75f + 0.4f * m + 0.08f * fine);
    });
    return c;
}

Canvas TexCrate(int size, uint32_t seed) {
    Canvas c(size, size);
    const Rgba wood = Hex(0x9a6a3c), steel = Hex(0x3a3f45), brass = Hex(0xd8a845);
    const int planks = 5;
    float plankH = float(size) / planks;
    c.Shade([&](float x, float y) {
        int p = static_cast<int>(y / plankH);
        float ly = std::fmod(y, plankH);
        float warp = Fbm(x / size * 2, y / size * 6 + p * 3.1f, 0, 3, seed + p) * 2.5f;
        float grain = std::sin((y / size * 30.0f + warp) * kTau * 0.5f);
        float fibre = ValueNoise(x / size * 6, y / size * 160, 0, seed + 7u);
        float tone = 0.85f + 0.2f * Hash01(p, 1, seed);
        Rgba w = Shade(wood, tone * (0.82f + 0.1f * grain + 0.12f * fibre));
        if (ly < 1.5f || ly > plankH - 1.5f) w = Shade(w, 0.5f);  // plank gaps
        return w;
    });
    // diagonal brace
    float m = size * 0.12f;
    c.Line(m, size - m, size - m, m, size * 0.1f, Hex(0x7c5230));
    c.Line(m, size - m, size - m, m, size * 0.1f - 4, Hex(0x8e6038));
    // steel rim
    c.StrokeRoundRect(m * 0.5f, m * 0.5f, size - m * 0.5f, size - m * 0.5f, 2.0f, m, steel);
    c.StrokeRoundRect(2.0f, 2.0f, size - 2.0f, size - 2.0f, 2.0f, 2.0f, Hex(0x1c1f23));
    c.StrokeRoundRect(m, m, size - m, size - m, 1.0f, 1.5f, Hex(0x24282c));
    // brass corner plates with rivets
    for (int i = 0; i < 4; ++i) {
        float cx = (i & 1) ? size - m * 0.5f : m * 0.5f;
        float cy = (i & 2) ? size - m * 0.5f : m * 0.5f;
        c.FillRoundRect(cx - m * 0.75f, cy - m * 0.75f, cx + m * 0.75f, cy + m * 0.75f, 3.0f, brass);
        Rivet(c, cx, cy, m * 0.22f, Hex(0xf0d070));
    }
    for (int i = 1; i < 4; ++i) {
        float t = size * i / 4.0f;
        Rivet(c, t, m * 0.5f, m * 0.14f, Hex(0x80868c));
        Rivet(c, t, size - m * 0.5f, m * 0.14f, Hex(0x80868c));
        Rivet(c, m * 0.5f, t, m * 0.14f, Hex(0x80868c));
        Rivet(c, size - m * 0.5f, t, m * 0.14f, Hex(0x80868c));
    }
    return c;
}

Canvas TexDoorPanel(int size, uint32_t seed) {
    Canvas c = TexBrushedMetal(size, Hex(0x4a5058), seed);
    const Rgba brass = Hex(0xc99a3e), dark = Hex(0x23272c);
    float s = float(size);
    // recessed plates
    for (int i = 0; i < 2; ++i) {
        float x0 = s * (0.1f + 0.42f * i), x1 = x0 + s * 0.36f;
        c.StrokeRoundRect(x0, s * 0.1f, x1, s * 0.78f, 4.0f, 3.0f, dark);
        c.StrokeRoundRect(x0 + 2, s * 0.1f + 2, x1 + 2, s * 0.78f + 2, 4.0f, 1.5f,
                          Hex(0x8a929c, 0.6f));
    }
    // brass bands
    c.FillRect(0, s * 0.42f, s, s * 0.47f, brass);
    c.FillRect(0, s * 0.42f, s, s * 0.43f, Hex(0xf2d27a));
    for (int i = 0; i < 8; ++i) Rivet(c, s * (0.0625f + i * 0.125f), s * 0.445f, s * 0.012f, Hex(0xf2d27a));
    // hazard hem at the bottom
    float hy = s * 0.86f;
    c.FillRect(0, hy, s, s, Hex(0xe0b020));
    for (int i = -2; i < 12; ++i) {
        float x0 = i * s / 8.0f;
        c.FillPolygon({{x0, s}, {x0 + s / 16.0f, s}, {x0 + s / 16.0f + (s - hy), hy}, {x0 + (s - hy), hy}},
                      Hex(0x202020));
    }
    c.FillRect(0, hy - 2, s, hy, dark);
    // frame line around
    c.StrokeRoundRect(1.5f, 1.5f, s - 1.5f, s - 1.5f, 0.0f, 3.0f, dark);
    return c;
}

Canvas TexVaultWall(int size, uint32_t seed) {
    Canvas c = TexBrushedMetal(size, Hex(0x5c626a), seed);
    float s = float(size), h = s * 0.5f;
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            float x0 = i * h, y0 = j * h;
            c.StrokeRoundRect(x0 + 3, y0 + 3, x0 + h - 3, y0 + h - 3, 3.0f, 2.5f, Hex(0x24282e));
            c.StrokeRoundRect(x0 + 5, y0 + 5, x0 + h - 1, y0 + h - 1, 3.0f, 1.2f, Hex(0x9aa2ac, 0.5f));
            for (int k = 0; k < 4; ++k) {
                float t = 0.15f + 0.7f * k / 3.0f;
                Rivet(c, x0 + h * t, y0 + 9, 2.6f, Hex(0xa0a8b0));
                Rivet(c, x0 + h * t, y0 + h - 9, 2.6f, Hex(0xa0a8b0));
            }
            // a recessed centre plate
            c.FillRoundRect(x0 + h * 0.25f, y0 + h * 0.3f, x0 + h * 0.75f, y0 + h * 0.7f, 4.0f, Hex(0x000000, 0.18f));
        }
    c.FillRect(0, h - 1.5f, s, h + 1.5f, Hex(0xc99a3e));
    return c;
}

Canvas TexClockFace(int size) {
    Canvas c(size, size, Hex(0x2a2420));
    float s = float(size), cx = s * 0.5f, cy = s * 0.5f;
    c.FillCircle(cx, cy, s * 0.5f, Hex(0xb58a3a));
    c.FillCircle(cx, cy, s * 0.45f, Hex(0xf3ead2));
    c.StrokeCircle(cx, cy, s * 0.41f, 1.2f, Hex(0x6a5a40));
    for (int i = 0; i < 60; ++i) {
        float a = i * kTau / 60.0f;
        bool major = i % 5 == 0;
        float r0 = s * (major ? 0.33f : 0.38f), r1 = s * 0.42f;
        c.Line(cx + std::sin(a) * r0, cy - std::cos(a) * r0, cx + std::sin(a) * r1,
               cy - std::cos(a) * r1, major ? s * 0.03f : s * 0.01f,
               i == 0 ? Hex(0xb02020) : Hex(0x2a2420));
    }
    // a red quarter marks the urgent last part of the run: the game turns
    // the hand from 3 o'clock back to 12 in its last quarter (as seen from
    // the front, image right being the dial's right)
    c.DrawSdf(0, 0, s, s,
              [&](float x, float y) {
                  float dx = x - cx, dy = y - cy, r = std::hypot(dx, dy);
                  bool inSector = dx > 0 && dy < 0;  // from 12 to 3 o'clock
                  return inSector ? std::max(r - s * 0.31f, s * 0.27f - r) : 1.0f;
              },
              [&](float, float) { return Hex(0xd04030, 0.55f); });
    return c;
}

Canvas TexButtonCap(int size) {
    Canvas c(size, size);
    float s = float(size), cx = s * 0.5f, cy = s * 0.5f;
    c.Shade([&](float x, float y) {
        float r = std::hypot(x - cx, y - cy) / (s * 0.5f);
        float groove = 0.5f + 0.5f * std::cos(r * kTau * 5.0f);
        float k = 0.92f - 0.1f * groove * (r > 0.45f ? 1.0f : 0.0f) - 0.15f * std::max(r - 0.85f, 0.0f) * 6.0f;
        return Rgba{k, k, k, 1.0f};
    });
    // a down arrow in the middle tells what the cap wants
    c.FillPolygon({{cx - s * 0.16f, cy - s * 0.08f}, {cx + s * 0.16f, cy - s * 0.08f}, {cx, cy + s * 0.16f}},
                  Hex(0xffffff));
    c.FillRect(cx - s * 0.06f, cy - s * 0.22f, cx + s * 0.06f, cy - s * 0.07f, Hex(0xffffff));
    return c;
}

Canvas TexPainting(int w, int h, int theme, uint32_t seed) {
    Canvas c(w, h);
    float fw = float(w), fh = float(h);
    switch (theme % 4) {
    case 0: {  // sunset over hills
        c.Shade([&](float x, float y) {
            float v = y / fh;
            Rgba sky = Mix(Hex(0x2b3d78), Hex(0xf0a050), std::pow(v, 1.5f));
            float hill = 0.62f + 0.12f * Fbm(x / fw * 3, 0.5f, 0, 4, seed);
            float hill2 = 0.75f + 0.1f * Fbm(x / fw * 4, 3.5f, 0, 4, seed + 1u);
            if (v > hill2) return Mix(Hex(0x2c4a2a), Hex(0x15241a), (v - hill2) * 3);
            if (v > hill) return Hex(0x4a5a6e);
            return sky;
        });
        c.FillCircle(fw * 0.68f, fh * 0.5f, fh * 0.09f, Hex(0xffe0a0));
        break;
    }
    case 1: {  // portrait-like figure on dark ground
        c.Shade([&](float x, float y) {
            float n = Fbm(x / fw * 4, y / fh * 4, 0, 4, seed);
            return Mix(Hex(0x1e1a16), Hex(0x4a3a28), n);
        });
        c.FillCircle(fw * 0.5f, fh * 0.38f, fw * 0.16f, Hex(0xd8b090));
        c.FillRoundRect(fw * 0.24f, fh * 0.55f, fw * 0.76f, fh * 1.1f, fw * 0.2f, Hex(0x6a1e28));
        c.FillCircle(fw * 0.5f, fh * 0.3f, fw * 0.17f, Hex(0x2a1c12, 0.9f));
        c.FillCircle(fw * 0.5f, fh * 0.41f, fw * 0.13f, Hex(0xd8b090));
        break;
    }
    case 2: {  // still life: bowl and fruit
        c.Shade([&](float x, float y) {
            float v = y / fh;
            return v > 0.7f ? Hex(0x5a3a22) : Mix(Hex(0x3a4a3a), Hex(0x23302a), v);
        });
        c.FillRoundRect(fw * 0.22f, fh * 0.55f, fw * 0.78f, fh * 0.74f, fh * 0.08f, Hex(0xc9b38a));
        c.FillCircle(fw * 0.4f, fh * 0.52f, fw * 0.1f, Hex(0xc03a2a));
        c.FillCircle(fw * 0.58f, fh * 0.5f, fw * 0.11f, Hex(0xe0a030));
        c.FillCircle(fw * 0.5f, fh * 0.44f, fw * 0.09f, Hex(0x6a8a2a));
        break;
    }
    default: {  // abstract composition
        c.Shade([&](float, float) { return Hex(0xe8e0cc); });
        c.FillRect(fw * 0.08f, fh * 0.1f, fw * 0.55f, fh * 0.6f, Hex(0xc0302a));
        c.FillRect(fw * 0.6f, fh * 0.1f, fw * 0.92f, fh * 0.35f, Hex(0x2a4a9a));
        c.FillRect(fw * 0.6f, fh * 0.4f, fw * 0.92f, fh * 0.9f, Hex(0xe8c030));
        c.FillRect(fw * 0.08f, fh * 0.65f, fw * 0.55f, fh * 0.9f, Hex(0x202020));
        break;
    }
    }
    // gilt frame
    float b = std::min(fw, fh) * 0.08f;
    c.StrokeRoundRect(b * 0.5f, b * 0.5f, fw - b * 0.5f, fh - b * 0.5f, 0.0f, b, Hex(0xc9a040));
    c.StrokeRoundRect(b * 0.25f, b * 0.25f, fw - b * 0.25f, fh - b * 0.25f, 0.0f, b * 0.25f, Hex(0xf0d070));
    c.StrokeRoundRect(b, b, fw - b, fh - b, 0.0f, 1.5f, Hex(0x5a4010));
    return c;
}

Canvas TexCeiling(int size, Rgba base, uint32_t seed) {
    Canvas c(size, size);
    float s = float(size);
    c.Shade([&](float x, float y) {
        float n = Fbm(x / s * 4, y / s * 4, 4, 3, seed);
        float lx = std::fmod(x, s * 0.5f), ly = std::fmod(y, s * 0.5f);
        float edge = std::min(std::min(lx, s * 0.5f - lx), std::min(ly, s * 0.5f - ly));
        float k = edge < s * 0.04f ? 1.1f : (edge < s * 0.07f ? 0.75f : 0.9f);
        return Shade(base, k * (0.92f + 0.12f * n));
    });
    return c;
}

Canvas TexGlass(int size, uint32_t seed) {
    Canvas c(size, size);
    float s = float(size);
    c.Shade([&](float x, float y) {
        float d = (x + y) / (2 * s);
        float streak = std::pow(0.5f + 0.5f * std::sin(d * kTau * 3.0f + Fbm(x / s * 2, y / s * 2, 2, 2, seed)), 8.0f);
        float k = 0.86f + 0.14f * streak;
        return Rgba{k, k, k, 1.0f};
    });
    return c;
}

Canvas TexLightPanel(int size) {
    Canvas c(size, size);
    float s = float(size);
    c.Shade([&](float x, float y) {
        float dx = std::fabs(x / s - 0.5f) * 2, dy = std::fabs(y / s - 0.5f) * 2;
        float e = std::max(dx, dy);
        float k = e > 0.9f ? 0.35f : 1.0f - 0.25f * e * e;
        return Rgba{k, k * 0.96f, k * 0.88f, 1.0f};
    });
    return c;
}
