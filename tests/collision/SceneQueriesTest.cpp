// The game scene's four queries: object order, broad phase and tie-breaks.
//
// Every object here is a 10 x 10 wall square facing -z, placed by its world
// translation, so a ray along +z from the origin meets an object at z = d at
// distance d. The stage is a wall at 20.
#include <gtest/gtest.h>

#include <deque>

#include "game/SceneQueries.h"
#include "tests/collision/TestMeshes.h"

using namespace testmesh;

namespace {

const Vector3 kOrigin{0, 0, 0};
const Vector3 kForward{0, 0, 1};

class SceneQueriesTest : public ::testing::Test {
protected:
    SceneQueriesTest() {
        solids_.stage = SceneSolid::FromWorld(&stageModel_, MatrixTranslation(0, 0, 20));
        solids_.playerEye = {0, 1000, 0};  // far from every button unless a test moves it
    }

    // A wall object whose broad-phase centre is its surface at (0, 0, z).
    SceneSolid Wall(float z) { return SceneSolid::FromWorld(&wall_, MatrixTranslation(0, 0, z)); }
    // A button top at z: only box rays see it.
    SceneSolid ButtonTop(float z) {
        SceneSolid top = Wall(z);
        top.boxRaysOnly = true;
        return top;
    }
    // A wall whose surface is at z = surfaceZ while its position, the
    // broad-phase centre, is far ahead at z = positionZ.
    SceneSolid OffsetWall(float surfaceZ, float positionZ) {
        models_.push_back(ModelOf(SquareFacingMinusZ(surfaceZ - positionZ)));
        return SceneSolid::FromWorld(&models_.back(), MatrixTranslation(0, 0, positionZ));
    }

    float CastSolids(int32_t ignoreBox, float casterRadius = 0.5f) {
        float d = -1.0f;
        RayCastSolids(solids_, kOrigin, kForward, casterRadius, d, ignoreBox);
        return d;
    }

    FwModel wall_ = ModelOf(SquareFacingMinusZ(0.0f));
    FwModel stageModel_ = ModelOf(SquareFacingMinusZ(0.0f, 100.0f));
    std::deque<FwModel> models_;
    SceneSolids solids_;
};

// ---------------------------------------------------------------------------
// RayCastSolids
// ---------------------------------------------------------------------------

TEST_F(SceneQueriesTest, SolidsRayFindsTheNearestFixtureBoxOrStage) {
    EXPECT_EQ(CastSolids(-1), 20.0f);  // the stage alone
    solids_.fixtures = {Wall(12)};
    EXPECT_EQ(CastSolids(-1), 12.0f);
    solids_.fixtures = {Wall(14), Wall(11), Wall(12)};
    EXPECT_EQ(CastSolids(-1), 11.0f);
    solids_.fixtures.push_back(Wall(8));
    EXPECT_EQ(CastSolids(-1), 8.0f);
    solids_.boxes = {Wall(7)};
    EXPECT_EQ(CastSolids(-1), 7.0f);
    // An object behind the stage surface does not win over it.
    solids_ = SceneSolids{};
    solids_.stage = SceneSolid::FromWorld(&stageModel_, MatrixTranslation(0, 0, 20));
    solids_.boxes = {Wall(25)};
    EXPECT_EQ(CastSolids(-1), 20.0f);
}

TEST_F(SceneQueriesTest, SolidsRayNeverHitsTheJewel) {
    solids_.jewel = Wall(3);
    EXPECT_EQ(CastSolids(-1), 20.0f);
}

// The crosshair's ray also meets the jewel (and only that besides the
// solids), behind the same broad phase.
TEST_F(SceneQueriesTest, AimRayMeetsTheJewelInFrontOfTheSolids) {
    float d = -1.0f;
    ASSERT_TRUE(RayCastAimTargets(solids_, kOrigin, kForward, 0.5f, d));
    EXPECT_EQ(d, 20.0f);  // the stage
    solids_.jewel = Wall(6);
    ASSERT_TRUE(RayCastAimTargets(solids_, kOrigin, kForward, 0.5f, d));
    EXPECT_EQ(d, 6.0f);
    solids_.fixtures = {Wall(4)};
    ASSERT_TRUE(RayCastAimTargets(solids_, kOrigin, kForward, 0.5f, d));
    EXPECT_EQ(d, 4.0f) << "a window in front still wins";
    solids_.fixtures.clear();
    solids_.jewel = OffsetWall(8, 40);  // out of the broad phase
    ASSERT_TRUE(RayCastAimTargets(solids_, kOrigin, kForward, 0.5f, d));
    EXPECT_EQ(d, 20.0f);
    solids_.stage = SceneSolid{};
    solids_.jewel = SceneSolid{};
    d = -1.0f;
    EXPECT_FALSE(RayCastAimTargets(solids_, kOrigin, kForward, 0.5f, d));
    EXPECT_EQ(d, -1.0f);
}

TEST_F(SceneQueriesTest, SolidsRaySkipsOnlyTheBoxWithTheIgnoredIndex) {
    solids_.boxes = {Wall(6), Wall(9)};
    EXPECT_EQ(CastSolids(-1), 6.0f);
    EXPECT_EQ(CastSolids(0), 9.0f);
    EXPECT_EQ(CastSolids(1), 6.0f);
}

TEST_F(SceneQueriesTest, PlayerRaysPassThroughButtonsWhileBoxRaysStopOnThem) {
    solids_.fixtures = {Wall(15), ButtonTop(5)};
    EXPECT_EQ(CastSolids(-1), 15.0f);  // the player's floor and aim rays
    EXPECT_EQ(CastSolids(0), 5.0f);    // a box's fall ray
}

TEST_F(SceneQueriesTest, BroadPhaseSkipsObjectsWhosePositionIsOutOfReach) {
    // Surface at 10, position at 40: 0.5 + 15 does not reach it.
    solids_.boxes = {OffsetWall(10, 40)};
    EXPECT_EQ(CastSolids(-1, 0.5f), 20.0f);
    // A caster radius of 30 does (30 + 15 > 40).
    EXPECT_EQ(CastSolids(-1, 30.0f), 10.0f);
    // Exactly touching spheres (25 + 15 = 40) do not overlap.
    EXPECT_EQ(CastSolids(-1, 25.0f), 20.0f);
}

TEST_F(SceneQueriesTest, StageIsTestedWithoutTheBroadPhase) {
    solids_.stage = OffsetWall(20, 500);
    EXPECT_EQ(CastSolids(-1), 20.0f);
}

TEST_F(SceneQueriesTest, SolidsRayThatHitsNothingLeavesTheDistance) {
    float d = 123.0f;
    EXPECT_FALSE(RayCastSolids(solids_, kOrigin, {0, 0, -1}, 0.5f, d, -1));
    EXPECT_EQ(d, 123.0f);
    solids_.stage = SceneSolid{};  // a missing stage model is never hit
    EXPECT_FALSE(RayCastSolids(solids_, kOrigin, kForward, 0.5f, d, -1));
    EXPECT_EQ(d, 123.0f);
}

// ---------------------------------------------------------------------------
// RayCastHookTargets
// ---------------------------------------------------------------------------

TEST_F(SceneQueriesTest, HookTakesTheFirstBoxInListOrderThatIsNearerThanTheWalls) {
    solids_.boxes = {Wall(12), Wall(8)};
    float d = -1.0f;
    int32_t hitBox = -1;
    ASSERT_TRUE(RayCastHookTargets(solids_, kOrigin, kForward, 0.5f, d, hitBox));
    EXPECT_EQ(hitBox, 0);  // not the nearer box 1
    EXPECT_EQ(d, 12.0f);
}

TEST_F(SceneQueriesTest, HookSkipsBoxesBehindAWall) {
    solids_.boxes = {Wall(25), Wall(8)};
    solids_.fixtures = {Wall(10)};
    float d = -1.0f;
    int32_t hitBox = -1;
    ASSERT_TRUE(RayCastHookTargets(solids_, kOrigin, kForward, 0.5f, d, hitBox));
    EXPECT_EQ(hitBox, 1);
    EXPECT_EQ(d, 8.0f);
}

TEST_F(SceneQueriesTest, BoxLevelWithAWallIsNotHooked) {
    solids_.boxes = {Wall(10)};
    solids_.fixtures = {Wall(10), ButtonTop(50)};
    float d = -1.0f;
    int32_t hitBox = -1;
    ASSERT_TRUE(RayCastHookTargets(solids_, kOrigin, kForward, 0.5f, d, hitBox));
    EXPECT_EQ(hitBox, -1);
    EXPECT_EQ(d, 10.0f);
}

TEST_F(SceneQueriesTest, HookStrikesFixturesAndJewelButNotButtons) {
    solids_.fixtures = {Wall(30), ButtonTop(4), Wall(30), ButtonTop(4)};
    solids_.jewel = Wall(15);
    float d = -1.0f;
    int32_t hitBox = -1;
    ASSERT_TRUE(RayCastHookTargets(solids_, kOrigin, kForward, 0.5f, d, hitBox));
    EXPECT_EQ(d, 15.0f);
    solids_.fixtures.push_back(Wall(13));
    ASSERT_TRUE(RayCastHookTargets(solids_, kOrigin, kForward, 0.5f, d, hitBox));
    EXPECT_EQ(d, 13.0f);
    solids_.fixtures[2] = Wall(11);
    ASSERT_TRUE(RayCastHookTargets(solids_, kOrigin, kForward, 0.5f, d, hitBox));
    EXPECT_EQ(d, 11.0f);
    EXPECT_EQ(hitBox, -1);
}

TEST_F(SceneQueriesTest, HookBroadPhaseAppliesToBoxes) {
    solids_.boxes = {OffsetWall(10, 40)};
    float d = -1.0f;
    int32_t hitBox = -1;
    ASSERT_TRUE(RayCastHookTargets(solids_, kOrigin, kForward, 0.5f, d, hitBox));
    EXPECT_EQ(hitBox, -1);
    EXPECT_EQ(d, 20.0f);
}

TEST_F(SceneQueriesTest, HookThatStrikesNothingLeavesItsOutputs) {
    float d = 7.0f;
    int32_t hitBox = 3;
    EXPECT_FALSE(RayCastHookTargets(solids_, kOrigin, {0, 0, -1}, 0.5f, d, hitBox));
    EXPECT_EQ(d, 7.0f);
    EXPECT_EQ(hitBox, 3);
}

// ---------------------------------------------------------------------------
// PushOutOfWalls
// ---------------------------------------------------------------------------

TEST_F(SceneQueriesTest, StageWallWithinTwoPushesThePlayerBack) {
    solids_.stage = SceneSolid::FromWorld(&stageModel_, MatrixTranslation(0, 0, 1.5f));
    Vector3 push{9, 9, 9};
    EXPECT_TRUE(PushOutOfWalls(solids_, kOrigin, kForward, 0.5f, push));
    EXPECT_EQ(push, (Vector3{0, 0, -0.5f}));
}

TEST_F(SceneQueriesTest, NothingWithinReachMeansNoPush) {
    Vector3 push{9, 9, 9};
    EXPECT_TRUE(PushOutOfWalls(solids_, kOrigin, kForward, 0.5f, push));  // the stage at 20
    EXPECT_EQ(push, (Vector3{0, 0, 0}));
    EXPECT_TRUE(PushOutOfWalls(solids_, kOrigin, {0, 0, -1}, 0.5f, push));  // nothing at all: 100
    EXPECT_EQ(push, (Vector3{0, 0, 0}));
}

TEST_F(SceneQueriesTest, FirstObjectWithinFiveDecidesAndTheStageComesLast) {
    // A box 4.5 ahead is within 5 but not within 2: no push, and the stage
    // wall 1.5 ahead is no longer asked.
    solids_.boxes = {Wall(4.5f)};
    solids_.stage = SceneSolid::FromWorld(&stageModel_, MatrixTranslation(0, 0, 1.5f));
    Vector3 push;
    EXPECT_TRUE(PushOutOfWalls(solids_, kOrigin, kForward, 0.5f, push));
    EXPECT_EQ(push, (Vector3{0, 0, 0}));
}

TEST_F(SceneQueriesTest, PushOutVisitsBoxesThenFixturesInListOrder) {
    // Each object in turn holds a surface 4 ahead (no push) in front of the
    // order, while every later one holds one 1.5 ahead that would push.
    auto pushes = [&]() {
        Vector3 push;
        PushOutOfWalls(solids_, kOrigin, kForward, 0.5f, push);
        return push.z != 0.0f;
    };
    solids_.fixtures = {Wall(1.5f), Wall(1.5f), Wall(1.5f)};
    EXPECT_TRUE(pushes());
    // Fixture i at 4 decides for every later one at 1.5 (earlier ones are
    // out of the broad phase's reach).
    for (size_t i = 0; i < 3; ++i) {
        for (size_t j = 0; j < 3; ++j) solids_.fixtures[j] = Wall(j < i ? 50.0f : j == i ? 4.0f : 1.5f);
        EXPECT_FALSE(pushes()) << "fixture " << i;
    }
    solids_.fixtures = {Wall(1.5f), Wall(1.5f), Wall(1.5f)};
    solids_.boxes = {Wall(4)};
    EXPECT_FALSE(pushes());
    solids_.boxes = {Wall(1.5f)};
    EXPECT_TRUE(pushes());
}

TEST_F(SceneQueriesTest, PushOutIgnoresButtons) {
    solids_.fixtures = {Wall(50), ButtonTop(1.5f)};
    Vector3 push;
    PushOutOfWalls(solids_, kOrigin, kForward, 0.5f, push);
    EXPECT_EQ(push, (Vector3{0, 0, 0}));
}

// ---------------------------------------------------------------------------
// IsButtonPressed
// ---------------------------------------------------------------------------

TEST_F(SceneQueriesTest, PlayerFeetPressAButtonWithinTwoPointSevenFive) {
    const Vector3 button{10, 0, 10};
    solids_.playerEye = {12.7f, 3.0f, 10};  // feet 2.7 from the button
    EXPECT_TRUE(IsButtonPressed(solids_, button, kSceneButtonRadius));
    solids_.playerEye = {12.75f, 3.0f, 10};  // touching: not pressed
    EXPECT_FALSE(IsButtonPressed(solids_, button, kSceneButtonRadius));
    solids_.playerEye = {10, 5.8f, 10};  // feet 2.8 above
    EXPECT_FALSE(IsButtonPressed(solids_, button, kSceneButtonRadius));
    solids_.playerEye = {10, 5.7f, 10};
    EXPECT_TRUE(IsButtonPressed(solids_, button, kSceneButtonRadius));
}

TEST_F(SceneQueriesTest, AnyBoxWithinFourPointSevenFivePressesAButton) {
    const Vector3 button{0, 0, 0};
    solids_.boxes = {Wall(30), Wall(4.75f)};
    EXPECT_FALSE(IsButtonPressed(solids_, button, kSceneButtonRadius));
    solids_.boxes.push_back(SceneSolid::FromWorld(&wall_, MatrixTranslation(0, 2.5f, 4.0f)));  // 4.72 away
    EXPECT_TRUE(IsButtonPressed(solids_, button, kSceneButtonRadius));
}

}  // namespace
