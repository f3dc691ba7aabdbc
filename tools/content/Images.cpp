// Every picture under Data/Texture: logos, menu words, the stage label, the
// cut-in, the crosshairs, the operation guides and the effect textures.
#include <algorithm>
#include <cmath>

#include "tools/content/ModelKit.h"

namespace {

constexpr float kTau = 6.28318530718f;

// Palette shared by every picture.
const Rgba kGoldLight = Hex(0xfff1b8), kGold = Hex(0xf2c04a), kGoldDeep = Hex(0xb07a1c);
const Rgba kInk = Hex(0x1a1208), kNavy = Hex(0x0d1626), kWhite = Hex(0xffffff);
const Rgba kAccent = Hex(0xffb020);  // pressed keys and buttons in the guides

// Writes pictures below Data/Texture/.
class TextureFolder {
public:
    explicit TextureFolder(const ContentContext& ctx) : root_(ctx.dataDir + "/Texture/") {
        ok_ = MakeDirs(ctx.dataDir + "/Texture");
    }
    void Save(const std::string& name, const Canvas& c) {
        size_t slash = name.rfind('/');
        if (slash != std::string::npos) ok_ = MakeDirs(root_ + name.substr(0, slash)) && ok_;
        ok_ = c.Save(root_ + name) && ok_;
    }
    bool Ok() const { return ok_; }

private:
    std::string root_;
    bool ok_ = true;
};

TextStyle GoldTitle(float px) {
    TextStyle s;
    s.pixelHeight = px;
    s.top = kGoldLight;
    s.bottom = kGoldDeep;
    s.outline = 3.0f;
    s.outlineColour = kInk;
    s.shadowDx = 3;
    s.shadowDy = 4;
    s.shadowBlur = 3;
    s.shadowColour = Hex(0x000000, 0.7f);
    return s;
}

TextStyle WhiteLabel(float px) {
    TextStyle s;
    s.pixelHeight = px;
    s.top = kWhite;
    s.bottom = Hex(0xdfe6ee);
    s.outline = 2.5f;
    s.outlineColour = Hex(0x101820);
    s.shadowDx = 2;
    s.shadowDy = 2;
    s.shadowBlur = 2;
    s.shadowColour = Hex(0x000000, 0.6f);
    return s;
}

// A small gold diamond ornament.
void Diamond(Canvas& c, float x, float y, float r) {
    c.FillPolygon({{x, y - r - 1.5f}, {x + r + 1.5f, y}, {x, y + r + 1.5f}, {x - r - 1.5f, y}}, kInk);
    c.FillPolygon({{x, y - r}, {x + r, y}, {x, y + r}, {x - r, y}}, kGold);
    c.FillPolygon({{x, y - r}, {x + r, y}, {x, y}}, kGoldLight);
}

// A gold rule with a dark edge, for logos.
void Rule(Canvas& c, float x0, float x1, float y) {
    c.Line(x0, y, x1, y, 5.0f, kInk);
    c.Line(x0, y, x1, y, 2.5f, kGold);
}

// ---------------------------------------------------------------- title

void TitleImages(TextureFolder& out, const ContentFonts& fonts) {
    Canvas fade(1280, 720, Hex(0x000000));
    out.Save("FadeBlack.png", fade);

    Canvas logo(945, 98);
    TextStyle s = GoldTitle(84);
    s.tracking = 6;
    float w = fonts.serifBold.Measure("GILDED VAULT", s.pixelHeight) + s.tracking * 12;
    DrawText(logo, fonts.serifBold, "GILDED VAULT", 472.5f, 49, s, 780);
    float half = std::min(w, 780.0f) * 0.5f;
    Rule(logo, 20, 472.5f - half - 30, 49);
    Rule(logo, 472.5f + half + 30, 925, 49);
    Diamond(logo, 472.5f - half - 22, 49, 7);
    Diamond(logo, 472.5f + half + 22, 49, 7);
    Diamond(logo, 16, 49, 5);
    Diamond(logo, 929, 49, 5);
    out.Save("TitleScene/Logo.png", logo);
}

// A computer mouse seen from above; highlight: 0 none, 1 left, 2 right.
void MouseIcon(Canvas& c, float cx, float cy, float h, int highlight) {
    float w = h * 0.64f, r = w * 0.5f;
    float x0 = cx - w / 2, x1 = cx + w / 2, y0 = cy - h / 2, y1 = cy + h / 2;
    c.Line(cx, y0 - h * 0.05f, cx, y0 - h * 0.2f, h * 0.05f, Hex(0xd0d6dc));  // cable
    c.FillRoundRect(x0 - 2.5f, y0 - 2.5f, x1 + 2.5f, y1 + 2.5f, r + 2.5f, Hex(0x0a0e12));
    c.FillRoundRect(x0, y0, x1, y1, r, Hex(0xe8ecf0));
    float split = y0 + h * 0.42f;
    auto button = [&](bool left) {
        float bx0 = left ? x0 : cx, bx1 = left ? cx : x1;
        c.DrawSdf(bx0, y0, bx1, split,
                  [&](float x, float y) {
                      // the body's rounded top, cut to one half
                      float dx = std::max(std::fabs(x - cx) - (w / 2 - r), 0.0f);
                      float dy = std::max(y0 + r - y, 0.0f);
                      float body = std::hypot(dx, dy) - r;
                      float half = left ? x - (cx - 1.2f) : (cx + 1.2f) - x;
                      return std::max({body + 1.5f, half, y - (split - 1.2f)});
                  },
                  [&](float, float) { return kAccent; });
    };
    if (highlight == 1) button(true);
    if (highlight == 2) button(false);
    c.Line(x0 + 2, split, x1 - 2, split, 2.0f, Hex(0x2a3038));
    c.Line(cx, y0 + 2, cx, split, 2.0f, Hex(0x2a3038));
    c.FillRoundRect(cx - w * 0.07f, y0 + h * 0.12f, cx + w * 0.07f, y0 + h * 0.3f, w * 0.07f, Hex(0x5a6068));
}

// A keyboard key cap with its label.
void KeyCap(Canvas& c, const ContentFonts& fonts, float x0, float y0, float x1, float y1,
            const std::string& label, bool lit) {
    float r = 6;
    c.FillRoundRect(x0 - 2, y0 - 2, x1 + 2, y1 + 2, r + 2, Hex(0x0a0e12));
    c.FillRoundRect(x0, y0, x1, y1, r, lit ? Hex(0xb06a10) : Hex(0x8a9098));
    Rgba top = lit ? kAccent : Hex(0xeef2f6);
    c.FillRoundRect(x0 + 3, y0 + 2, x1 - 3, y1 - 6, r - 1, top);
    TextStyle s;
    s.pixelHeight = std::min(y1 - y0, 40.0f) * 0.52f;
    s.top = s.bottom = Hex(0x1a2028);
    DrawText(c, fonts.sansBold, label, (x0 + x1) / 2, (y0 + y1) / 2 - 2, s, x1 - x0 - 8);
}

// A small white label under or beside an icon.
void Caption(Canvas& c, const ContentFonts& fonts, const std::string& text, float cx, float cy,
             float px, float maxWidth = 0) {
    TextStyle s = WhiteLabel(px);
    s.outline = 2.0f;
    s.shadowBlur = 1;
    DrawText(c, fonts.sansBold, text, cx, cy, s, maxWidth);
}

// The guide's backing card: dark glass with a thin gold edge.
Canvas GuideCard(int w, int h) {
    Canvas c(w, h);
    c.FillRoundRect(2, 2, w - 2.0f, h - 2.0f, 14, Hex(0x0c1018, 0.72f));
    c.StrokeRoundRect(4, 4, w - 4.0f, h - 4.0f, 12, 2.0f, Hex(0xe0b050, 0.9f));
    return c;
}

void Arrow(Canvas& c, float x0, float x1, float y) {
    c.Line(x0, y, x1 - 8, y, 6, Hex(0x0a0e12));
    c.Line(x0, y, x1 - 8, y, 3, kGold);
    c.FillPolygon({{x1 - 12, y - 10}, {x1 + 2, y}, {x1 - 12, y + 10}}, Hex(0x0a0e12));
    c.FillPolygon({{x1 - 11, y - 7}, {x1 - 1, y}, {x1 - 11, y + 7}}, kGold);
}

void ClickPrompt(TextureFolder& out, const ContentFonts& fonts) {
    Canvas c(263, 64);
    MouseIcon(c, 26, 34, 40, 1);
    TextStyle s = WhiteLabel(30);
    const float left = 54, right = 258;
    float w = fonts.sansBold.Measure("CLICK TO START", s.pixelHeight) + 2 * s.outline;
    if (w > right - left) s.pixelHeight *= (right - left) / w;
    DrawTextLeft(c, fonts.sansBold, "CLICK TO START", left, 33, s);
    out.Save("TitleScene/Logo_Click.png", c);
}

// The title's stage buttons, shown once more than stage 1 can be played: a
// plate with a small STAGE caption, the number drawn over it from a strip of
// digits (cells of 30 x 40, "0" to "9"). White, so the hover tint shows.
void StageButtons(TextureFolder& out, const ContentFonts& fonts) {
    Canvas plate(88, 76);
    plate.FillRoundRect(1, 1, 87, 75, 14, Hex(0x0c1018, 0.72f));
    plate.StrokeRoundRect(3, 3, 85, 73, 12, 2.0f, Hex(0xffffff, 0.9f));
    TextStyle caption = WhiteLabel(15);
    caption.outline = 1.5f;
    caption.shadowDx = caption.shadowDy = 0;
    caption.shadowBlur = 0;
    caption.tracking = 1;
    DrawText(plate, fonts.sansBold, "STAGE", 44, 17, caption, 70);
    plate.Line(18, 28, 70, 28, 1.5f, Hex(0xffffff, 0.6f));
    out.Save("TitleScene/StageButton.png", plate);

    Canvas digits(300, 40);
    TextStyle d = WhiteLabel(34);
    d.shadowDx = d.shadowDy = 1;
    d.shadowBlur = 1;
    for (int n = 0; n <= 9; ++n) DrawText(digits, fonts.sansBold, std::to_string(n), 30 * n + 15.0f, 20, d, 28);
    out.Save("TitleScene/StageDigits.png", digits);
}

// ---------------------------------------------------------------- clear

// A menu word on a dark plate; white so the menu's cyan tint shows on hover.
Canvas MenuButton(const ContentFonts& fonts, int w, int h, const std::string& text) {
    Canvas c(w, h);
    c.FillRoundRect(1, 1, w - 1.0f, h - 1.0f, h * 0.3f, Hex(0x0c1018, 0.7f));
    c.StrokeRoundRect(3, 3, w - 3.0f, h - 3.0f, h * 0.26f, 2.0f, Hex(0xffffff, 0.9f));
    TextStyle s = WhiteLabel(h * 0.55f);
    s.shadowDx = s.shadowDy = 0;
    s.shadowBlur = 0;
    DrawText(c, fonts.sansBold, text, w * 0.5f, h * 0.5f, s, w - 24.0f);
    return c;
}

void ClearImages(TextureFolder& out, const ContentFonts& fonts) {
    Canvas logo(807, 117);
    TextStyle s = GoldTitle(100);
    s.tracking = 4;
    DrawText(logo, fonts.serifBold, "STAGE CLEAR", 403.5f, 58, s, 660);
    float half = std::min(fonts.serifBold.Measure("STAGE CLEAR", 100) + 44, 660.0f) * 0.5f;
    Rule(logo, 14, 403.5f - half - 26, 58);
    Rule(logo, 403.5f + half + 26, 793, 58);
    Diamond(logo, 403.5f - half - 18, 58, 8);
    Diamond(logo, 403.5f + half + 18, 58, 8);
    out.Save("ClearScene/GameClearLogo.png", logo);
    out.Save("ClearScene/NextStageTex.png", MenuButton(fonts, 254, 58, "NEXT STAGE"));
    out.Save("ClearScene/PlayAgainTex.png", MenuButton(fonts, 257, 57, "PLAY AGAIN"));
    out.Save("ClearScene/TitleTex.png", MenuButton(fonts, 120, 47, "TITLE"));
}

// The clear time: a card behind two rows (TIME, this run; BEST, the best so
// far), their labels, a strip of gold glyphs for m:ss.cc (cells of 48 x 64 in
// the order "0123456789:.") and the stamp for a new best.
void ClearTimeImages(TextureFolder& out, const ContentFonts& fonts) {
    Canvas panel(600, 180);
    panel.FillRoundRect(2, 2, 598, 178, 18, Hex(0x0c1018, 0.74f));
    panel.StrokeRoundRect(5, 5, 595, 175, 15, 2.5f, Hex(0xe0b050, 0.95f));
    panel.Line(40, 90, 560, 90, 1.5f, Hex(0xe0b050, 0.45f));
    Diamond(panel, 300, 90, 5);
    out.Save("ClearScene/TimePanel.png", panel);

    TextStyle label = WhiteLabel(40);
    label.top = kGoldLight;
    label.bottom = kGold;
    label.outline = 3;
    label.outlineColour = kInk;
    label.tracking = 3;
    for (const char* word : {"TIME", "BEST"}) {
        Canvas c(150, 56);
        DrawText(c, fonts.sansBold, word, 75, 28, label, 140);
        out.Save(std::string("ClearScene/") + (word[0] == 'T' ? "TimeLabel.png" : "BestLabel.png"), c);
    }

    Canvas glyphs(576, 64);
    TextStyle g = label;
    g.pixelHeight = 56;
    g.tracking = 0;
    g.top = kWhite;
    g.bottom = kGoldLight;
    const std::string order = "0123456789:.";
    for (size_t i = 0; i < order.size(); ++i)
        DrawText(glyphs, fonts.sansBold, std::string(1, order[i]), 48 * i + 24.0f, 32, g, 46);
    out.Save("ClearScene/TimeDigits.png", glyphs);

    // NEW BEST: a red ribbon with a gold edge and white letters.
    Canvas stamp(180, 60);
    const std::vector<std::pair<float, float>> ribbon{{4, 8}, {176, 8}, {166, 30}, {176, 52}, {4, 52}, {14, 30}};
    stamp.FillPolygon({{1, 5}, {179, 5}, {169, 30}, {179, 55}, {1, 55}, {11, 30}}, kInk);
    stamp.FillPolygon(ribbon, kGold);
    stamp.FillPolygon({{8, 11}, {171, 11}, {162, 30}, {171, 49}, {8, 49}, {17, 30}}, Hex(0xb8201a));
    TextStyle n = WhiteLabel(26);
    n.tracking = 1;
    DrawText(stamp, fonts.sansBold, "NEW BEST!", 90, 30, n, 140);
    out.Save("ClearScene/NewBest.png", stamp);
}

// ---------------------------------------------------------------- game HUD

void StageLabels(TextureFolder& out, const ContentFonts& fonts) {
    Canvas label(154, 74);
    TextStyle s = WhiteLabel(44);
    s.top = kGoldLight;
    s.bottom = kGold;
    s.outline = 3;
    s.outlineColour = kInk;
    s.tracking = 1;
    // the digit sprite is centred 80 pixels right of this one's centre, so
    // the word keeps to the left 124 pixels and leaves room for it
    const float textW = 114;
    float w = fonts.sansBold.Measure("STAGE", s.pixelHeight) + s.tracking * 5;
    if (w > textW) {
        s.pixelHeight *= textW / w;
        s.tracking *= textW / w;
    }
    DrawTextLeft(label, fonts.sansBold, "STAGE", 8, 37, s);
    out.Save("GameScene/StageNo/Stage.png", label);
    // every digit, for stage numbers of one or two digits drawn side by side
    for (int n = 0; n <= 9; ++n) {
        Canvas digit(51, 54);
        TextStyle d = s;
        d.pixelHeight = 56;
        d.tracking = 0;
        DrawText(digit, fonts.sansBold, std::to_string(n), 25.5f, 28, d, 47);
        out.Save("GameScene/StageNo/" + std::to_string(n) + ".png", digit);
    }
}

void Crosshairs(TextureFolder& out) {
    Canvas on(64, 64);
    const Rgba dark = Hex(0x000000, 0.8f);
    auto sight = [&](float width, const Rgba& col) {
        on.StrokeCircle(32, 32, 17, width, col);
        for (int i = 0; i < 4; ++i) {
            float a = i * kTau / 4;
            float dx = std::sin(a), dy = -std::cos(a);
            on.Line(32 + dx * 21, 32 + dy * 21, 32 + dx * 29, 32 + dy * 29, width, col);
        }
        on.FillCircle(32, 32, width * 0.9f, col);
    };
    sight(5.0f, dark);
    sight(2.4f, kWhite);
    out.Save("GameScene/HookGun/Sighting.png", on);

    Canvas off(16, 16);
    off.StrokeCircle(8, 8, 4.5f, 3.5f, dark);
    off.StrokeCircle(8, 8, 4.5f, 1.6f, kWhite);
    out.Save("GameScene/HookGun/NotShghting.png", off);
}

// ---------------------------------------------------------------- cut-in

Canvas CutInBand(bool upper) {
    Canvas c(1280, 200);
    c.Shade([&](float x, float y) {
        float v = y / 200.0f;
        Rgba base = Mix(Hex(0x101a30), kNavy, std::fabs(v - 0.5f) * 2.0f);
        // speed lines running along the band's slide
        float line = ValueNoise(x / 1280.0f * 3.0f, y / 3.0f, 0, upper ? 5u : 6u);
        base = Mix(base, Hex(0x2a3e66), std::pow(line, 6.0f) * 0.8f);
        base.a = 0.92f;
        return base;
    });
    // gold edges; the edge facing the screen centre is the heavy one
    float inner = upper ? 200.0f - 14.0f : 0.0f;
    float outer = upper ? 0.0f : 200.0f - 6.0f;
    c.FillRect(0, inner, 1280, inner + 14, kGoldDeep);
    c.FillRect(0, inner + 4, 1280, inner + 10, kGold);
    c.FillRect(0, outer, 1280, outer + 6, kGoldDeep);
    for (int i = 0; i < 16; ++i) {
        float x = 40 + i * 80.0f;
        Diamond(c, x, inner + 7, 5);
    }
    return c;
}

void CutInImages(TextureFolder& out, const ContentFonts& fonts) {
    out.Save("GameScene/Staging/CutIn/CutIn_Up.png", CutInBand(true));
    out.Save("GameScene/Staging/CutIn/CutIn_Down.png", CutInBand(false));

    Canvas jewel(244, 98);
    TextStyle s = GoldTitle(78);
    s.top = Hex(0xe8f6ff);
    s.bottom = Hex(0x3a8cff);
    s.outlineColour = Hex(0x08142c);
    s.tracking = 2;
    DrawText(jewel, fonts.serifBold, "JEWEL", 122, 49, s, 236);
    out.Save("GameScene/Staging/CutIn/JewelLogo.png", jewel);

    Canvas get(208, 99);
    TextStyle g = GoldTitle(84);
    g.tracking = 2;
    DrawText(get, fonts.serifBold, "GET!", 104, 50, g, 200);
    out.Save("GameScene/Staging/CutIn/GetLogo.png", get);
}

// ---------------------------------------------------------------- guides

void Guides(TextureFolder& out, const ContentFonts& fonts) {
    {  // move with W A S D, look with the mouse, jump with Space
        Canvas c = GuideCard(300, 160);
        float k = 34, gap = 4, x = 22, y = 18;
        KeyCap(c, fonts, x + k + gap, y, x + 2 * k + gap, y + k, "W", false);
        KeyCap(c, fonts, x, y + k + gap, x + k, y + 2 * k + gap, "A", false);
        KeyCap(c, fonts, x + k + gap, y + k + gap, x + 2 * k + gap, y + 2 * k + gap, "S", false);
        KeyCap(c, fonts, x + 2 * (k + gap), y + k + gap, x + 3 * k + 2 * gap, y + 2 * k + gap, "D", false);
        Caption(c, fonts, "MOVE", x + 1.5f * k + gap, 106, 20);
        MouseIcon(c, 222, 58, 56, 0);
        Caption(c, fonts, "LOOK", 222, 106, 20);
        KeyCap(c, fonts, 20, 122, 150, 150, "SPACE", false);
        Caption(c, fonts, "JUMP", 205, 136, 20);
        // arrows beside the mouse hint at looking around
        c.Line(180, 58, 192, 58, 3, kGold);
        c.Line(252, 58, 264, 58, 3, kGold);
        c.FillPolygon({{175, 58}, {184, 51}, {184, 65}}, kGold);
        c.FillPolygon({{269, 58}, {260, 51}, {260, 65}}, kGold);
        out.Save("GameScene/Guide/PlayerGuide.png", c);
    }
    {  // aim at the box and left-click to fire the hook
        Canvas c = GuideCard(150, 160);
        MouseIcon(c, 75, 66, 72, 1);
        Caption(c, fonts, "SHOOT", 75, 124, 22);
        Caption(c, fonts, "THE HOOK", 75, 145, 15);
        out.Save("GameScene/Guide/HookGuide.png", c);
    }
    {  // hooked: left click reels the box in, right click lets go
        Canvas c = GuideCard(420, 160);
        MouseIcon(c, 60, 70, 72, 1);
        Caption(c, fonts, "PULL", 150, 58, 26);
        Caption(c, fonts, "THE BOX", 150, 88, 20);
        c.Line(210, 22, 210, 138, 2, Hex(0xe0b050, 0.6f));
        MouseIcon(c, 270, 70, 72, 2);
        Caption(c, fonts, "LET GO", 355, 70, 26);
        out.Save("GameScene/Guide/BoxMoveGuide.png", c);
    }
    {  // hooked at the pull spot: jump, then left click to fly to the hook
        Canvas c = GuideCard(300, 160);
        KeyCap(c, fonts, 16, 52, 118, 84, "SPACE", true);
        Caption(c, fonts, "JUMP", 67, 110, 22);
        Arrow(c, 126, 158, 68);
        MouseIcon(c, 200, 66, 62, 1);
        Caption(c, fonts, "FLY TO", 200, 112, 20, 110);
        Caption(c, fonts, "THE HOOK", 200, 134, 18, 110);
        Caption(c, fonts, "THEN", 142, 44, 14);
        out.Save("GameScene/Guide/HookMoveGuide.png", c);
    }
}

// ---------------------------------------------------------------- effects

void EffectImages(TextureFolder& out) {
    // hook spark: a streak along v, bright head at the top (the flight end)
    Canvas tip(32, 128);
    tip.Shade([](float x, float y) {
        float across = std::fabs(x / 32.0f - 0.5f) * 2.0f;
        float along = y / 128.0f;  // 0 head, 1 tail
        float width = 1.0f - along * 0.7f;
        float core = std::clamp(1.0f - across / std::max(width, 0.05f), 0.0f, 1.0f);
        float a = std::pow(core, 1.5f) * std::pow(1.0f - along, 0.8f);
        Rgba c = Mix(Hex(0xffb040), Hex(0xffffff), std::pow(core, 3.0f));
        c.a = std::clamp(a, 0.0f, 1.0f);
        return c;
    });
    out.Save("GameScene/HookGun/TipEffect.png", tip);

    // laser beam: u along the beam (uniform), v across: white core, red glow
    Canvas beam(64, 64);
    beam.Shade([](float, float y) {
        float d = std::fabs(y / 64.0f - 0.5f) * 2.0f;
        float core = std::clamp(1.0f - d / 0.25f, 0.0f, 1.0f);
        float glow = std::pow(std::clamp(1.0f - d, 0.0f, 1.0f), 2.0f);
        Rgba c = Mix(Hex(0xff2010), Hex(0xfff0e0), core);
        c.a = std::clamp(glow + core, 0.0f, 1.0f);
        return c;
    });
    out.Save("GameScene/Laser/NewLaser.png", beam);

    // clock hand: from the quad's centre pointing up, with a hub and tail
    Canvas hand(128, 128);
    const Rgba ink = Hex(0x141a24), red = Hex(0xc02818), brass = Hex(0xd8a845);
    hand.FillPolygon({{64, 12}, {70, 30}, {67, 74}, {61, 74}, {58, 30}}, ink);
    hand.FillPolygon({{64, 12}, {68.5f, 26}, {59.5f, 26}}, red);
    hand.Line(64, 64, 64, 84, 6, ink);
    hand.FillCircle(64, 64, 9, ink);
    hand.FillCircle(64, 64, 6, brass);
    out.Save("GameScene/TimeDoor/ClockHands.png", hand);
}

// ---------------------------------------------------------------- options

// The options screen (game/OptionsScreen): labels, key caps, messages and
// digits are atlases the screen cuts with source rectangles; the sizes and
// the order of the cells here are the ones game/OptionsScreen.cpp reads.
constexpr int kOptLabelW = 300, kOptLabelH = 44;
constexpr int kOptKeyW = 88, kOptKeyH = 44, kOptKeyColumns = 8;
constexpr int kOptMessageW = 640, kOptMessageH = 40;
constexpr int kOptDigitW = 22, kOptDigitH = 32;

void OptionsImages(TextureFolder& out, const ContentFonts& fonts) {
    // The backing card: dark glass with a gold edge, as the guides.
    {
        const int w = 1240, h = 660;
        Canvas c(w, h);
        c.FillRoundRect(2, 2, w - 2.0f, h - 2.0f, 22, Hex(0x0c1018, 0.86f));
        c.StrokeRoundRect(6, 6, w - 6.0f, h - 6.0f, 18, 3.0f, Hex(0xe0b050, 0.95f));
        c.Line(w * 0.5f, 100, w * 0.5f, h - 110.0f, 2.0f, Hex(0xe0b050, 0.5f));
        out.Save("Options/Panel.png", c);
    }
    {
        Canvas title(420, 80);
        TextStyle s = GoldTitle(60);
        s.tracking = 4;
        DrawText(title, fonts.serifBold, "OPTIONS", 210, 40, s, 330);
        Diamond(title, 22, 40, 7);
        Diamond(title, 398, 40, 7);
        out.Save("Options/Title.png", title);
    }
    // Row labels, one cell a row, in the screen's row order.
    {
        const char* labels[] = {"MOUSE SENSITIVITY", "INVERT LOOK",  "MUSIC VOLUME", "EFFECTS VOLUME",
                                "FULLSCREEN",        "RENDER SCALE", "CONTROLLER LOOK", "WALK FORWARD",
                                "WALK BACK",         "WALK LEFT",    "WALK RIGHT",   "JUMP",
                                "STOP PULL",         "BACK TO TITLE"};
        const int count = static_cast<int>(sizeof(labels) / sizeof(labels[0]));
        Canvas c(kOptLabelW, kOptLabelH * count);
        for (int i = 0; i < count; ++i) {
            TextStyle s = WhiteLabel(26);
            s.shadowDx = s.shadowDy = 0;
            s.shadowBlur = 0;
            s.outline = 2.0f;
            DrawTextLeft(c, fonts.sansBold, labels[i], 8, kOptLabelH * i + kOptLabelH * 0.5f, s);
        }
        out.Save("Options/Labels.png", c);
    }
    // Key caps: A..Z, 0..9, SPACE, then the empty cap shown while a key is awaited.
    {
        std::vector<std::string> names;
        for (char k = 'A'; k <= 'Z'; ++k) names.push_back(std::string(1, k));
        for (char k = '0'; k <= '9'; ++k) names.push_back(std::string(1, k));
        names.push_back("SPACE");
        names.push_back("?");
        const int rows = (static_cast<int>(names.size()) + kOptKeyColumns - 1) / kOptKeyColumns;
        Canvas c(kOptKeyW * kOptKeyColumns, kOptKeyH * rows);
        for (size_t i = 0; i < names.size(); ++i) {
            const float x0 = static_cast<float>(kOptKeyW * static_cast<int>(i % kOptKeyColumns));
            const float y0 = static_cast<float>(kOptKeyH * static_cast<int>(i / kOptKeyColumns));
            KeyCap(c, fonts, x0 + 6, y0 + 4, x0 + kOptKeyW - 6, y0 + kOptKeyH - 4, names[i], names[i] == "?");
        }
        out.Save("Options/Keys.png", c);
    }
    // Messages under the key column, one cell each.
    {
        const char* messages[] = {"PRESS THE NEW KEY", "ESCAPE, F11 AND TAB ARE RESERVED",
                                  "THIS KEY CANNOT BE BOUND", "THAT KEY IS ALREADY USED FOR",
                                  "SETTINGS COULD NOT BE SAVED"};
        const int count = static_cast<int>(sizeof(messages) / sizeof(messages[0]));
        Canvas c(kOptMessageW, kOptMessageH * count);
        for (int i = 0; i < count; ++i) {
            TextStyle s = WhiteLabel(24);
            s.top = kGoldLight;
            s.bottom = kAccent;
            s.shadowDx = s.shadowDy = 0;
            s.shadowBlur = 0;
            DrawText(c, fonts.sansBold, messages[i], kOptMessageW * 0.5f, kOptMessageH * i + kOptMessageH * 0.5f, s,
                     kOptMessageW - 16.0f);
        }
        out.Save("Options/Messages.png", c);
    }
    // Digits 0..9 and the decimal point for the values beside the bars.
    {
        Canvas c(kOptDigitW * 11, kOptDigitH);
        for (int i = 0; i < 11; ++i) {
            TextStyle s = WhiteLabel(26);
            s.shadowDx = s.shadowDy = 0;
            s.shadowBlur = 0;
            s.outline = 2.0f;
            const std::string text = i < 10 ? std::to_string(i) : ".";
            DrawText(c, fonts.sansBold, text, kOptDigitW * i + kOptDigitW * 0.5f, kOptDigitH * 0.5f, s, kOptDigitW);
        }
        out.Save("Options/Digits.png", c);
        // The render scale's last notch: the game chooses it.
        Canvas word(kOptDigitW * 5, kOptDigitH);
        TextStyle s = WhiteLabel(26);
        s.shadowDx = s.shadowDy = 0;
        s.shadowBlur = 0;
        s.outline = 2.0f;
        DrawText(word, fonts.sansBold, "AUTO", kOptDigitW * 2.5f, kOptDigitH * 0.5f, s, kOptDigitW * 5);
        out.Save("Options/Auto.png", word);
    }
    // Steppers, the bar and the switches; white so the hover tint shows.
    {
        Canvas minus(44, 44), plus(44, 44);
        for (Canvas* c : {&minus, &plus}) {
            c->FillRoundRect(2, 2, 42, 42, 10, Hex(0x0c1018, 0.8f));
            c->StrokeRoundRect(4, 4, 40, 40, 8, 2.0f, Hex(0xffffff, 0.9f));
            c->Line(13, 22, 31, 22, 5.0f, kWhite);
        }
        plus.Line(22, 13, 22, 31, 5.0f, kWhite);
        out.Save("Options/Minus.png", minus);
        out.Save("Options/Plus.png", plus);

        Canvas frame(200, 24), fill(200, 24);
        frame.FillRoundRect(1, 1, 199, 23, 8, Hex(0x05080c, 0.9f));
        frame.StrokeRoundRect(2, 2, 198, 22, 7, 2.0f, Hex(0xe0b050, 0.9f));
        fill.Shade([](float, float y) { return Mix(kGoldLight, kGoldDeep, y / 24.0f); });
        out.Save("Options/BarFrame.png", frame);
        out.Save("Options/BarFill.png", fill);

        out.Save("Options/On.png", MenuButton(fonts, 96, 44, "ON"));
        out.Save("Options/Off.png", MenuButton(fonts, 96, 44, "OFF"));
        out.Save("Options/Back.png", MenuButton(fonts, 180, 52, "BACK"));
        out.Save("Options/OptionsButton.png", MenuButton(fonts, 200, 52, "OPTIONS"));
    }
    // The heads-up hint in a stage: the Tab key cap and the word.
    {
        Canvas c(200, 44);
        KeyCap(c, fonts, 4, 4, 70, 40, "TAB", false);
        TextStyle s = WhiteLabel(24);
        s.shadowDx = s.shadowDy = 0;
        s.shadowBlur = 0;
        DrawTextLeft(c, fonts.sansBold, "OPTIONS", 80, 22, s);
        out.Save("Options/HudHint.png", c);
    }
}

}  // namespace

bool WriteSpriteImages(const ContentContext& ctx, const ContentFonts& fonts) {
    TextureFolder out(ctx);
    TitleImages(out, fonts);
    ClickPrompt(out, fonts);
    ClearImages(out, fonts);
    ClearTimeImages(out, fonts);
    StageButtons(out, fonts);
    StageLabels(out, fonts);
    Crosshairs(out);
    CutInImages(out, fonts);
    Guides(out, fonts);
    EffectImages(out);
    OptionsImages(out, fonts);
    return out.Ok();
}
