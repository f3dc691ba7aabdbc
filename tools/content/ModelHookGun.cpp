// The hook gun (body, one chain link, hook) and the player's invisible
// collision model.
#include "game/player/HookGun.h"
#include "tools/content/ImageTextures.h"
#include "tools/content/ModelKit.h"

namespace {

bool WriteHookGun(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/HookGun");
    const std::string& steelTex = f.AddTexture("GunSteel.png", TexBrushedMetal(128, Hex(0x7a8088), 61));
    const std::string& brassTex = f.AddTexture("Brass.png", TexGold(64, Hex(0xd4a240), 62));
    const std::string& woodTex = f.AddTexture("Wood.png", TexWood(64, Hex(0x6a3e22), 63));
    CMaterial steel = SteelMat("Steel", steelTex);
    CMaterial brass = BrassMat("Brass", brassTex);

    // body: the gun's origin is its pivot, +z the firing direction; the hook
    // rests 0.6 ahead of the origin, just past the muzzle
    {
        CModel m;
        m.materials = {steel, brass, Mat("Grip", 0xffffff, 0.0f, 0.6f, woodTex),
                       Glow(Mat("Sight", 0x60e0ff, 0.0f, 0.3f), 0x40d0ff, 1.5f)};
        CNode n = Node("HookGunBody");
        AddBox(PrimFor(n, 0), {-0.12f, -0.1f, -0.5f}, {0.12f, 0.12f, 0.15f}, CUvMode{0.5f});
        CPrimitive barrel, muzzle, drum, grip;
        AddCylinder(barrel, 0, 0, 0.15f, 0.42f, 0.075f, 16, true, false);
        AppendTransformed(PrimFor(n, 0), barrel, XRotateX(90.0f));
        AddTorus(muzzle, {0, 0, 0}, 0.085f, 0.03f, 16, 8);
        AppendTransformed(PrimFor(n, 1), muzzle, XThen(XRotateX(90.0f), XTranslate({0, 0, 0.42f})));
        AddCylinder(drum, 0, 0, -0.13f, 0.13f, 0.12f, 16, true, true);
        AppendTransformed(PrimFor(n, 1), drum, XThen(XRotateZ(90.0f), XTranslate({0, -0.12f, -0.15f})));
        AddBox(grip, {-0.06f, -0.34f, -0.07f}, {0.06f, 0.0f, 0.07f}, CUvMode{0.25f});
        AppendTransformed(PrimFor(n, 2), grip, XThen(XRotateX(-15.0f), XTranslate({0, -0.08f, -0.36f})));
        AddBox(PrimFor(n, 3), {-0.02f, 0.12f, -0.42f}, {0.02f, 0.15f, 0.08f});
        m.nodes.push_back(n);
        f.WriteModel("Body.gltf", m);
    }
    // one chain link: an oval ring from z = 0 to the gun's link length (the
    // gun draws one link every link length along the chain, each turned 90
    // degrees about z)
    {
        CModel m;
        m.materials = {SteelMat("Chain", steelTex)};
        CNode n = Node("OneChain");
        CPrimitive ring;
        AddTorus(ring, {0, 0, 0}, 0.09f, 0.035f, 16, 6);
        AppendTransformed(PrimFor(n, 0), ring, XThen(XScale({1.0f, 1.0f, 2.2f}), XTranslate({0, 0, 0.5f * HookGun::kLinkLength})));
        m.nodes.push_back(n);
        f.WriteModel("OneChain.gltf", m);
    }
    // hook: points along +z, the chain eye at its back
    {
        CModel m;
        m.materials = {steel, brass};
        CNode n = Node("Hook");
        CPrimitive shaft, head, eye;
        AddCylinder(shaft, 0, 0, -0.14f, 0.13f, 0.035f, 10, true, false);
        AppendTransformed(PrimFor(n, 0), shaft, XRotateX(90.0f));
        AddFrustum(head, 0, 0, 0.12f, 0.32f, 0.075f, 0.0f, 10, true, true, false);
        AppendTransformed(PrimFor(n, 1), head, XRotateX(90.0f));
        AddTorus(eye, {0, 0, 0}, 0.06f, 0.018f, 12, 6);
        AppendTransformed(PrimFor(n, 1), eye, XThen(XRotateZ(90.0f), XTranslate({0, 0, -0.19f})));
        for (int k = 0; k < 3; ++k) {
            CPrimitive prong, barb;
            AddBox(prong, {-0.022f, 0.0f, -0.022f}, {0.022f, 0.22f, 0.022f});
            CXform out = XThen(XThen(XRotateZ(-90.0f), XRotateY(41.0f)), XTranslate({0.04f, 0, 0.17f}));
            AppendTransformed(PrimFor(n, 0), prong, XThen(out, XRotateZ(120.0f * k)));
            // the barb turns forward at the prong's end
            AddBox(barb, {-0.02f, 0.0f, -0.02f}, {0.02f, 0.09f, 0.02f});
            CXform tip = XThen(XRotateX(70.0f), XTranslate({0.2f, 0, 0.02f}));
            AppendTransformed(PrimFor(n, 0), barb, XThen(tip, XRotateZ(120.0f * k)));
        }
        m.nodes.push_back(n);
        f.WriteModel("Hook.gltf", m);
    }
    return f.Ok();
}

// The lasers test beams against this model placed by the player's camera
// matrix, which pitches with the view: a sphere about the eye is hit the same
// whatever the pitch, and its radius reaches from the feet to above the head.
bool WritePlayerCollision(const ContentContext& ctx) {
    ModelFolder f(ctx, "GameScene/Player");
    CModel m;
    CMaterial hidden = Mat("Hidden", 0xffffff, 0.0f, 1.0f);
    hidden.baseColor[3] = 0.0f;
    hidden.blend = true;
    m.materials = {hidden};
    CNode n = Node("PlayerCollision");
    AddIcosphere(PrimFor(n, 0), {0, 0, 0}, content_sizes::kPlayerHitRadius, 2, false);
    m.nodes.push_back(n);
    f.WriteModel("CollisionModel.gltf", m);
    return f.Ok();
}

}  // namespace

bool WriteHookGunAndPlayerModels(const ContentContext& ctx) {
    bool ok = WriteHookGun(ctx);
    return WritePlayerCollision(ctx) && ok;
}
