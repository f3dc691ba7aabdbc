// Hook gun state machine: flight, attach distance, release rules, reeling a
// box, pulling a jumping player. The world is a wall plane at a given z; the
// test computes the ray distances the game scene would hand to the gun.
#include <gtest/gtest.h>

#include "scene/KeyLatch.h"
#include "game/gimmick/Box.h"
#include "game/player/HookGun.h"
#include "tests/support/FakePlatform.h"

namespace {
constexpr float kFar = 3.4028235e38f;

struct HookGunTest : ::testing::Test {
    FakePlatform platform;
    Matrix camera = MatrixTranslation(0.0f, 3.0f, 0.0f);  // eye at (0,3,0) looking +z
    Vector3 forward{0.0f, 0.0f, 1.0f};
    float wallZ = 20.0f;
    void SetUp() override { KeyLatch::GetInstance().Reset(); }

    // Distance along dir from origin to the wall plane z = wallZ.
    float WallDistance(const Vector3& origin, const Vector3& dir) const {
        if (dir.z <= 0.0f) return kFar;
        return (wallZ - origin.z) / dir.z;
    }
    void Step(HookGun& gun, bool jumping = false, int hitBox = -1) {
        gun.FollowPlayer(camera, Vector3(camera.m[3][0], camera.m[3][1], wallZ));
        float hook = kFar;
        int box = -1;
        if (gun.GetState() == HookGun::kReady) hook = WallDistance(gun.GetGunPosition(), gun.GetFlightDirection());
        if (gun.GetState() == HookGun::kFlying) {
            hook = WallDistance(gun.GetHookPosition(), gun.GetFlightDirection());
            box = hitBox;
        }
        float chain = kFar;
        gun.Update(hook, box, forward, jumping, chain, false);
    }
    void Click(HookGun& gun, bool jumping = false) {
        platform.Hold(FwKey::LButton);
        Step(gun, jumping);
        platform.Release(FwKey::LButton);
    }
};
}  // namespace

TEST_F(HookGunTest, ShotAtAWallAttachesOneToTwoShortOfIt) {
    HookGun gun;
    Step(gun);
    EXPECT_TRUE(gun.IsSighting());
    Click(gun);
    ASSERT_EQ(gun.GetState(), HookGun::kFlying);
    int frames = 0;
    bool sawHookedNow = false;
    while (gun.GetState() == HookGun::kFlying && frames < 100) {
        Step(gun);
        sawHookedNow |= gun.IsHookedNow();
        ++frames;
    }
    ASSERT_EQ(gun.GetState(), HookGun::kAttached);
    EXPECT_TRUE(sawHookedNow);
    float gap = wallZ - gun.GetHookPosition().z;
    EXPECT_GT(gap, 1.0f);
    EXPECT_LT(gap, 2.0f + 1e-4f);
    Step(gun);
    EXPECT_FALSE(gun.IsHookedNow()) << "hooked-now lasts one frame";
    EXPECT_EQ(gun.GetState(), HookGun::kAttached);

    // A second click on the ground reels the hook in at 1.5 per frame.
    Click(gun);
    EXPECT_EQ(gun.GetState(), HookGun::kReeling);
    Step(gun);
    EXPECT_NEAR(Length(gun.GetObjectPull()), 1.5f, 1e-4f);
    for (int i = 0; i < 40 && gun.GetState() != HookGun::kReady; ++i) Step(gun);
    EXPECT_EQ(gun.GetState(), HookGun::kReady);
    EXPECT_EQ(gun.GetObjectPull(), Vector3());
}

TEST_F(HookGunTest, ShotIntoOpenSpaceReturnsAfter35) {
    wallZ = 1000.0f;
    HookGun gun;
    Step(gun);
    EXPECT_FALSE(gun.IsSighting());
    Click(gun);
    int frames = 0;
    while (gun.GetState() == HookGun::kFlying && frames < 100) { Step(gun); ++frames; }
    EXPECT_EQ(gun.GetState(), HookGun::kReeling);
    EXPECT_EQ(gun.GetHookedBoxIndex(), -1);
    EXPECT_GT(Length(gun.GetHookPosition() - gun.GetGunPosition()), 35.0f);
}

TEST_F(HookGunTest, ReleaseRules) {
    {
        HookGun gun;
        Step(gun);
        Click(gun);
        while (gun.GetState() == HookGun::kFlying) Step(gun);
        platform.Hold(FwKey::RButton);
        Step(gun);
        platform.Release(FwKey::RButton);
        EXPECT_EQ(gun.GetState(), HookGun::kReeling);
        EXPECT_EQ(gun.GetHookedBoxIndex(), -1);
    }
    {
        HookGun gun;
        Step(gun);
        Click(gun);
        while (gun.GetState() == HookGun::kFlying) Step(gun);
        forward = Normalize(Vector3(1.0f, 0.0f, 1.0f));  // 45 degrees off the chain
        Step(gun);
        EXPECT_EQ(gun.GetState(), HookGun::kReeling);
    }
}

TEST_F(HookGunTest, ObstructionBetweenGunAndHookReelsIn) {
    HookGun gun;
    Step(gun);
    Click(gun);
    Step(gun);
    Step(gun);
    ASSERT_EQ(gun.GetState(), HookGun::kFlying);
    gun.FollowPlayer(camera, Vector3(0, 3, wallZ));
    gun.Update(WallDistance(gun.GetHookPosition(), gun.GetFlightDirection()), 2, forward, false, 0.5f, false);
    EXPECT_EQ(gun.GetState(), HookGun::kReeling);
    EXPECT_EQ(gun.GetHookedBoxIndex(), 2) << "a box in the flight line is kept and reeled in";
}

TEST_F(HookGunTest, HeldButtonDoesNotFireAgain) {
    wallZ = 1000.0f;
    HookGun gun;
    Step(gun);
    platform.Hold(FwKey::LButton);
    Step(gun);
    ASSERT_EQ(gun.GetState(), HookGun::kFlying);
    for (int i = 0; i < 200 && gun.GetState() != HookGun::kReady; ++i) Step(gun);
    ASSERT_EQ(gun.GetState(), HookGun::kReady);
    Step(gun);
    Step(gun);
    EXPECT_EQ(gun.GetState(), HookGun::kReady) << "a held button needs a new press";
    platform.Release(FwKey::LButton);
    Step(gun);
    Click(gun);
    EXPECT_EQ(gun.GetState(), HookGun::kFlying);
}

TEST_F(HookGunTest, JumpingClickPullsThePlayerAtOnePerFrame) {
    HookGun gun;
    Step(gun);
    Click(gun);
    while (gun.GetState() == HookGun::kFlying) Step(gun);
    Step(gun);  // a frame with the button up re-arms the press edge
    Click(gun, true);
    ASSERT_EQ(gun.GetState(), HookGun::kPullingPlayer);
    // Move the camera by the pull each frame, as the player would.
    int frames = 0;
    while (gun.GetState() == HookGun::kPullingPlayer && frames < 100) {
        Step(gun, true);
        Vector3 pull = gun.GetPlayerPull();
        if (gun.GetState() == HookGun::kPullingPlayer) {
            EXPECT_NEAR(Length(pull), 1.0f, 1e-4f);
        }
        camera = camera * MatrixTranslation(pull);
        ++frames;
    }
    EXPECT_EQ(gun.GetState(), HookGun::kReady);
    EXPECT_EQ(gun.GetPlayerPull(), Vector3());
    EXPECT_LT(Length(gun.GetHookPosition() - gun.GetGunPosition()), 3.0f + 1.0f);
}

TEST_F(HookGunTest, RStopsThePull) {
    HookGun gun;
    Step(gun);
    Click(gun);
    while (gun.GetState() == HookGun::kFlying) Step(gun);
    Step(gun);  // a frame with the button up re-arms the press edge
    Click(gun, true);
    Step(gun, true);
    platform.Hold('R');
    Step(gun, true);
    EXPECT_EQ(gun.GetState(), HookGun::kReeling);
    EXPECT_EQ(gun.GetPlayerPull(), Vector3());
}

TEST_F(HookGunTest, ChainLinkCount) {
    EXPECT_EQ(HookGun::LinkCount(1.0f), 2);
    EXPECT_EQ(HookGun::LinkCount(1.2f), 3);
    EXPECT_EQ(HookGun::LinkCount(0.0f), 0);
}

TEST_F(HookGunTest, ReeledBoxComesAlongAndThenRestsOnTheFloor) {
    // A box 12 ahead on the floor; the hook strikes it (box index 0).
    Box box(Vector3(0.0f, 2.5f, 12.0f), 0);
    HookGun gun;
    wallZ = 9.5f;  // the box's near face
    Step(gun);
    Click(gun);
    while (gun.GetState() == HookGun::kFlying) Step(gun, false, 0);
    ASSERT_EQ(gun.GetState(), HookGun::kAttached);
    ASSERT_EQ(gun.GetHookedBoxIndex(), 0);
    Step(gun);
    Click(gun);
    float startZ = box.GetPosition().z;
    int frames = 0;
    while (frames < 60) {
        if (gun.GetState() != HookGun::kReady) Step(gun);
        box.Pull(gun.GetObjectPull(), gun.GetHookedBoxIndex());
        if (gun.GetObjectPull() == Vector3()) box.Fall(box.GetPosition().y);  // floor at y = 0
        ++frames;
        if (gun.GetState() == HookGun::kReady && box.GetVerticalSpeed() == 0.0f &&
            box.GetPosition().y == 2.5f)
            break;
    }
    EXPECT_LT(box.GetPosition().z, startZ - 4.0f) << "the box came along with the hook";
    EXPECT_FLOAT_EQ(box.GetPosition().y, 2.5f);
}

TEST_F(HookGunTest, EveryDrawInAFrameLaysTheSameChainFromHookToGun) {
    HookGun gun;
    Step(gun);
    Click(gun);
    while (gun.GetState() == HookGun::kFlying) Step(gun);
    ASSERT_EQ(gun.GetState(), HookGun::kAttached);

    // The cut-in draws the gun twice a frame: both calls start at the hook.
    const Matrix first = gun.GetFirstLinkWorld();
    gun.Draw();
    gun.Draw();
    EXPECT_EQ(gun.GetFirstLinkWorld(), first);

    const Vector3 hook = gun.GetHookPosition();
    const Vector3 toGun = Normalize(gun.GetGunPosition() - hook);
    const float chain = Length(gun.GetGunPosition() - hook);
    const int links = HookGun::LinkCount(chain);
    ASSERT_GT(links, 20);
    Matrix link = first;
    for (int i = 0; i < links; ++i) {
        // Link i sits i x 0.5 from the hook on the chain, its local +z
        // toward the gun, turned 90 degrees about the chain from the last.
        const Vector3 expected = hook + toGun * (0.5f * i);
        EXPECT_NEAR(Length(link.Translation() - expected), 0.0f, 1e-3f) << "link " << i;
        EXPECT_NEAR(Dot(Normalize(TransformNormal(Vector3(0.0f, 0.0f, 1.0f), link)), toGun), 1.0f, 1e-5f) << i;
        const Matrix next = HookGun::NextLinkWorld(link);
        const Vector3 x0 = TransformNormal(Vector3(1.0f, 0.0f, 0.0f), link);
        const Vector3 x1 = TransformNormal(Vector3(1.0f, 0.0f, 0.0f), next);
        EXPECT_NEAR(Dot(x0, x1), 0.0f, 1e-5f) << i;
        link = next;
    }
    // The last link lies within one link of the gun.
    EXPECT_LE(chain - 0.5f * (links - 1), 0.5f + 1e-4f);
    EXPECT_GT(chain - 0.5f * (links - 1), 0.0f);
}
