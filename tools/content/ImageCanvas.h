// Drawing surface for the content tool's pictures: anti-aliased shapes,
// seeded noise for procedural textures and text rendered from a TrueType
// font. Everything is deterministic: the same calls give the same pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};
Rgba Mix(const Rgba& a, const Rgba& b, float t);
Rgba Scaled(const Rgba& c, float k);  // rgb * k, alpha kept
Rgba Hex(uint32_t rgb, float alpha = 1.0f);  // 0xRRGGBB

// A straight-alpha float RGBA image. Coordinates are pixels, (0, 0) the top
// left corner, pixel centres at +0.5.
class Canvas {
public:
    Canvas(int width, int height, Rgba fill = {});
    int Width() const { return w_; }
    int Height() const { return h_; }
    Rgba& At(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
    const Rgba& At(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
    // Source-over blend of c scaled by coverage (0..1) into one pixel.
    void Blend(int x, int y, const Rgba& c, float coverage);
    // Fills every pixel from a function of the pixel centre.
    void Shade(const std::function<Rgba(float x, float y)>& f);
    // Draws the region where sdf(x, y) < 0 with anti-aliased edges, limited to
    // the given bounds; colour may vary with position.
    void DrawSdf(float x0, float y0, float x1, float y1,
                 const std::function<float(float, float)>& sdf,
                 const std::function<Rgba(float, float)>& colour);
    void FillRect(float x0, float y0, float x1, float y1, const Rgba& c);
    void FillRoundRect(float x0, float y0, float x1, float y1, float radius, const Rgba& c);
    void StrokeRoundRect(float x0, float y0, float x1, float y1, float radius, float width,
                         const Rgba& c);
    void FillCircle(float cx, float cy, float r, const Rgba& c);
    void StrokeCircle(float cx, float cy, float r, float width, const Rgba& c);
    void Line(float x0, float y0, float x1, float y1, float width, const Rgba& c);
    // Convex or concave polygon (even-odd), anti-aliased.
    void FillPolygon(const std::vector<std::pair<float, float>>& pts, const Rgba& c);
    // Places another canvas with its top left at (x, y), source-over.
    void Draw(const Canvas& src, int x, int y, float opacity = 1.0f);
    std::vector<uint8_t> ToRgba8() const;
    // Writes the canvas as PNG (deterministic bytes); false on failure.
    bool Save(const std::string& path) const;

private:
    int w_, h_;
    std::vector<Rgba> px_;
};

// Coverage mask (0..1) of rendered text or a shape, with an origin.
struct Mask {
    int w = 0, h = 0;
    std::vector<float> v;
    float At(int x, int y) const {
        return (x < 0 || y < 0 || x >= w || y >= h) ? 0.0f : v[static_cast<size_t>(y) * w + x];
    }
};
// A mask grown by `radius` pixels (soft edge): outlines around text.
Mask Dilate(const Mask& m, float radius);
// A mask blurred by a box filter of the given radius, applied twice.
Mask Blur(const Mask& m, int radius);

// A TrueType font file kept in memory.
class Font {
public:
    bool Load(const std::string& path);
    // Width in pixels of `text` at the given pixel height (cap-to-descender).
    float Measure(const std::string& text, float pixelHeight) const;
    // Renders `text` with its baseline at `baseline` pixels from the top of a
    // mask `w` x `h`; x0 is the pen start.
    void Render(Mask& mask, const std::string& text, float pixelHeight, float x0,
                float baseline) const;
    // Ascent and descent (positive) in pixels at that height.
    float Ascent(float pixelHeight) const;
    float Descent(float pixelHeight) const;

private:
    std::vector<unsigned char> data_;
    std::vector<unsigned char> info_;  // stbtt_fontinfo storage
};

// Text styling for labels drawn over the 3D scene.
struct TextStyle {
    float pixelHeight = 32;
    Rgba top = Hex(0xffffff), bottom = Hex(0xffffff);  // vertical gradient of the glyphs
    float outline = 0;        // outline width in pixels
    Rgba outlineColour = Hex(0x000000);
    float shadowDx = 0, shadowDy = 0;
    float shadowBlur = 0;
    Rgba shadowColour = Hex(0x000000, 0.6f);
    float tracking = 0;       // extra pixels between letters
};

// Draws text centred on (cx, cy) (the visual middle of the capitals);
// shrinks the size so the whole text fits `maxWidth` when given.
void DrawText(Canvas& c, const Font& font, const std::string& text, float cx, float cy,
              TextStyle style, float maxWidth = 0);
// Draws text with its left end at x, vertically centred on cy; returns the
// x after the last letter.
float DrawTextLeft(Canvas& c, const Font& font, const std::string& text, float x, float cy,
                   const TextStyle& style);

// ---- seeded noise (tileable with the given period in lattice cells) ----
float Hash01(int x, int y, uint32_t seed);
float ValueNoise(float x, float y, int period, uint32_t seed);
// Fractal sum of `octaves` value-noise layers, result about 0..1.
float Fbm(float x, float y, int period, int octaves, uint32_t seed);
// Distance to the nearest feature point of a tileable cell pattern (0..~1).
float CellNoise(float x, float y, int period, uint32_t seed);

// The fonts the pictures use (DejaVu, from the fonts-dejavu-core package).
struct ContentFonts {
    Font sansBold, serifBold, condensedBold;
    // Loads all three; prints the missing file and returns false on failure.
    bool Load();
};
