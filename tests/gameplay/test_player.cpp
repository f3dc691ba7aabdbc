// Player movement rules: walking, jumping under ceilings, landing snap, fall
// speeds, failure, mouse look. Runs without a window: a fake platform feeds
// keys and the cursor; no GPU is needed.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/KeyLatch.h"
#include "game/player/HookGun.h"
#include "game/player/Player.h"
#include "game/profile/Profile.h"
#include "tests/support/FakePlatform.h"

namespace {
constexpr float kFar = 3.4028235e38f;

struct PlayerTest : ::testing::Test {
    FakePlatform platform;
    void SetUp() override { KeyLatch::GetInstance().Reset(); }

    // One frame as the game scene runs it on flat ground at y = 0 under a
    // ceiling at ceilingY.
    static void Frame(Player& p, float ceilingY = 1000.0f) {
        p.Update(Vector3(), false, false);
        if (p.IsFailed()) return;
        float ceiling = 0.0f;
        if (p.IsJumping()) {
            ceiling = (ceilingY - p.GetPosition().y) - 1.0f;
            if (ceiling < 0.0f) ceiling = 0.0f;
        }
        p.ApplyPushAndJump(false, Vector3(), ceiling);
        p.ApplyGravity(true, p.GetPosition().y);
        p.SetAimDistance(kFar);
    }
};
}  // namespace

TEST_F(PlayerTest, WalksPointThreePerFrameAlongTheYaw) {
    Player p;
    platform.Hold('W');
    Frame(p);
    EXPECT_FLOAT_EQ(p.GetPosition().z, 0.3f);
    EXPECT_FLOAT_EQ(p.GetPosition().y, 3.0f);
    platform.Hold('D');  // diagonal: still 0.3 a frame
    Frame(p);
    Vector3 d = p.GetMove();
    EXPECT_NEAR(Length(d), 0.3f, 1e-6f);
    platform.ReleaseAll();
    platform.Hold('W');
    platform.Hold('S');  // opposite keys cancel
    Vector3 before = p.GetPosition();
    Frame(p);
    EXPECT_EQ(p.GetPosition(), before);
}

TEST_F(PlayerTest, JumpRisesByFallingStepsUnderAFarCeiling) {
    Player p;
    Frame(p);
    platform.Hold(FwKey::Space);
    // Rise per frame 1.5, 1.4, ...; gravity joins once the eye is 3.5 above
    // the floor, so compare against the same arithmetic.
    float y = 3.0f, jump = 1.5f, fall = 0.0f;
    std::vector<float> rises;
    for (int i = 0; i < 6; ++i) {
        float before = p.GetPosition().y;
        Frame(p);
        float a = std::min(jump, (1000.0f - before) - 1.0f);
        y += a;
        jump = std::max(a - 0.1f, 0.0f);
        if (y > 3.5f) { y += fall; fall = std::max(fall - 0.03f, -1.0f); }
        else { y = 3.0f; }
        EXPECT_NEAR(p.GetPosition().y, y, 1e-4f) << "frame " << i;
        rises.push_back(p.GetPosition().y - before);
    }
    EXPECT_NEAR(rises[0], 1.5f, 1e-5f);
    EXPECT_NEAR(rises[1], 1.4f - 0.03f, 1e-5f);  // gravity already pulls
    EXPECT_TRUE(p.IsJumping());
}

TEST_F(PlayerTest, JumpUnderANearCeilingIsLimited) {
    Player p;
    Frame(p);
    platform.Hold(FwKey::Space);
    Frame(p, 5.0f);  // ceiling 2.0 above the eye: rise at most 1.0
    EXPECT_NEAR(p.GetPosition().y, 4.0f, 1e-5f);
}

TEST_F(PlayerTest, JumpWithoutAnyCeilingDoesNotRise) {
    Player p;
    Frame(p);
    platform.Hold(FwKey::Space);
    p.Update(Vector3(), false, false);
    p.ApplyPushAndJump(false, Vector3(), 0.0f);  // nothing above: clearance 0
    EXPECT_FLOAT_EQ(p.GetPosition().y, 3.0f);
}

TEST_F(PlayerTest, HeldSpaceJumpsOnceUntilReleased) {
    Player p;
    platform.Hold(FwKey::Space);
    for (int i = 0; i < 80 && (i == 0 || p.IsJumping()); ++i) Frame(p);
    ASSERT_FALSE(p.IsJumping());
    Frame(p);
    EXPECT_FALSE(p.IsJumping()) << "held Space must not jump again";
    platform.Release(FwKey::Space);
    Frame(p);
    platform.Hold(FwKey::Space);
    Frame(p);
    EXPECT_TRUE(p.IsJumping());
}

TEST_F(PlayerTest, LandingSnapAndFallSpeeds) {
    Player p;
    p.Update(Vector3(), false, false);
    p.ApplyPushAndJump(false, Vector3(), 0.0f);
    p.ApplyGravity(true, 3.3f);  // within 3.5: snap up by 0.3
    EXPECT_NEAR(p.GetPosition().y, 3.0f + 3.0f - 3.3f, 1e-6f);

    Player q;
    q.Update(Vector3(), false, false);
    float y0 = q.GetPosition().y;
    q.ApplyGravity(true, 3.6f);  // airborne, fall speed starts at 0
    EXPECT_FLOAT_EQ(q.GetPosition().y, y0);
    q.ApplyGravity(true, 3.6f);
    EXPECT_NEAR(q.GetPosition().y, y0 - 0.03f, 1e-6f);
    for (int i = 0; i < 100; ++i) q.ApplyGravity(true, 50.0f);
    float before = q.GetPosition().y;
    q.ApplyGravity(true, 50.0f);
    EXPECT_NEAR(before - q.GetPosition().y, 1.0f, 1e-5f) << "terminal speed is 1.0";
}

TEST_F(PlayerTest, NoFloorDropsOnePerFrameAndFailsBelow150) {
    Player p;
    int frames = 0;
    while (!p.IsFailed() && frames < 1000) {
        p.Update(Vector3(), false, false);
        if (p.IsFailed()) break;
        p.ApplyPushAndJump(false, Vector3(), 0.0f);
        p.ApplyGravity(false, 0.0f);
        ++frames;
    }
    EXPECT_TRUE(p.IsFailed());
    EXPECT_EQ(frames, 154);  // 3.0 - 154 = -151 < -150
}

TEST_F(PlayerTest, MouseLookClampsPitchAndIgnoresInactiveWindow) {
    Player p;
    platform.Look(45, 0);
    p.Update(Vector3(), false, false);
    EXPECT_FLOAT_EQ(p.GetYaw(), 10.0f);
    EXPECT_EQ(platform.cursor.x, 640) << "cursor warped back to the centre";
    platform.Look(0, 4500);
    p.Update(Vector3(), false, false);
    EXPECT_FLOAT_EQ(p.GetPitch(), 80.0f);
    platform.active = false;
    platform.Look(90, 0);
    p.Update(Vector3(), false, false);
    EXPECT_FLOAT_EQ(p.GetYaw(), 10.0f);
    platform.active = true;
    platform.Look(0, 0);
    p.Update(Vector3(), true, false);  // frozen during the cut-in
    EXPECT_FLOAT_EQ(p.GetYaw(), 10.0f);
}

// The player's settings reach the player: sensitivity scales both axes,
// invert flips the pitch, a rebound walk key walks where W no longer does.
TEST_F(PlayerTest, SettingsScaleLookFlipPitchAndMoveWalkKey) {
    Profile profile;  // in memory: nothing read or written
    Profile::SetActive(&profile);
    struct Restore {
        ~Restore() { Profile::SetActive(nullptr); }
    } restore;
    profile.Change([](Settings& s) { s.mouseSensitivity = 2.0f; });
    Player p;
    platform.Look(45, 9);  // 10 and 2 degrees at the default speed
    p.Update(Vector3(), false, false);
    EXPECT_FLOAT_EQ(p.GetYaw(), 20.0f);
    EXPECT_FLOAT_EQ(p.GetPitch(), 4.0f);

    profile.Change([](Settings& s) { s.invertLook = true; });
    platform.Look(45, 9);
    p.Update(Vector3(), false, false);
    EXPECT_FLOAT_EQ(p.GetYaw(), 40.0f) << "invert leaves the turn alone";
    EXPECT_FLOAT_EQ(p.GetPitch(), 0.0f);

    std::string reason;
    ASSERT_TRUE(profile.Rebind(InputAction::WalkForward, 'I', reason)) << reason;
    platform.Hold('W');
    Frame(p);
    EXPECT_EQ(Length(p.GetMove()), 0.0f) << "W no longer walks";
    platform.ReleaseAll();
    platform.Hold('I');
    Frame(p);
    EXPECT_NEAR(Length(p.GetMove()), 0.3f, 1e-6f);
}

TEST_F(PlayerTest, PulledMovesByThePullAndWidensTheView) {
    Player p;
    p.Update(Vector3(0, 0, 1), false, false);
    EXPECT_TRUE(p.IsPulled());
    EXPECT_FLOAT_EQ(p.GetPosition().z, 1.0f);
    EXPECT_FLOAT_EQ(p.GetFov(), 62.0f);
    for (int i = 0; i < 30; ++i) p.Update(Vector3(0, 0, 1), false, false);
    EXPECT_FLOAT_EQ(p.GetFov(), 90.0f);
    p.Update(Vector3(), false, false);
    EXPECT_FLOAT_EQ(p.GetFov(), 85.0f);
    float y = p.GetPosition().y;
    p.Update(Vector3(0, 0, 1), false, false);
    p.ApplyGravity(false, 0.0f);  // gravity suspended while pulled
    EXPECT_FLOAT_EQ(p.GetPosition().y, y);
}

TEST_F(PlayerTest, LaserHitFailsAndTheViewSinks) {
    Player p;
    p.Update(Vector3(), false, true);
    EXPECT_TRUE(p.IsFailed());
    p.Update(Vector3(), false, false);
    EXPECT_FLOAT_EQ(p.GetPitch(), 5.0f);
}

// Looking into a pit with no floor: the aim ray meets nothing. The aim point
// must stay finite so the hook gun still gets a direction, flies out and
// comes back after its range, instead of freezing at the gun.
TEST_F(PlayerTest, AimIntoNothingStaysFiniteAndTheHookStillFlies) {
    Player p;
    Frame(p);  // SetAimDistance(largest float)
    const Vector3 aim = p.GetAimPoint();
    ASSERT_TRUE(std::isfinite(aim.x) && std::isfinite(aim.y) && std::isfinite(aim.z));
    EXPECT_NEAR(Length(aim - p.GetPosition()), Player::kAimMissDistance, 1e-2f);
    p.SetAimDistance(std::nanf(""));
    EXPECT_NEAR(Length(p.GetAimPoint() - p.GetPosition()), Player::kAimMissDistance, 1e-2f);
    p.SetAimDistance(12.0f);  // a real hit is kept as it is
    EXPECT_NEAR(Length(p.GetAimPoint() - p.GetPosition()), 12.0f, 1e-4f);

    HookGun gun;
    auto step = [&] {
        Frame(p);
        gun.FollowPlayer(p.GetCameraWorld(), p.GetAimPoint());
        gun.Update(kFar, -1, p.GetForward(), false, kFar, false);
    };
    step();
    EXPECT_NEAR(Length(gun.GetFlightDirection()), 1.0f, 1e-4f);
    platform.Hold(FwKey::LButton);
    step();
    platform.Release(FwKey::LButton);
    ASSERT_EQ(gun.GetState(), HookGun::kFlying);
    int frames = 0;
    while (gun.GetState() == HookGun::kFlying && frames < 100) {
        step();
        ++frames;
    }
    EXPECT_EQ(gun.GetState(), HookGun::kReeling) << "the hook returns after its range";
    EXPECT_LT(frames, 40);
    EXPECT_GT(Length(gun.GetHookPosition() - gun.GetGunPosition()), HookGun::kMaxRange - 1.0f);
}
