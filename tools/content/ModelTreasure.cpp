// The showcase pedestal and the jewel that floats above it.
#include "tools/content/ImageTextures.h"
#include "tools/content/ModelKit.h"

namespace {

bool WriteShowCase(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/Treasure/ShowCase");
    const std::string& marbleTex = f.AddTexture("Marble.png", TexMarble(128, Hex(0xe8e0d0), Hex(0x9a8a70), 71));
    const std::string& darkTex = f.AddTexture("DarkMarble.png", TexMarble(128, Hex(0x3a3230), Hex(0xc9a050), 72));
    const std::string& goldTex = f.AddTexture("Gold.png", TexGold(64, Hex(0xe8b84a), 73));
    const std::string& velvetTex = f.AddTexture("Velvet.png", TexVelvet(64, Hex(0x8a1a2a), 74));
    CModel m;
    m.materials = {Glow(Mat("Marble", 0xffffff, 0.0f, 0.25f, marbleTex), 0xffffff, 0.1f, marbleTex),
                   Mat("DarkMarble", 0xffffff, 0.1f, 0.2f, darkTex),
                   BrassMat("Gold", goldTex),
                   Mat("Velvet", 0xffffff, 0.0f, 0.9f, velvetTex),
                   Glow(Mat("Halo", 0xffe8a0, 0.0f, 0.2f), 0xffd070, 1.4f)};
    CNode n = Node("ShowCase");
    AddBox(PrimFor(n, 1), {-2.2f, 0.0f, -2.2f}, {2.2f, 0.4f, 2.2f});
    AddBox(PrimFor(n, 2), {-1.9f, 0.4f, -1.9f}, {1.9f, 0.5f, 1.9f});
    AddBox(PrimFor(n, 0), {-1.6f, 0.5f, -1.6f}, {1.6f, 2.8f, 1.6f});
    AddBox(PrimFor(n, 2), {-1.65f, 0.7f, -1.65f}, {1.65f, 0.8f, 1.65f});
    AddBox(PrimFor(n, 2), {-1.65f, 2.55f, -1.65f}, {1.65f, 2.65f, 1.65f});
    AddBox(PrimFor(n, 1), {-2.0f, 2.8f, -2.0f}, {2.0f, 3.25f, 2.0f});
    AddBox(PrimFor(n, 2), {-2.05f, 3.25f, -2.05f}, {2.05f, 3.33f, 2.05f});
    AddLathe(PrimFor(n, 3), {{1.3f, 3.33f}, {1.3f, 3.45f}, {1.15f, 3.55f}, {0.0f, 3.57f}}, 0, 0, 24, true);
    // the glowing ring that holds the jewel in the air
    AddTorus(PrimFor(n, 4), {0, 3.52f, 0}, 1.05f, 0.06f, 32, 8);
    m.nodes.push_back(n);
    f.WriteModel("ShowCase.gltf", m);
    return f.Ok();
}

bool WriteJewel(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/Treasure/Jewel");
    CModel m;
    CMaterial gem = Glow(Mat("Sapphire", 0x3a8cff, 0.35f, 0.06f), 0x2060ff, 0.55f);
    m.materials = {gem, Glow(Mat("Table", 0x9ad0ff, 0.3f, 0.05f), 0x70b0ff, 0.8f)};
    CNode n = Node("Jewel");
    // a brilliant cut about the jewel's centre: pavilion, girdle, crown, table.
    // Every point stays within 0.95 of the centre: the hook stops 1 to 2 short
    // of the surface it strikes and catches the jewel only within 3 of it.
    constexpr float kScale = 0.65f;
    auto scaled = [](std::vector<CVec2> profile) {
        for (CVec2& q : profile) q = {q[0] * kScale, q[1] * kScale};
        return profile;
    };
    AddLathe(PrimFor(n, 0),
             scaled({{0.0f, -1.45f}, {0.7f, -0.75f}, {1.4f, -0.05f}, {1.4f, 0.1f}, {1.1f, 0.42f}, {0.72f, 0.6f}}), 0, 0,
             10, false);
    AddLathe(PrimFor(n, 1), scaled({{0.72f, 0.6f}, {0.0f, 0.6f}}), 0, 0, 10, false);
    m.nodes.push_back(n);
    f.WriteModel("JewelMain.gltf", m);
    return f.Ok();
}

}  // namespace

bool WriteTreasureModels(const ContentContext& ctx) {
    bool ok = WriteShowCase(ctx);
    return WriteJewel(ctx) && ok;
}
