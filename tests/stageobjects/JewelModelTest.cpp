// The game's jewel model against the catch rule: the hook stops 1 to 2 short
// of the surface it strikes, and a catch needs the hook within 3 of the
// jewel's centre, so the whole jewel must lie within 1 of its centre. Uses
// the committed Data/ model and the real hook gun.
#include "scene/KeyLatch.h"
#include "framework/collision/FwCollision.h"
#include "framework/model/FwModel.h"
#include "game/Jewel.h"
#include "game/player/HookGun.h"
#include "tests/stageobjects/StageObjectsSupport.h"

namespace {
constexpr float kWithin = 1.0f;

using JewelModelTest = StageObjectTest;

// One shot of the hook gun from eye at the jewel, aimed at aim; the scene's
// order: the hook ray against the jewel as it stood last frame, the gun's
// update, then the jewel's. Returns whether the gun struck it; caught and
// the hook's distance from the centre at the strike are reported.
bool Shoot(FakePlatform& platform, const Vector3& eye, const Vector3& aim, bool& caught, float& strikeDistance) {
    KeyLatch::GetInstance().Reset();
    Jewel jewel(Vector3(0.0f, 0.0f, 0.0f));
    HookGun gun;
    const Matrix camera = MatrixInverse(MatrixLookAtLH(eye, aim, Vector3(0.0f, 1.0f, 0.0f)));
    const Vector3 forward = Normalize(aim - eye);
    bool struck = false;
    for (int frame = 0; frame < 80 && !struck; ++frame) {
        if (frame == 1) platform.Hold(FwKey::LButton);
        if (frame == 2) platform.Release(FwKey::LButton);
        gun.FollowPlayer(camera, aim);
        float hook = kFloatMax;
        if (gun.GetState() == HookGun::kFlying)
            RayToMesh(jewel.GetModel(), jewel.GetWorld(), gun.GetHookPosition(), gun.GetFlightDirection(), hook);
        gun.Update(hook, -1, forward, false, kFloatMax, jewel.IsTaken());
        jewel.Update(gun.IsHookedNow(), gun.GetHookPosition(), gun.GetRadius(), gun.GetObjectPull());
        if (gun.IsHookedNow()) {
            struck = true;
            caught = jewel.IsCaught();
            strikeDistance = Length(gun.GetHookPosition() - jewel.GetPosition());
        }
    }
    platform.ReleaseAll();
    return struck;
}
}  // namespace

TEST_F(JewelModelTest, EveryVertexLiesWithinOneOfTheCentre) {
    const FwModel* model = FwResourceFactory::GetInstance().GetModel("GameScene/Treasure/Jewel/JewelMain.gltf");
    ASSERT_NE(model, nullptr);
    size_t vertices = 0;
    float farthest = 0.0f;
    for (const FwModelNode& node : model->Nodes()) {
        if (!node.mesh) continue;
        for (const Vector3& p : node.mesh->Positions()) {
            farthest = std::max(farthest, Length(TransformCoord(p, node.matrix)));
            ++vertices;
        }
    }
    ASSERT_GT(vertices, 20u) << "the jewel model loads";
    EXPECT_LE(farthest, kWithin);
    EXPECT_GT(farthest, 0.5f) << "still a jewel worth shooting at";
}

TEST_F(JewelModelTest, HookStrikesFromAnyDirectionCatchTheJewel) {
    const Vector3 centre(0.0f, Jewel::kHeightAboveShowCase, 0.0f);
    int shots = 0;
    for (float distance : {7.3f, 12.0f, 17.55f, 24.8f, 30.0f}) {
        for (int yaw = 0; yaw < 360; yaw += 40) {
            for (float height : {-4.0f, 0.0f, 5.0f}) {
                for (float offset : {0.0f, 0.35f}) {
                    const float a = static_cast<float>(yaw + static_cast<int>(distance)) * kDegToRad;
                    const Vector3 eye = centre + Vector3(std::sin(a) * distance, height, std::cos(a) * distance);
                    // Aim a little beside the centre too, across the line of sight.
                    const Vector3 side = Normalize(Cross(Vector3(0.0f, 1.0f, 0.0f), centre - eye));
                    const Vector3 aim = centre + side * offset;
                    bool caught = false;
                    float at = 0.0f;
                    if (!Shoot(platform, eye, aim, caught, at)) continue;
                    ++shots;
                    EXPECT_LT(at, 3.0f) << "eye " << eye.x << "," << eye.y << "," << eye.z << " offset " << offset;
                    EXPECT_TRUE(caught) << "eye " << eye.x << "," << eye.y << "," << eye.z << " offset " << offset;
                }
            }
        }
    }
    EXPECT_GT(shots, 200) << "nearly every shot strikes the jewel";
}
