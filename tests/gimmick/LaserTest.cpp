// Laser groups: activation near the player, hits against the player's real
// collision model, shielding, the width pulse and thinning, the hit sound,
// the layout of a row of lasers and the finite length of an unblocked beam.
#include <cmath>
#include <limits>

#include "GimmickTestSupport.h"
#include "framework/collision/FwCollision.h"
#include "framework/model/FwModel.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/gimmick/Box.h"
#include "game/gimmick/Button.h"
#include "game/gimmick/Laser.h"

namespace {

const char* const kHit = "sound:play:Laser/LaserHit.wav";
constexpr float kPlayerRadius = 0.5f;

class LaserTest : public GimmickTest {
protected:
    void SetUp() override {
        GimmickTest::SetUp();
        playerModel = FwResourceFactory::GetInstance().GetModel("GameScene/Player/CollisionModel.gltf");
        ASSERT_FALSE(playerModel->Nodes().empty()) << "the player's collision model";
    }

    // One game-scene frame of a group, as the scene drives it: the button and
    // the activation test, then, if active, every laser with its blocking
    // distance. The player looks along +z with no pitch, so his camera world
    // is the translation of his eye.
    bool Frame(Gimmick_ReturnLaser& group, bool pressed, float blocked = kFloatMax, bool failed = false) {
        const bool active = group.UpdateButton(pressed, eye, kPlayerRadius);
        if (active) {
            for (int i = 0; i < group.GetLaserCount(); ++i)
                group.UpdateLaser(i, blocked, forward, failed, playerModel, MatrixTranslation(eye));
        }
        EndFrame();
        return active;
    }

    FwModel* playerModel = nullptr;
    Vector3 eye{0.0f, 3.0f, 10.0f};
    Vector3 forward{0.0f, 0.0f, 1.0f};
};

// A group whose single laser at (-20, 3, 10) fires along +x through the
// default eye position; its button is 10.4 from the eye.
Gimmick_ReturnLaser CrossingGroup() {
    return Gimmick_ReturnLaser(Vector3(0, 0, 0), 1, Vector3(-20.0f, 3.0f, 10.0f), Vector3(), 90.0f);
}

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

TEST_F(LaserTest, BeamStartsInFrontOfTheBodyAlongItsAngle) {
    Gimmick_ReturnLaser group = CrossingGroup();
    const Laser& laser = *group.GetLaser(0);
    EXPECT_NEAR(laser.GetDirection().x, 1.0f, 1e-6f);
    EXPECT_NEAR(laser.GetDirection().z, 0.0f, 1e-6f);
    EXPECT_NEAR(laser.GetBeamStart().x, -19.0f, 1e-5f);
    EXPECT_NEAR(laser.GetBeamStart().z, 10.0f, 1e-5f);
    EXPECT_EQ(laser.GetBodyWorld().Translation(), Vector3(-20.0f, 3.0f, 10.0f));
}

TEST_F(LaserTest, PlayerInTheBeamIsHitOnceWithOneSound) {
    Gimmick_ReturnLaser group = CrossingGroup();
    EXPECT_FALSE(group.HasHitPlayer());
    ASSERT_TRUE(Frame(group, false, 50.0f));
    EXPECT_TRUE(group.HasHitPlayer());
    for (int i = 0; i < 10; ++i) Frame(group, false, 50.0f);
    EXPECT_TRUE(group.HasHitPlayer());
    EXPECT_EQ(Count(kHit), 1);
}

TEST_F(LaserTest, PlayerBesideTheBeamOrAlreadyFailedIsNotHit) {
    Gimmick_ReturnLaser group = CrossingGroup();
    eye = Vector3(0.0f, 3.0f, 14.0f);  // 4 beside the beam, beyond the 2.5 hit sphere
    for (int i = 0; i < 5; ++i) Frame(group, false, 50.0f);
    EXPECT_FALSE(group.HasHitPlayer());

    eye = Vector3(0.0f, 3.0f, 10.0f);
    for (int i = 0; i < 5; ++i) Frame(group, false, 50.0f, true);
    EXPECT_FALSE(group.HasHitPlayer());
    EXPECT_EQ(Count(kHit), 0);
}

TEST_F(LaserTest, BoxBetweenLaserAndPlayerShieldsHim) {
    Gimmick_ReturnLaser group = CrossingGroup();
    const Laser& laser = *group.GetLaser(0);
    Box box(Vector3(-10.0f, 3.0f, 10.0f), 0);
    float blocked = kFloatMax;
    ASSERT_TRUE(RayToMesh(box.GetModel(), box.GetWorld(), laser.GetBeamStart(), laser.GetDirection(), blocked));
    EXPECT_NEAR(blocked, 6.5f, 0.01f);  // the box's near face

    for (int i = 0; i < 5; ++i) Frame(group, false, blocked);
    EXPECT_FALSE(group.HasHitPlayer());
    EXPECT_FLOAT_EQ(laser.GetBeamLength(), blocked);
    EXPECT_NEAR(laser.GetBeamEnd().x, -19.0f + blocked, 1e-4f);

    // The same box behind the player protects nothing.
    Box behind(Vector3(10.0f, 3.0f, 10.0f), 1);
    blocked = kFloatMax;
    ASSERT_TRUE(RayToMesh(behind.GetModel(), behind.GetWorld(), laser.GetBeamStart(), laser.GetDirection(), blocked));
    Frame(group, false, blocked);
    EXPECT_TRUE(group.HasHitPlayer());
}

TEST_F(LaserTest, PressedButtonThinsTheBeamsOutAndReleasedOneHitsAtOnce) {
    Gimmick_ReturnLaser group = CrossingGroup();
    const Laser& laser = *group.GetLaser(0);
    eye = Vector3(0.0f, 3.0f, 40.0f);  // out of the beam while pressing

    // While the top sinks the beam keeps pulsing at full strength.
    int frames = 0;
    while (!group.GetButton()->IsOn() && frames < 40) {
        Frame(group, true, 50.0f);
        ++frames;
        EXPECT_GE(laser.GetHalfWidth(), Laser::kNarrowestHalfWidth - Laser::kWidthStep - 1e-4f);
    }
    ASSERT_TRUE(group.GetButton()->IsOn());

    // Fully down: 0.01 thinner a frame until it is no longer drawn.
    int thinning = 1;  // the frame that switched the button on already thinned it
    float previous = laser.GetHalfWidth();
    while (laser.IsVisible() && thinning < 40) {
        Frame(group, true, 50.0f);
        ++thinning;
        EXPECT_NEAR(laser.GetHalfWidth(), previous - Laser::kWidthStep, 1e-5f);
        previous = laser.GetHalfWidth();
    }
    EXPECT_LE(thinning, 21);
    EXPECT_GE(thinning, 15);
    EXPECT_EQ(group.DrawBeams(), 0);

    // Walking into the beam line while the button is down is safe.
    eye = Vector3(0.0f, 3.0f, 10.0f);
    for (int i = 0; i < 5; ++i) Frame(group, true, 50.0f);
    EXPECT_FALSE(group.HasHitPlayer());
    EXPECT_FALSE(laser.IsVisible());

    // First released frame: the button is off and the beam hits again,
    // although it is at most one width step wide (drawn or not, depending
    // on the pulse direction it was switched off in).
    Frame(group, false, 50.0f);
    EXPECT_FALSE(group.GetButton()->IsOn());
    EXPECT_TRUE(group.HasHitPlayer());
    EXPECT_LT(laser.GetHalfWidth(), Laser::kWidthStep + 1e-5f);
    EXPECT_EQ(Count(kHit), 1);

    // It grows back 0.01 a frame into the normal pulse.
    for (int i = 0; i < 25; ++i) Frame(group, false, 50.0f);
    EXPECT_TRUE(laser.IsVisible());
    EXPECT_GE(laser.GetHalfWidth(), Laser::kNarrowestHalfWidth - 0.02f);
    EXPECT_EQ(group.DrawBeams(), 1);
}

TEST_F(LaserTest, UnpressedBeamBreathesBetweenItsLimits) {
    Laser laser(Vector3(0, 3, 0), 0.0f);
    float previous = laser.GetHalfWidth();
    float low = previous, high = previous;
    for (int i = 0; i < 60; ++i) {
        laser.UpdateBeam(false, 30.0f, Vector3(1, 0, 0));
        EXPECT_NEAR(std::fabs(laser.GetHalfWidth() - previous), Laser::kWidthStep, 1e-5f);
        previous = laser.GetHalfWidth();
        low = std::min(low, previous);
        high = std::max(high, previous);
    }
    EXPECT_NEAR(low, Laser::kNarrowestHalfWidth, 0.0101f);
    EXPECT_NEAR(high, Laser::kWidestHalfWidth, 0.0101f);
    EXPECT_GE(low, Laser::kNarrowestHalfWidth - Laser::kWidthStep - 1e-5f);
    EXPECT_LE(high, Laser::kWidestHalfWidth + Laser::kWidthStep + 1e-5f);
}

TEST_F(LaserTest, GroupFarFromThePlayerIsInactiveAndHarmless) {
    // The player stands in both beams; one button is 80 away, one 70.
    eye = Vector3(80.0f, 3.0f, 0.0f);
    Gimmick_ReturnLaser far(Vector3(0, 3, 0), 1, Vector3(80.0f, 3.0f, -20.0f), Vector3(), 0.0f);
    Gimmick_ReturnLaser near(Vector3(10, 3, 0), 1, Vector3(80.0f, 3.0f, -20.0f), Vector3(), 0.0f);

    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(Frame(far, false, 100.0f));
        // Even a scene that asks anyway gets no hit from an inactive group.
        far.UpdateLaser(0, 100.0f, forward, false, playerModel, MatrixTranslation(eye));
    }
    EXPECT_FALSE(far.IsActive());
    EXPECT_FALSE(far.HasHitPlayer());
    EXPECT_EQ(far.DrawBeams(), 0);

    EXPECT_TRUE(Frame(near, false, 100.0f));
    EXPECT_TRUE(near.HasHitPlayer());
    EXPECT_EQ(near.DrawBeams(), 1);
}

TEST_F(LaserTest, RowOfThreeLasersStandsAlongTheOffsetFacingTheSameWay) {
    Gimmick_ReturnLaser group(Vector3(0, 0, 0), 3, Vector3(5.0f, 3.0f, 1.0f), Vector3(0.0f, 0.0f, 10.0f), 90.0f);
    ASSERT_EQ(group.GetLaserCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const Laser& laser = *group.GetLaser(i);
        EXPECT_EQ(laser.GetPosition(), Vector3(5.0f, 3.0f, 1.0f + 10.0f * static_cast<float>(i)));
        EXPECT_EQ(laser.GetDirection(), group.GetLaser(0)->GetDirection());
    }
    EXPECT_FALSE(group.GetLaser(3));
    EXPECT_FALSE(group.GetLaser(-1));
    group.UpdateLaser(3, 10.0f, forward, false, playerModel, MatrixTranslation(eye));  // ignored

    Gimmick_ReturnLaser none(Vector3(0, 0, 0), -2, Vector3(), Vector3(0, 0, 10), 0.0f);
    EXPECT_EQ(none.GetLaserCount(), 0);
    EXPECT_EQ(none.DrawBeams(), 0);
}

TEST_F(LaserTest, UnblockedBeamIsCutToAFiniteLength) {
    Laser laser(Vector3(0.0f, 3.0f, 0.0f), 0.0f);
    const float cases[] = {kFloatMax, std::numeric_limits<float>::infinity(), std::nanf(""), 5000.0f};
    for (float blocked : cases) {
        laser.UpdateBeam(false, blocked, Vector3(1.0f, 0.0f, 0.0f));
        EXPECT_EQ(laser.GetBeamLength(), Laser::kMaxBeamLength) << blocked;
        EXPECT_NEAR(laser.GetBeamEnd().z, 1.0f + Laser::kMaxBeamLength, 1e-3f) << blocked;
        for (const FwEffectVertex& v : laser.GetBeamVertices()) EXPECT_TRUE(Finite(v.position)) << blocked;
    }
    laser.UpdateBeam(false, 250.0f, Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(laser.GetBeamLength(), 250.0f);
}

TEST_F(LaserTest, UnblockedBeamStillHitsAPlayerInItsWay) {
    Gimmick_ReturnLaser group = CrossingGroup();
    Frame(group, false, kFloatMax);
    EXPECT_TRUE(group.HasHitPlayer());
    EXPECT_EQ(group.GetLaser(0)->GetBeamLength(), Laser::kMaxBeamLength);
}

TEST_F(LaserTest, QuadLiesAcrossTheViewAlongTheBeam) {
    Laser laser(Vector3(0.0f, 3.0f, 0.0f), 90.0f);  // fires along +x from (1, 3, 0)
    laser.UpdateBeam(false, 20.0f, Vector3(0.0f, 0.0f, 1.0f));
    const float w = laser.GetHalfWidth();
    const auto& q = laser.GetBeamVertices();
    // Seen along +z the quad spans the beam's length and w up and down.
    const Vector3 expected[4] = {{1, 3 + w, 0}, {21, 3 + w, 0}, {1, 3 - w, 0}, {21, 3 - w, 0}};
    const Vector2 uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(q[i].position.x, expected[i].x, 1e-4f) << i;
        EXPECT_NEAR(q[i].position.y, expected[i].y, 1e-4f) << i;
        EXPECT_NEAR(q[i].position.z, expected[i].z, 1e-4f) << i;
        EXPECT_EQ(q[i].uv.x, uv[i].x) << i;
        EXPECT_EQ(q[i].uv.y, uv[i].y) << i;
    }
    // Looking straight along the beam collapses it to a line.
    laser.UpdateBeam(false, 20.0f, Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(laser.GetBeamVertices()[0].position.y, 3.0f, 1e-6f);
    EXPECT_NEAR(laser.GetBeamVertices()[2].position.y, 3.0f, 1e-6f);
}
