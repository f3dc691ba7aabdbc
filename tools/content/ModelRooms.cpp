// The two background rooms: the title's museum hall at night and the clear
// scene's treasure vault. Both are seen by a camera circling the room's
// centre at radius 2.3 and height 2.5, looking at (0, 2.5, 0); a small
// centrepiece stands at the centre and everything else keeps clear of the
// camera's circle.
#include <cmath>

#include "tools/content/ImageTextures.h"
#include "tools/content/ModelKit.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// One room model: a single node whose primitives are grouped by material.
class RoomBuilder {
public:
    explicit RoomBuilder(const std::string& name) { node_.name = name; }
    int AddMaterial(const CMaterial& m) {
        model_.materials.push_back(m);
        return static_cast<int>(model_.materials.size() - 1);
    }
    CPrimitive& P(int material) { return PrimFor(node_, material); }
    CModel Finish() {
        CModel m = model_;
        m.nodes.push_back(node_);
        return m;
    }

private:
    CModel model_;
    CNode node_;
};

// The horizontal direction a wall faces (into the room) -> its "right" axis
// as seen by a viewer in front of it.
CVec3 WallRight(const CVec3& n) { return {-n[2], 0.0f, n[0]}; }

// A shell of floor, four walls and ceiling around the origin: walls at
// +-half, floor at y = 0, ceiling at `height`.
void Shell(RoomBuilder& r, float half, float height, int floorMat, int wallMat, int ceilMat) {
    float t = 0.5f;
    AddBoxFaces(r.P(floorMat), {-half, -t, -half}, {half, 0.0f, half}, 0x37u, CUvMode{4.0f});  // top only
    AddBoxFaces(r.P(ceilMat), {-half, height, -half}, {half, height + t, half}, 0x3Bu, CUvMode{4.0f});  // bottom only
    // walls: only the face toward the room
    AddBoxFaces(r.P(wallMat), {-half - t, 0, -half}, {-half, height, half}, 0x3Du, CUvMode{4.0f});
    AddBoxFaces(r.P(wallMat), {half, 0, -half}, {half + t, height, half}, 0x3Eu, CUvMode{4.0f});
    AddBoxFaces(r.P(wallMat), {-half, 0, -half - t}, {half, height, -half}, 0x1Fu, CUvMode{4.0f});
    AddBoxFaces(r.P(wallMat), {-half, 0, half}, {half, height, half + t}, 0x2Fu, CUvMode{4.0f});
}

// A band running around the four walls (skirting, dado rail, cornice).
void WallBand(CPrimitive& p, float half, float y0, float y1, float depth) {
    float in = half - depth;
    AddBox(p, {-half, y0, -half}, {-in, y1, half}, CUvMode{2.0f});
    AddBox(p, {in, y0, -half}, {half, y1, half}, CUvMode{2.0f});
    AddBox(p, {-in, y0, -half}, {in, y1, -in}, CUvMode{2.0f});
    AddBox(p, {-in, y0, in}, {in, y1, half}, CUvMode{2.0f});
}

// A round column with base and capital standing at (x, z).
void Column(CPrimitive& shaft, CPrimitive& trim, float x, float z, float height, float radius) {
    AddBox(trim, {x - radius * 1.4f, 0.0f, z - radius * 1.4f}, {x + radius * 1.4f, 0.3f, z + radius * 1.4f});
    AddLathe(trim, {{radius * 1.25f, 0.3f}, {radius * 1.25f, 0.45f}, {radius * 1.05f, 0.6f}}, x, z, 12, true);
    AddLathe(shaft, {{radius * 1.05f, 0.6f}, {radius, 0.7f}, {radius * 0.92f, height - 0.7f}, {radius, height - 0.6f}},
             x, z, 16, true);
    AddLathe(trim, {{radius, height - 0.6f}, {radius * 1.3f, height - 0.35f}, {radius * 1.3f, height - 0.3f}}, x, z,
             16, true);
    AddBox(trim, {x - radius * 1.45f, height - 0.3f, z - radius * 1.45f}, {x + radius * 1.45f, height, z + radius * 1.45f});
}

// A painting hung on a wall: the canvas quad (its gilt frame is in the
// texture), a thin backing and a picture light above.
void Painting(RoomBuilder& r, int canvasMat, int frameMat, int lightMat, const CVec3& centre,
              const CVec3& n, float w, float h) {
    CVec3 right = WallRight(n);
    CVec3 front = {centre[0] + n[0] * 0.12f, centre[1], centre[2] + n[2] * 0.12f};
    AddQuad(r.P(canvasMat), front, {right[0] * w * 0.5f, 0, right[2] * w * 0.5f}, {0, h * 0.5f, 0});
    // backing box behind the canvas so the frame has depth
    CVec3 a = {centre[0] - right[0] * w * 0.5f, centre[1] - h * 0.5f, centre[2] - right[2] * w * 0.5f};
    CVec3 b = {centre[0] + right[0] * w * 0.5f + n[0] * 0.11f, centre[1] + h * 0.5f,
               centre[2] + right[2] * w * 0.5f + n[2] * 0.11f};
    AddBoxFaces(r.P(frameMat), {std::min(a[0], b[0]), a[1], std::min(a[2], b[2])},
                {std::max(a[0], b[0]), b[1], std::max(a[2], b[2])}, 0u);
    // picture light: a brass bar on an arm, glowing underneath
    CVec3 arm0 = {centre[0], centre[1] + h * 0.5f + 0.35f, centre[2]};
    CVec3 arm1 = {centre[0] + n[0] * 0.45f, arm0[1] + 0.05f, centre[2] + n[2] * 0.45f};
    AddTubeBetween(r.P(frameMat), arm0, arm1, 0.03f, 6);
    CVec3 lc = {arm1[0], arm1[1] - 0.04f, arm1[2]};
    CVec3 half = {std::fabs(right[0]) * w * 0.3f + std::fabs(n[0]) * 0.07f, 0.05f,
                  std::fabs(right[2]) * w * 0.3f + std::fabs(n[2]) * 0.07f};
    AddBoxFaces(r.P(frameMat), {lc[0] - half[0], lc[1], lc[2] - half[2]}, {lc[0] + half[0], lc[1] + 0.1f, lc[2] + half[2]},
                0x04u);
    AddBoxFaces(r.P(lightMat), {lc[0] - half[0], lc[1], lc[2] - half[2]}, {lc[0] + half[0], lc[1] + 0.1f, lc[2] + half[2]},
                ~0x04u & 0x3Fu);
}

// Brass posts joined by sagging velvet ropes, on a circle about the centre.
void Stanchions(CPrimitive& brass, CPrimitive& rope, float radius, int posts, float phase) {
    std::vector<CVec3> tops;
    for (int i = 0; i < posts; ++i) {
        float a = phase + 2.0f * kPi * i / posts;
        float x = std::sin(a) * radius, z = std::cos(a) * radius;
        AddLathe(brass, {{0.0f, 0.0f}, {0.22f, 0.0f}, {0.22f, 0.05f}, {0.06f, 0.12f}, {0.05f, 0.95f}, {0.09f, 1.0f},
                         {0.08f, 1.1f}, {0.0f, 1.12f}},
                 x, z, 12, true);
        tops.push_back({x, 0.95f, z});
    }
    for (int i = 0; i < posts; ++i) {
        CVec3 a = tops[i], b = tops[(i + 1) % posts];
        const int pieces = 6;
        CVec3 prev = a;
        for (int k = 1; k <= pieces; ++k) {
            float t = float(k) / pieces;
            float sag = 0.28f * 4.0f * t * (1.0f - t);
            CVec3 cur = {a[0] + (b[0] - a[0]) * t, a[1] - sag, a[2] + (b[2] - a[2]) * t};
            AddTubeBetween(rope, prev, cur, 0.035f, 6, false);
            prev = cur;
        }
    }
}

// A round vault door set into a wall: ring frame, door leaf with bolts,
// a spoked wheel. `open` swings the leaf aside on its hinge.
void VaultDoor(RoomBuilder& r, int steelMat, int goldMat, int darkMat, const CVec3& centre, const CVec3& n,
               float radius, bool open) {
    // build facing -z about the origin, then turn and place
    float yaw = std::atan2(n[0], n[2]) * 180.0f / kPi + 180.0f;  // -z onto n
    CXform place = XThen(XRotateY(yaw), XTranslate(centre));
    CPrimitive ring, leaf, wheel;
    AddLathe(ring, {{radius, 0.0f}, {radius + 0.35f, 0.0f}, {radius + 0.35f, 0.25f}, {radius + 0.15f, 0.45f},
                    {radius, 0.45f}, {radius, 0.0f}},
             0, 0, 40, true);
    AppendTransformed(r.P(steelMat), ring, XThen(XRotateX(-90.0f), place));
    CXform leafPlace = place;
    if (open) {
        // hinge on the left edge as seen from the room; the leaf swings out
        CXform hinge = XThen(XThen(XTranslate({radius, 0, 0}), XRotateY(-100.0f)), XTranslate({-radius, 0, 0}));
        leafPlace = XThen(hinge, place);
        CPrimitive dark;
        AddRingZ(dark, {0, 0, -0.02f}, 0.0f, radius, 32);
        AppendTransformed(r.P(darkMat), dark, place);
    }
    AddLathe(leaf, {{0.0f, 0.0f}, {radius - 0.05f, 0.0f}, {radius - 0.05f, 0.3f}, {radius - 0.4f, 0.5f},
                    {0.0f, 0.5f}},
             0, 0, 32, false);
    AppendTransformed(r.P(steelMat), leaf, XThen(XRotateX(-90.0f), leafPlace));
    for (int i = 0; i < 12; ++i) {
        float a = 2.0f * kPi * i / 12;
        CPrimitive bolt;
        AddCylinder(bolt, 0, 0, 0.3f, 0.42f, 0.12f, 8, true, true);
        CXform at = XThen(XRotateX(-90.0f), XTranslate({std::cos(a) * (radius - 0.25f), std::sin(a) * (radius - 0.25f), 0}));
        AppendTransformed(r.P(goldMat), bolt, XThen(at, leafPlace));
    }
    // wheel: hub, rim and three spokes
    AddCylinder(wheel, 0, 0, 0.5f, 0.9f, 0.22f, 12, true, true);
    AddTorus(wheel, {0, 0.85f, 0}, radius * 0.42f, 0.06f, 32, 6);
    for (int i = 0; i < 3; ++i) {
        float a = kPi * i / 3;
        CVec3 d = {std::cos(a) * radius * 0.45f, 0.85f, std::sin(a) * radius * 0.45f};
        AddTubeBetween(wheel, {-d[0], 0.85f, -d[2]}, d, 0.05f, 6);
    }
    AppendTransformed(r.P(goldMat), wheel, XThen(XRotateX(-90.0f), leafPlace));
}

// A pedestal with an artefact under a glass case.
void DisplayCase(RoomBuilder& r, int baseMat, int trimMat, int glassMat, float x, float z) {
    AddBox(r.P(baseMat), {x - 0.6f, 0.0f, z - 0.6f}, {x + 0.6f, 1.1f, z + 0.6f});
    AddBox(r.P(trimMat), {x - 0.65f, 1.1f, z - 0.65f}, {x + 0.65f, 1.18f, z + 0.65f});
    AddBox(r.P(trimMat), {x - 0.65f, 0.0f, z - 0.65f}, {x + 0.65f, 0.12f, z + 0.65f});
    AddBox(r.P(glassMat), {x - 0.55f, 1.18f, z - 0.55f}, {x + 0.55f, 2.3f, z + 0.55f});
    AddBox(r.P(trimMat), {x - 0.58f, 2.3f, z - 0.58f}, {x + 0.58f, 2.36f, z + 0.58f});
}

void Vase(CPrimitive& p, float x, float z, float y0, float s) {
    AddLathe(p, {{0.0f, y0}, {0.16f * s, y0}, {0.2f * s, y0 + 0.08f * s}, {0.32f * s, y0 + 0.35f * s},
                 {0.3f * s, y0 + 0.55f * s}, {0.14f * s, y0 + 0.75f * s}, {0.12f * s, y0 + 0.9f * s},
                 {0.18f * s, y0 + 0.98f * s}, {0.0f, y0 + 0.98f * s}},
             x, z, 16, true);
}

void Crown(CPrimitive& gold, CPrimitive& gems, float x, float z, float y0) {
    AddLathe(gold, {{0.0f, y0}, {0.28f, y0}, {0.3f, y0 + 0.18f}, {0.26f, y0 + 0.2f}, {0.0f, y0 + 0.2f}}, x, z, 16, true);
    for (int i = 0; i < 8; ++i) {
        float a = 2.0f * kPi * i / 8;
        float px = x + std::sin(a) * 0.26f, pz = z + std::cos(a) * 0.26f;
        AddFrustum(gold, px, pz, y0 + 0.18f, y0 + 0.42f, 0.06f, 0.0f, 4, false, false, false);
        AddIcosphere(gems, {px, y0 + 0.45f, pz}, 0.04f, 0, true);
    }
}

// ---------------------------------------------------------------- title

bool WriteTitleRoom(const ContentContext& ctx) {
    ModelFolder f(ctx, "TitleScene");
    const std::string& floorTex = f.AddTexture("MarbleFloor.png", TexMarbleTiles(256, Hex(0xece4d4), Hex(0x8a8070), 101));
    const std::string& inlayTex = f.AddTexture("DarkMarble.png", TexMarble(128, Hex(0x2e3440), Hex(0xb09050), 102));
    const std::string& wallTex = f.AddTexture("StoneWall.png", TexStoneBlocks(256, Hex(0xc8b090), Hex(0x7a6a56), 103));
    const std::string& woodTex = f.AddTexture("Wood.png", TexWood(128, Hex(0x5a3520), 104));
    const std::string& goldTex = f.AddTexture("Gold.png", TexGold(64, Hex(0xe0b048), 105));
    const std::string& ceilTex = f.AddTexture("Ceiling.png", TexCeiling(128, Hex(0x3a4050), 106));
    const std::string& lightTex = f.AddTexture("LightPanel.png", TexLightPanel(64));
    const std::string& velvetTex = f.AddTexture("Velvet.png", TexVelvet(64, Hex(0x8a1a2a), 107));
    const std::string& marbleTex = f.AddTexture("Marble.png", TexMarble(128, Hex(0xf0ece4), Hex(0x9a9488), 108));
    const std::string& steelTex = f.AddTexture("Steel.png", TexBrushedMetal(128, Hex(0x7a8088), 109));
    const std::string& glassTex = f.AddTexture("Glass.png", TexGlass(64, 110));
    std::string paintTex[4];
    for (int i = 0; i < 4; ++i)
        paintTex[i] = f.AddTexture("Painting" + std::to_string(i + 1) + ".png", TexPainting(128, 96, i, 120 + i));

    RoomBuilder r("TitleRoom");
    int floorM = r.AddMaterial(Glow(Mat("Floor", 0xffffff, 0.0f, 0.2f, floorTex), 0xffffff, 0.18f, floorTex));
    int inlayM = r.AddMaterial(Glow(Mat("Inlay", 0xffffff, 0.1f, 0.2f, inlayTex), 0xffffff, 0.2f, inlayTex));
    int wallM = r.AddMaterial(Glow(Mat("Wall", 0xffffff, 0.0f, 0.85f, wallTex), 0xffe8c8, 0.32f, wallTex));
    int woodM = r.AddMaterial(Glow(Mat("Wood", 0xffffff, 0.0f, 0.5f, woodTex), 0xffffff, 0.25f, woodTex));
    int goldM = r.AddMaterial(Glow(Mat("Gold", 0xffffff, 0.8f, 0.25f, goldTex), 0xe0b048, 0.35f));
    int ceilM = r.AddMaterial(Glow(Mat("Ceiling", 0xffffff, 0.0f, 0.9f, ceilTex), 0xffffff, 0.35f, ceilTex));
    int lightM = r.AddMaterial(Glow(Mat("Light", 0xfff0d0, 0.0f, 0.5f, lightTex), 0xffe0b0, 1.3f, lightTex));
    int velvetM = r.AddMaterial(Glow(Mat("Velvet", 0xffffff, 0.0f, 0.9f, velvetTex), 0xffffff, 0.2f, velvetTex));
    int marbleM = r.AddMaterial(Glow(Mat("Marble", 0xffffff, 0.0f, 0.25f, marbleTex), 0xffffff, 0.28f, marbleTex));
    int steelM = r.AddMaterial(SteelMat("Steel", steelTex));
    int darkM = r.AddMaterial(Mat("Shadow", 0x101216, 0.0f, 1.0f));
    int jewelM = r.AddMaterial(Glow(Mat("Sapphire", 0x3a8cff, 0.35f, 0.06f), 0x2060ff, 0.7f));
    int vaseM = r.AddMaterial(Glow(Mat("Porcelain", 0x2a58a8, 0.0f, 0.2f), 0x2a58a8, 0.25f));
    int paintM[4];
    for (int i = 0; i < 4; ++i)
        paintM[i] = r.AddMaterial(Glow(Mat("Painting" + std::to_string(i + 1), 0xffffff, 0.0f, 0.6f, paintTex[i]),
                                       0xffffff, 0.45f, paintTex[i]));
    CMaterial glass = Glow(Mat("Glass", 0xc8e4ff, 0.1f, 0.05f, glassTex), 0x80a0c0, 0.12f);
    glass.baseColor[3] = 0.25f;
    glass.blend = true;
    int glassM = r.AddMaterial(glass);  // last: drawn after everything opaque

    const float half = 7.0f, height = 7.0f;
    Shell(r, half, height, floorM, wallM, ceilM);
    WallBand(r.P(woodM), half, 0.0f, 1.3f, 0.12f);   // wainscot
    WallBand(r.P(goldM), half, 1.3f, 1.4f, 0.16f);   // dado rail
    WallBand(r.P(goldM), half, 6.5f, 6.75f, 0.2f);   // cornice
    WallBand(r.P(marbleM), half, 6.75f, 7.0f, 0.32f);

    // floor inlay: dark ring with gold edges around the centrepiece
    AddLathe(r.P(goldM), {{3.0f, 0.005f}, {3.0f, 0.02f}, {2.6f, 0.02f}}, 0, 0, 48, true);
    AddLathe(r.P(inlayM), {{2.6f, 0.02f}, {1.2f, 0.02f}}, 0, 0, 48, true);
    AddLathe(r.P(goldM), {{1.2f, 0.02f}, {1.0f, 0.02f}, {1.0f, 0.005f}}, 0, 0, 48, true);

    // centrepiece: a marble column, a velvet cushion and the jewel under glass
    AddLathe(r.P(marbleM), {{0.0f, 0.0f}, {0.65f, 0.0f}, {0.65f, 0.2f}, {0.45f, 0.35f}, {0.38f, 1.5f},
                            {0.55f, 1.7f}, {0.55f, 1.8f}, {0.0f, 1.8f}},
             0, 0, 24, true);
    AddLathe(r.P(goldM), {{0.58f, 1.8f}, {0.58f, 1.86f}, {0.0f, 1.86f}}, 0, 0, 24, true);
    AddLathe(r.P(velvetM), {{0.42f, 1.86f}, {0.4f, 1.95f}, {0.3f, 2.0f}, {0.0f, 2.0f}}, 0, 0, 16, true);
    CPrimitive gem;
    AddLathe(gem, {{0.0f, -0.3f}, {0.28f, 0.0f}, {0.28f, 0.03f}, {0.2f, 0.11f}, {0.13f, 0.14f}, {0.0f, 0.14f}}, 0, 0,
             10, false);
    AppendTransformed(r.P(jewelM), gem, XThen(XRotateY(18.0f), XTranslate({0, 2.4f, 0})));
    AddLathe(r.P(glassM), {{0.5f, 1.86f}, {0.5f, 2.75f}, {0.42f, 2.92f}, {0.0f, 2.95f}}, 0, 0, 24, true);

    // velvet ropes around the exhibit, outside the camera's circle
    Stanchions(r.P(goldM), r.P(velvetM), 3.7f, 8, kPi / 8);

    // pilasters along the walls and columns in the corners
    for (float s : {-1.0f, 1.0f}) {
        for (float t : {-3.4f, 3.4f}) {
            Column(r.P(marbleM), r.P(goldM), s * 6.55f, t, height - 0.25f, 0.32f);
            Column(r.P(marbleM), r.P(goldM), t, s * 6.55f, height - 0.25f, 0.32f);
        }
        Column(r.P(marbleM), r.P(goldM), s * 6.2f, 6.2f, height - 0.25f, 0.4f);
        Column(r.P(marbleM), r.P(goldM), s * 6.2f, -6.2f, height - 0.25f, 0.4f);
    }

    // the great vault door on the far wall, paintings on the others
    VaultDoor(r, steelM, goldM, darkM, {0, 3.2f, half - 0.02f}, {0, 0, -1}, 2.2f, false);
    Painting(r, paintM[0], woodM, lightM, {-half, 3.4f, 0}, {1, 0, 0}, 3.2f, 2.4f);
    Painting(r, paintM[1], woodM, lightM, {half, 3.4f, 0}, {-1, 0, 0}, 2.0f, 2.6f);
    Painting(r, paintM[2], woodM, lightM, {-1.7f, 3.4f, -half}, {0, 0, 1}, 2.2f, 1.7f);
    Painting(r, paintM[3], woodM, lightM, {1.7f, 3.4f, -half}, {0, 0, 1}, 2.2f, 1.7f);

    // display cases with treasures between the columns
    const float cases[4][2] = {{-4.9f, 4.9f}, {4.9f, 4.9f}, {-4.9f, -4.9f}, {4.9f, -4.9f}};
    for (int i = 0; i < 4; ++i) {
        float x = cases[i][0], z = cases[i][1];
        DisplayCase(r, marbleM, goldM, glassM, x, z);
        if (i % 2 == 0) {
            Vase(r.P(vaseM), x, z, 1.18f, 0.95f);
        } else {
            Crown(r.P(goldM), r.P(jewelM), x, z, 1.18f);
        }
    }

    // ceiling lights: four warm panels and a lantern ring over the exhibit
    for (float sx : {-1.0f, 1.0f})
        for (float sz : {-1.0f, 1.0f})
            AddBoxFaces(r.P(lightM), {sx * 3.5f - 0.8f, height - 0.06f, sz * 3.5f - 0.8f},
                        {sx * 3.5f + 0.8f, height, sz * 3.5f + 0.8f}, 0x3Bu);
    AddTorus(r.P(goldM), {0, height - 0.9f, 0}, 1.2f, 0.06f, 32, 6);
    AddTorus(r.P(lightM), {0, height - 0.95f, 0}, 1.2f, 0.04f, 32, 6);
    for (int i = 0; i < 4; ++i) {
        float a = kPi / 4 + kPi / 2 * i;
        AddTubeBetween(r.P(goldM), {std::sin(a) * 1.2f, height - 0.9f, std::cos(a) * 1.2f}, {0, height, 0}, 0.025f, 6);
    }
    f.WriteModel("TitleRoom.gltf", r.Finish());
    return f.Ok();
}

// ---------------------------------------------------------------- clear

// A wall lamp: a gold cup with a glowing shade.
void Sconce(CPrimitive& gold, CPrimitive& light, float x, float z) {
    AddLathe(gold, {{0.0f, 3.9f}, {0.12f, 3.9f}, {0.2f, 4.1f}, {0.0f, 4.1f}}, x, z, 10, true);
    AddLathe(light, {{0.2f, 4.1f}, {0.26f, 4.5f}, {0.0f, 4.5f}}, x, z, 10, true);
}

// Stacked gold bars (a small pyramid of 3-2-1 rows).
void GoldBars(CPrimitive& gold, float x, float z, float yaw) {
    CXform at = XThen(XRotateY(yaw), XTranslate({x, 0, z}));
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 3 - row; ++i) {
            CPrimitive bar;
            float bx = (i - (2 - row) * 0.5f) * 0.36f;
            float y = row * 0.16f;
            AddLathe(bar, {{0.0f, 0.0f}, {0.25f, 0.0f}, {0.2f, 0.16f}, {0.0f, 0.16f}}, 0, 0, 4, false);
            AppendTransformed(gold, bar, XThen(XThen(XScale({0.7f, 1.0f, 1.5f}), XRotateY(45.0f)),
                                               XThen(XTranslate({bx, y, 0}), at)));
        }
}

// A pile of coins: a low mound with a few loose coins on it.
void CoinPile(CPrimitive& gold, float x, float z, float r, uint32_t seed) {
    AddLathe(gold, {{0.0f, 0.0f}, {r, 0.0f}, {r * 0.7f, r * 0.25f}, {r * 0.3f, r * 0.42f}, {0.0f, r * 0.45f}}, x, z, 14,
             false);
    for (int i = 0; i < 14; ++i) {
        float a = Hash01(i, 1, seed) * 2.0f * kPi, d = Hash01(i, 2, seed) * r * 0.8f;
        float cx = x + std::sin(a) * d, cz = z + std::cos(a) * d;
        float cy = r * 0.45f * (1.0f - d / r) + 0.01f;
        CPrimitive coin;
        AddCylinder(coin, 0, 0, 0, 0.03f, 0.12f, 10, true, true);
        AppendTransformed(gold, coin, XThen(XRotateX(20.0f * Hash01(i, 3, seed)), XTranslate({cx, cy, cz})));
    }
}

// A treasure chest with an open lid.
void Chest(CPrimitive& wood, CPrimitive& gold, float x, float z, float yaw) {
    CXform at = XThen(XRotateY(yaw), XTranslate({x, 0, z}));
    CPrimitive box, bands, lid, heap;
    AddBox(box, {-0.7f, 0.0f, -0.45f}, {0.7f, 0.8f, 0.45f}, CUvMode{1.0f});
    AddBox(bands, {-0.74f, 0.0f, -0.2f}, {0.74f, 0.84f, -0.1f});
    AddBox(bands, {-0.74f, 0.0f, 0.1f}, {0.74f, 0.84f, 0.2f});
    AddLathe(heap, {{0.0f, 0.7f}, {0.55f, 0.7f}, {0.3f, 0.95f}, {0.0f, 1.0f}}, 0, 0, 10, false);
    CPrimitive lidBox;
    AddBox(lidBox, {-0.7f, 0.0f, 0.0f}, {0.7f, 0.12f, 0.9f}, CUvMode{1.0f});
    AppendTransformed(lid, lidBox, XThen(XRotateX(-110.0f), XTranslate({0, 0.8f, 0.45f})));
    AppendTransformed(wood, box, at);
    AppendTransformed(wood, lid, at);
    AppendTransformed(gold, bands, at);
    AppendTransformed(gold, heap, XThen(XScale({1.2f, 1.0f, 0.75f}), at));
}

bool WriteClearRoom(const ContentContext& ctx) {
    ModelFolder f(ctx, "ClearScene");
    const std::string& floorTex = f.AddTexture("VaultFloor.png", TexMarbleTiles(256, Hex(0x2a2420), Hex(0x8a7040), 201));
    const std::string& wallTex = f.AddTexture("VaultWall.png", TexVaultWall(256, 202));
    const std::string& goldTex = f.AddTexture("Gold.png", TexGold(64, Hex(0xf0c050), 203));
    const std::string& steelTex = f.AddTexture("Steel.png", TexBrushedMetal(128, Hex(0x7a8088), 204));
    const std::string& woodTex = f.AddTexture("Wood.png", TexWood(128, Hex(0x6a3e22), 205));
    const std::string& velvetTex = f.AddTexture("Velvet.png", TexVelvet(64, Hex(0x6a1030), 206));
    const std::string& lightTex = f.AddTexture("LightPanel.png", TexLightPanel(64));
    const std::string& ceilTex = f.AddTexture("Ceiling.png", TexCeiling(128, Hex(0x2a2a30), 207));

    RoomBuilder r("ClearRoom");
    int floorM = r.AddMaterial(Glow(Mat("Floor", 0xffffff, 0.2f, 0.2f, floorTex), 0xffffff, 0.3f, floorTex));
    int wallM = r.AddMaterial(Glow(Mat("Wall", 0xfff0e0, 0.3f, 0.4f, wallTex), 0xffd8a0, 0.32f, wallTex));
    int goldM = r.AddMaterial(BrassMat("Gold", goldTex));
    int steelM = r.AddMaterial(SteelMat("Steel", steelTex));
    int woodM = r.AddMaterial(Glow(Mat("Wood", 0xffffff, 0.0f, 0.5f, woodTex), 0xffffff, 0.25f, woodTex));
    int velvetM = r.AddMaterial(Glow(Mat("Velvet", 0xffffff, 0.0f, 0.9f, velvetTex), 0xffffff, 0.25f, velvetTex));
    int lightM = r.AddMaterial(Glow(Mat("Light", 0xffe0a0, 0.0f, 0.5f, lightTex), 0xffc870, 1.4f, lightTex));
    int ceilM = r.AddMaterial(Glow(Mat("Ceiling", 0xffffff, 0.2f, 0.6f, ceilTex), 0xffd8a0, 0.3f, ceilTex));
    int darkM = r.AddMaterial(Glow(Mat("Beyond", 0xffd890, 0.0f, 1.0f, lightTex), 0xffc060, 0.9f, lightTex));
    int jewelM = r.AddMaterial(Glow(Mat("Sapphire", 0x3a8cff, 0.35f, 0.06f), 0x2060ff, 0.8f));
    CMaterial beam = Glow(Mat("LightBeam", 0xffe8b0, 0.0f, 1.0f), 0xffd890, 0.6f);
    beam.baseColor[3] = 0.18f;
    beam.blend = true;
    int beamM = r.AddMaterial(beam);  // last: drawn after everything opaque

    const float half = 7.0f, height = 6.5f;
    Shell(r, half, height, floorM, wallM, ceilM);
    WallBand(r.P(goldM), half, 0.0f, 0.25f, 0.15f);
    WallBand(r.P(steelM), half, 6.1f, 6.5f, 0.3f);
    // steel ribs divide the walls into bays
    for (float s : {-1.0f, 1.0f})
        for (float t : {-4.6f, -1.6f, 1.6f, 4.6f}) {
            AddBox(r.P(steelM), {s * half - 0.25f, 0, t - 0.2f}, {s * half + 0.25f, height, t + 0.2f}, CUvMode{2.0f});
            bool doorWall = s > 0 && std::fabs(t) < 3.0f;  // keep the vault door clear
            if (!doorWall)
                AddBox(r.P(steelM), {t - 0.2f, 0, s * half - 0.25f}, {t + 0.2f, height, s * half + 0.25f}, CUvMode{2.0f});
        }

    // centrepiece: a gilded pedestal holding the jewel in a beam of light
    AddLathe(r.P(goldM), {{0.0f, 0.0f}, {0.8f, 0.0f}, {0.8f, 0.15f}, {0.5f, 0.3f}, {0.36f, 1.55f}, {0.6f, 1.75f},
                          {0.6f, 1.85f}, {0.0f, 1.85f}},
             0, 0, 8, false);
    AddLathe(r.P(velvetM), {{0.45f, 1.85f}, {0.42f, 1.95f}, {0.3f, 2.0f}, {0.0f, 2.0f}}, 0, 0, 16, true);
    CPrimitive gem;
    AddLathe(gem, {{0.0f, -0.3f}, {0.28f, 0.0f}, {0.28f, 0.03f}, {0.2f, 0.11f}, {0.13f, 0.14f}, {0.0f, 0.14f}}, 0, 0,
             10, false);
    AppendTransformed(r.P(jewelM), gem, XThen(XRotateY(8.0f), XTranslate({0, 2.4f, 0})));
    AddFrustum(r.P(beamM), 0, 0, 2.0f, height, 0.5f, 1.3f, 24, true, false, false);
    AddLathe(r.P(lightM), {{1.3f, height - 0.01f}, {0.0f, height - 0.01f}}, 0, 0, 24, true);

    // treasure around the walls, clear of the camera's circle
    GoldBars(r.P(goldM), -5.2f, 3.0f, 20.0f);
    GoldBars(r.P(goldM), 5.0f, -3.2f, -35.0f);
    GoldBars(r.P(goldM), 3.2f, 5.4f, 80.0f);
    CoinPile(r.P(goldM), -4.8f, -4.6f, 1.4f, 7u);
    CoinPile(r.P(goldM), 4.9f, 4.2f, 1.1f, 8u);
    CoinPile(r.P(goldM), -2.8f, 5.6f, 0.9f, 9u);
    CoinPile(r.P(goldM), 5.6f, 0.8f, 0.8f, 10u);
    Chest(r.P(woodM), r.P(goldM), -5.5f, -0.8f, 90.0f);
    Chest(r.P(woodM), r.P(goldM), 1.5f, -5.6f, 180.0f);
    Chest(r.P(woodM), r.P(goldM), -2.6f, -5.6f, 190.0f);

    // the vault door stands open on the far wall; wall lamps glow warm
    VaultDoor(r, steelM, goldM, darkM, {0, 3.0f, half - 0.02f}, {0, 0, -1}, 2.3f, true);
    for (float s : {-1.0f, 1.0f}) {
        for (float t : {-3.1f, 3.1f}) {
            Sconce(r.P(goldM), r.P(lightM), s * (half - 0.3f), t);
            Sconce(r.P(goldM), r.P(lightM), t, s * (half - 0.3f));
        }
    }
    f.WriteModel("ClearRoom.gltf", r.Finish());
    return f.Ok();
}

}  // namespace

bool WriteRoomModels(const ContentContext& ctx) {
    bool ok = WriteTitleRoom(ctx);
    return WriteClearRoom(ctx) && ok;
}
