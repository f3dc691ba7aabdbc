// The object models of the gimmicks (box, button, door, lamp, clock, laser
// emitter, window) and the driver that writes every model and image.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "game/gimmick/Box.h"
#include "tools/content/ImageTextures.h"
#include "tools/content/ModelKit.h"

namespace cs = content_sizes;

// ---------------------------------------------------------------- kit

bool MakeDirs(const std::string& path) {
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) continue;
        if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "gv_content: cannot create %s: %s\n", partial.c_str(),
                         std::strerror(errno));
            return false;
        }
    }
    return true;
}

ModelFolder::ModelFolder(const ContentContext& ctx, const std::string& relativeDir)
    : dir_(ctx.dataDir + "/Model/" + relativeDir) {
    ok_ = MakeDirs(dir_);
}

const std::string& ModelFolder::AddTexture(const std::string& name, const Canvas& image) {
    if (written_.insert(name).second) ok_ = image.Save(dir_ + "/" + name) && ok_;
    return *written_.find(name);
}

void ModelFolder::WriteModel(const std::string& file, const CModel& model) {
    ok_ = WriteGltf(dir_ + "/" + file, model) && ok_;
}

CMaterial Mat(const std::string& name, uint32_t rgb, float metallic, float roughness,
              const std::string& texture) {
    CMaterial m;
    m.name = name;
    Rgba c = Hex(rgb);
    m.baseColor = {c.r, c.g, c.b, 1.0f};
    m.metallic = metallic;
    m.roughness = roughness;
    m.baseColorTexture = texture;
    return m;
}

CMaterial Glow(CMaterial m, uint32_t rgb, float strength, const std::string& texture) {
    Rgba c = Hex(rgb);
    m.emissive = {c.r * strength, c.g * strength, c.b * strength};
    m.emissiveTexture = texture;
    return m;
}

CMaterial SteelMat(const std::string& name, const std::string& texture) {
    return Glow(Mat(name, 0xc0c6cc, 0.35f, 0.4f, texture), 0xffffff, 0.14f, texture);
}

CMaterial BrassMat(const std::string& name, const std::string& texture) {
    return Glow(Mat(name, 0xffffff, 0.6f, 0.3f, texture), 0xffffff, 0.3f, texture);
}

CPrimitive& PrimFor(CNode& n, int material) {
    for (auto& p : n.primitives)
        if (p.material == material) return p;
    n.primitives.emplace_back();
    n.primitives.back().material = material;
    return n.primitives.back();
}

CNode Node(const std::string& name) {
    CNode n;
    n.name = name;
    return n;
}

// ---------------------------------------------------------------- box

namespace {

bool WriteBox(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/Gimmick/Box");
    const std::string& tex = f.AddTexture("Crate.png", TexCrate(256, 11));
    CModel m;
    m.materials.push_back(Glow(Mat("Crate", 0xffffff, 0.0f, 0.65f, tex), 0xffffff, 0.12f, tex));
    CNode n = Node("Box");
    // as large as the game's box, whose rays and landing assume this cube
    static_assert(Box::kRadius == Box::kHalfHeight, "the box is a cube");
    float h = Box::kHalfHeight;
    AddBox(PrimFor(n, 0), {-h, -h, -h}, {h, h, h});
    m.nodes.push_back(n);
    f.WriteModel("newBox.gltf", m);
    return f.Ok();
}

// ---------------------------------------------------------------- button

// The moving cap, origin at the button's base point; only its colour and
// glow differ between off and on.
CModel ButtonTop(const std::string& capTex, const std::string& metalTex, bool on) {
    CModel m;
    CMaterial cap = on ? Glow(Mat("CapOn", 0x48e07a, 0.0f, 0.3f, capTex), 0x38ff70, 0.9f, capTex)
                       : Glow(Mat("CapOff", 0xd8402c, 0.0f, 0.3f, capTex), 0xff3020, 0.25f, capTex);
    m.materials.push_back(cap);
    m.materials.push_back(SteelMat("Steel", metalTex));
    CNode n = Node(on ? "ButtonOn" : "ButtonOff");
    float top = cs::kButtonTopHeight;
    // skirt below the cap, hidden in the frame when pressed
    AddFrustum(PrimFor(n, 1), 0, 0, -0.3f, top - 0.12f, 2.0f, 2.0f, 32, true, false, false);
    AddFrustum(PrimFor(n, 0), 0, 0, top - 0.12f, top, 2.0f, 1.85f, 32, true, false, true);
    m.nodes.push_back(n);
    return m;
}

bool WriteButtons(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/Gimmick/Button");
    const std::string& capTex = f.AddTexture("ButtonCap.png", TexButtonCap(128));
    const std::string& metalTex = f.AddTexture("DarkSteel.png", TexBrushedMetal(128, Hex(0x7a8088), 21));
    const std::string& brassTex = f.AddTexture("Brass.png", TexGold(64, Hex(0xd4a240), 22));
    f.WriteModel("Button_Off.gltf", ButtonTop(capTex, metalTex, false));
    f.WriteModel("Button_On.gltf", ButtonTop(capTex, metalTex, true));

    CModel edge;
    edge.materials.push_back(SteelMat("Steel", metalTex));
    edge.materials.push_back(BrassMat("Brass", brassTex));
    edge.materials.push_back(Mat("Well", 0x202428, 0.2f, 0.8f));
    CNode n = Node("ButtonEdge");
    float R = cs::kButtonFrameRadius;
    // outer ring: bevelled steel with a brass top, open in the middle
    AddLathe(PrimFor(n, 0), {{2.05f, 0.3f}, {2.05f, 0.0f}}, 0, 0, 32, true);  // inner wall
    AddLathe(PrimFor(n, 0), {{R, 0.0f}, {R, 0.2f}}, 0, 0, 32, true);
    AddLathe(PrimFor(n, 1), {{R, 0.2f}, {R - 0.15f, 0.3f}, {2.05f, 0.3f}}, 0, 0, 32, true);
    // the dark well under the cap
    AddLathe(PrimFor(n, 2), {{2.05f, 0.02f}, {0.0f, 0.02f}}, 0, 0, 32, true);
    edge.nodes.push_back(n);
    f.WriteModel("Button_Edge.gltf", edge);
    return f.Ok();
}

// ---------------------------------------------------------------- door

bool WriteDoors(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/Gimmick/Door");
    const std::string& panelTex = f.AddTexture("DoorPanel.png", TexDoorPanel(256, 31));
    const std::string& steelTex = f.AddTexture("DarkSteel.png", TexBrushedMetal(128, Hex(0x7a8088), 32));
    const std::string& brassTex = f.AddTexture("Brass.png", TexGold(64, Hex(0xd4a240), 33));
    const std::string& dialTex = f.AddTexture("ClockFace.png", TexClockFace(128));

    // panel: x +-4.5, y 0..8, z +-0.25; the plate texture on both faces
    {
        CModel m;
        m.materials.push_back(Glow(Mat("Plate", 0xffffff, 0.35f, 0.4f, panelTex), 0xffffff, 0.14f, panelTex));
        m.materials.push_back(SteelMat("Edge", steelTex));
        CNode n = Node("Door");
        CVec3 mn = {-cs::kDoorPanelHalfWidth, 0.0f, -0.25f}, mx = {cs::kDoorPanelHalfWidth, cs::kDoorPanelHeight, 0.25f};
        AddBoxFaces(PrimFor(n, 0), mn, mx, 0x0Fu);  // -z and +z faces
        AddBoxFaces(PrimFor(n, 1), mn, mx, 0x30u, CUvMode{2.0f});
        m.nodes.push_back(n);
        f.WriteModel("Door.gltf", m);
    }
    // frame: two posts and a header around the opening, 0.1 proud of a door
    // wall's faces. The header leaves a bay in the middle, open down to the
    // opening, where the lamp or the clock (8.5 above the base) sits on the
    // wall itself: nothing of the frame stands in front of the clock's dial
    // (just behind the hand, 0.45 before the door plane) or the lamp's lenses,
    // so even a player right below the door sees them whole.
    {
        CModel m;
        m.materials.push_back(SteelMat("Steel", steelTex));
        m.materials.push_back(BrassMat("Brass", brassTex));
        CNode n = Node("DoorEdge");
        float w = cs::kDoorOpeningHalfWidth, W = cs::kDoorFrameHalfWidth, H = cs::kDoorFrameHeight;
        float top = cs::kDoorOpeningHeight, d = cs::kDoorWallThickness * 0.5f + 0.1f;
        float bay = 1.3f, beamTop = 9.55f, t = 0.12f;
        CUvMode tile{2.0f};
        AddBox(PrimFor(n, 0), {-W, 0, -d}, {-w, H, d}, tile);
        AddBox(PrimFor(n, 0), {w, 0, -d}, {W, H, d}, tile);
        AddBox(PrimFor(n, 0), {-w, beamTop, -d}, {w, H, d}, tile);
        AddBox(PrimFor(n, 0), {-w, top, -d}, {-bay, beamTop, d}, tile);
        AddBox(PrimFor(n, 0), {bay, top, -d}, {w, beamTop, d}, tile);
        // brass trim on both faces: round the opening, up the sides of the
        // bay, along the frame's top; and a threshold plate
        for (float s : {-1.0f, 1.0f}) {
            float z0 = s < 0 ? -d - 0.06f : d, z1 = s < 0 ? -d : d + 0.06f;
            AddBox(PrimFor(n, 1), {-w - 0.3f, 0, z0}, {-w, top + t, z1});
            AddBox(PrimFor(n, 1), {w, 0, z0}, {w + 0.3f, top + t, z1});
            AddBox(PrimFor(n, 1), {-w, top, z0}, {-bay - t, top + t, z1});
            AddBox(PrimFor(n, 1), {bay + t, top, z0}, {w, top + t, z1});
            AddBox(PrimFor(n, 1), {-bay - t, top, z0}, {-bay, beamTop + t, z1});
            AddBox(PrimFor(n, 1), {bay, top, z0}, {bay + t, beamTop + t, z1});
            AddBox(PrimFor(n, 1), {-bay, beamTop, z0}, {bay, beamTop + t, z1});
            AddBox(PrimFor(n, 1), {-W, H - 0.25f, z0}, {W, H, z1});
        }
        AddBox(PrimFor(n, 1), {-w, 0, -d}, {w, 0.06f, d});
        m.nodes.push_back(n);
        f.WriteModel("DoorEdge.gltf", m);
    }
    // lamps: housing through the wall in the frame's bay, a lens on each face
    for (bool on : {true, false}) {
        CModel m;
        m.materials.push_back(SteelMat("Housing", steelTex));
        m.materials.push_back(on ? Glow(Mat("LensOn", 0x30c060, 0.0f, 0.2f), 0x20ff50, 0.9f)
                                 : Glow(Mat("LensOff", 0x802018, 0.0f, 0.25f), 0xff2010, 0.25f));
        m.materials.push_back(BrassMat("Brass", brassTex));
        CNode n = Node(on ? "LightOn" : "LightOff");
        AddBox(PrimFor(n, 0), {-0.7f, -0.5f, -0.75f}, {0.7f, 0.5f, 0.75f}, CUvMode{1.0f});
        for (float s : {-1.0f, 1.0f}) {
            CPrimitive lens, ring;
            AddLathe(lens, {{0.36f, 0.0f}, {0.34f, 0.12f}, {0.2f, 0.2f}, {0.0f, 0.22f}}, 0, 0, 20, true);
            AddCylinder(ring, 0, 0, 0.0f, 0.06f, 0.45f, 20, true, true);
            CXform x = XThen(XRotateX(s * 90.0f), XTranslate({0, 0, s * 0.75f}));
            AppendTransformed(PrimFor(n, 1), lens, x);
            AppendTransformed(PrimFor(n, 2), ring, x);
        }
        m.nodes.push_back(n);
        f.WriteModel(on ? "Light_ON.gltf" : "Light_OFF.gltf", m);
    }
    // clock: dial toward local -z at z = -0.42, just behind the hand (drawn
    // by the game 0.45 in front of the door plane); a brass case through
    // the wall, bezel around the hand's reach
    {
        CModel m;
        m.materials.push_back(Glow(Mat("Dial", 0xffffff, 0.0f, 0.5f, dialTex), 0xffffff, 0.35f, dialTex));
        m.materials.push_back(BrassMat("Case", brassTex));
        m.materials.push_back(SteelMat("Back", steelTex));
        CNode n = Node("Clock");
        AddRingZ(PrimFor(n, 0), {0, 0, -0.42f}, 0.0f, 0.74f, 40);
        CPrimitive bezel, body, back;
        AddTorus(bezel, {0, 0, 0}, 0.78f, 0.07f, 40, 10);
        AppendTransformed(PrimFor(n, 1), bezel, XThen(XRotateX(90.0f), XTranslate({0, 0, -0.45f})));
        AddCylinder(body, 0, 0, -0.42f, 0.55f, 0.8f, 40, true, false);
        AppendTransformed(PrimFor(n, 1), body, XRotateX(90.0f));
        AddLathe(back, {{0.8f, 0.55f}, {0.55f, 0.7f}, {0.0f, 0.7f}}, 0, 0, 40, true);
        AppendTransformed(PrimFor(n, 2), back, XRotateX(90.0f));
        m.nodes.push_back(n);
        f.WriteModel("Clock.gltf", m);
    }
    return f.Ok();
}

// ---------------------------------------------------------------- laser

bool WriteLaserBody(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/Gimmick/Laser");
    const std::string& steelTex = f.AddTexture("DarkSteel.png", TexBrushedMetal(128, Hex(0x7a8088), 41));
    const std::string& brassTex = f.AddTexture("Brass.png", TexGold(64, Hex(0xd4a240), 42));
    CModel m;
    m.materials.push_back(SteelMat("Body", steelTex));
    m.materials.push_back(BrassMat("Brass", brassTex));
    m.materials.push_back(Glow(Mat("Lens", 0xff5040, 0.0f, 0.15f), 0xff2a1a, 2.0f));
    m.materials.push_back(Glow(Mat("Warning", 0xff4030, 0.0f, 0.4f), 0xff3020, 0.8f));
    CNode n = Node("LaserBody");
    // mounting plate, housing, cooling fins
    AddBox(PrimFor(n, 0), {-0.8f, -0.8f, -0.8f}, {0.8f, 0.8f, -0.62f}, CUvMode{1.0f});
    AddBox(PrimFor(n, 0), {-0.55f, -0.55f, -0.62f}, {0.55f, 0.55f, 0.25f}, CUvMode{1.0f});
    for (int i = 0; i < 3; ++i) {
        float z = -0.5f + i * 0.25f;
        AddBox(PrimFor(n, 0), {-0.68f, -0.68f, z}, {0.68f, 0.68f, z + 0.07f}, CUvMode{1.0f});
    }
    // barrel with a brass ring and the glowing lens (beam leaves at z = 1.0)
    CPrimitive barrel, ring, lens;
    AddCylinder(barrel, 0, 0, 0.25f, 0.7f, 0.3f, 20, true, false);
    AddTorus(ring, {0, 0, 0}, 0.32f, 0.06f, 20, 8);
    AddLathe(lens, {{0.3f, 0.0f}, {0.24f, 0.06f}, {0.0f, 0.1f}}, 0, 0, 20, true);
    AppendTransformed(PrimFor(n, 0), barrel, XRotateX(90.0f));
    AppendTransformed(PrimFor(n, 1), ring, XThen(XRotateX(90.0f), XTranslate({0, 0, 0.66f})));
    AppendTransformed(PrimFor(n, 2), lens, XThen(XRotateX(90.0f), XTranslate({0, 0, 0.7f})));
    // warning light on top
    AddBox(PrimFor(n, 3), {-0.15f, 0.55f, -0.3f}, {0.15f, 0.65f, 0.0f});
    m.nodes.push_back(n);
    f.WriteModel("LaserBody.gltf", m);
    return f.Ok();
}

// ---------------------------------------------------------------- window

bool WriteWindow(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/Window");
    const std::string& glassTex = f.AddTexture("Glass.png", TexGlass(64, 51));
    const std::string& steelTex = f.AddTexture("DarkSteel.png", TexBrushedMetal(128, Hex(0x7a8088), 52));
    CModel m;
    CMaterial glass = Glow(Mat("Glass", 0xb8e0ff, 0.1f, 0.05f, glassTex), 0x6090c0, 0.15f);
    glass.baseColor[3] = 0.45f;
    glass.blend = true;
    // opaque frame first: the loader draws primitives in material order
    m.materials.push_back(SteelMat("Frame", steelTex));
    m.materials.push_back(glass);
    CNode n = Node("Window");
    float hx = cs::kWindowHalfWidth, hy = cs::kWindowHalfHeight, hz = cs::kWindowHalfDepth;
    float border = 0.45f;
    AddFrameZ(PrimFor(n, 0), 0, 0, hx, hy, border, -hz, hz, CUvMode{2.0f});
    // a mullion cross keeps large panes readable as glass
    AddBox(PrimFor(n, 0), {-0.1f, -hy + border, -0.12f}, {0.1f, hy - border, 0.12f}, CUvMode{2.0f});
    AddBox(PrimFor(n, 0), {-hx + border, -0.1f, -0.12f}, {-0.1f, 0.1f, 0.12f}, CUvMode{2.0f});
    AddBox(PrimFor(n, 0), {0.1f, -0.1f, -0.12f}, {hx - border, 0.1f, 0.12f}, CUvMode{2.0f});
    AddBox(PrimFor(n, 1), {-hx + border, -hy + border, -0.05f}, {hx - border, hy - border, 0.05f});
    m.nodes.push_back(n);
    f.WriteModel("Window.gltf", m);
    return f.Ok();
}

}  // namespace

bool WriteGimmickModels(const ContentContext& ctx) {
    bool ok = WriteBox(ctx);
    ok = WriteButtons(ctx) && ok;
    ok = WriteDoors(ctx) && ok;
    ok = WriteLaserBody(ctx) && ok;
    ok = WriteWindow(ctx) && ok;
    return ok;
}

// ---------------------------------------------------------------- driver

bool WriteModelsAndImages(const ContentContext& ctx) {
    ContentFonts fonts;
    if (!fonts.Load()) return false;
    bool ok = WriteGimmickModels(ctx);
    ok = WriteHookGunAndPlayerModels(ctx) && ok;
    ok = WriteTreasureModels(ctx) && ok;
    ok = WriteRoomModels(ctx) && ok;
    ok = WriteSpriteImages(ctx, fonts) && ok;
    return ok;
}
