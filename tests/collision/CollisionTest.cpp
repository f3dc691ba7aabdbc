// Ray, push-out, overlap and angle queries against meshes built in code.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/collision/FwCollision.h"
#include "tests/collision/TestMeshes.h"

using namespace testmesh;

namespace {

const Vector3 kOrigin{0, 0, 0};
const Vector3 kForward{0, 0, 1};

// A single triangle in the plane z = `z` around the z axis, wound so that a
// ray along +z meets its front (det > 0) or its back.
std::shared_ptr<FwMesh> Triangle(float z, bool frontForPlusZ) {
    std::vector<Vector3> p{{-1, -1, z}, {3, -1, z}, {-1, 3, z}};
    FwMeshFace face = frontForPlusZ ? FwMeshFace{{0, 2, 1}} : FwMeshFace{{0, 1, 2}};
    return MakeMesh(p, {face});
}

float Cast(const FwModel& model, const Matrix& world, const Vector3& origin, const Vector3& dir,
           float start = kFloatMax) {
    float d = start;
    RayToMesh(&model, world, origin, dir, d);
    return d;
}

}  // namespace

// ---------------------------------------------------------------------------
// Triangle test
// ---------------------------------------------------------------------------

TEST(TriangleTest, FrontAndBackAreHitAtTheSameExactDistance) {
    FwModel front = ModelOf(Triangle(10.0f, true));
    FwModel back = ModelOf(Triangle(10.0f, false));
    EXPECT_EQ(Cast(front, Matrix::Identity(), kOrigin, kForward), 10.0f);
    EXPECT_EQ(Cast(back, Matrix::Identity(), kOrigin, kForward), 10.0f);
    // From the other side the roles swap and the distance is the same.
    EXPECT_EQ(Cast(front, Matrix::Identity(), {0, 0, 20}, {0, 0, -1}), 10.0f);
    EXPECT_EQ(Cast(back, Matrix::Identity(), {0, 0, 20}, {0, 0, -1}), 10.0f);
}

TEST(TriangleTest, TriangleBehindTheOriginOrBesideTheRayIsMissed) {
    for (bool frontSide : {true, false}) {
        FwModel model = ModelOf(Triangle(10.0f, frontSide));
        float d = 50.0f;
        EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), kOrigin, {0, 0, -1}, d)) << frontSide;
        EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), {2.5f, 2.5f, 0}, kForward, d)) << frontSide;  // u + v > det
        EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), {-1.5f, 0, 0}, kForward, d)) << frontSide;   // u < 0
        EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), {0, -1.5f, 0}, kForward, d)) << frontSide;   // v < 0
        EXPECT_EQ(d, 50.0f);
    }
}

TEST(TriangleTest, RayParallelToThePlaneIsMissed) {
    FwModel model = ModelOf(Triangle(10.0f, true));
    float d = kFloatMax;
    // In the plane itself and beside it.
    EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), {-5, 0, 10}, {1, 0, 0}, d));
    EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), {-5, 0, 9}, {1, 0, 0}, d));
    // A zero direction is parallel to everything.
    EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), kOrigin, {0, 0, 0}, d));
    EXPECT_EQ(d, kFloatMax);
}

TEST(TriangleTest, OriginOnTheTriangleHitsAtDistanceZero) {
    for (bool frontSide : {true, false}) {
        FwModel model = ModelOf(Triangle(10.0f, frontSide));
        float d = 1.0f;
        EXPECT_TRUE(RayToMesh(&model, Matrix::Identity(), {0, 0, 10}, kForward, d)) << frontSide;
        EXPECT_EQ(d, 0.0f) << frontSide;
    }
}

TEST(TriangleTest, EdgesAndCornersCount) {
    FwModel model = ModelOf(Triangle(10.0f, true));
    EXPECT_EQ(Cast(model, Matrix::Identity(), {1, 1, 0}, kForward), 10.0f);    // on the long edge
    EXPECT_EQ(Cast(model, Matrix::Identity(), {-1, -1, 0}, kForward), 10.0f);  // on a corner
}

TEST(TriangleTest, NodeScaleIsUndoneSoDistancesStayInWorldUnits) {
    // Face 5 local units ahead, node scaled by 2: 10 in the world.
    FwModel model = ModelOf(Triangle(5.0f, true), MatrixScaling(2, 2, 2));
    EXPECT_EQ(Cast(model, Matrix::Identity(), kOrigin, kForward), 10.0f);
}

TEST(TriangleTest, NodeMatrixComesBeforeTheWorldMatrix) {
    // Local z 5, scaled by 2 (node), then moved 4 (world): 14. The other
    // order would give (5 + 4) x 2 = 18.
    FwModel model = ModelOf(Triangle(5.0f, true), MatrixScaling(2, 2, 2));
    EXPECT_EQ(Cast(model, MatrixTranslation(0, 0, 4), kOrigin, kForward), 14.0f);
}

TEST(TriangleTest, RotatedWorldMatrixIsFollowed) {
    // A yaw of 90 degrees turns local +z to world +x: the face at local
    // z = 10 stands at world x = 10.
    FwModel model = ModelOf(Triangle(10.0f, true));
    Matrix world = MatrixRotationY(90.0f * kDegToRad);
    EXPECT_NEAR(Cast(model, world, kOrigin, {1, 0, 0}), 10.0f, 1e-4f);
    EXPECT_EQ(Cast(model, world, kOrigin, kForward), kFloatMax);
}

TEST(TriangleTest, DistanceIsInMultiplesOfTheDirectionLength) {
    FwModel model = ModelOf(Triangle(10.0f, true));
    EXPECT_EQ(Cast(model, Matrix::Identity(), kOrigin, {0, 0, 2}), 5.0f);
    EXPECT_EQ(Cast(model, Matrix::Identity(), kOrigin, {0, 0, 0.5f}), 20.0f);
}

// ---------------------------------------------------------------------------
// Node lists
// ---------------------------------------------------------------------------

TEST(NodeListTest, EveryNodeOfTheNodeListIsTestedNotOnlyRoots) {
    FwModel model;
    model.AddNode(MeshNode(Triangle(20.0f, true)), true);
    model.AddNode(MeshNode(Triangle(10.0f, true)), false);  // a child node
    EXPECT_EQ(Cast(model, Matrix::Identity(), kOrigin, kForward), 10.0f);
}

TEST(NodeListTest, EmptyModelsMeshlessNodesAndNullModelsAreNeverHit) {
    FwModel empty;
    EXPECT_EQ(Cast(empty, Matrix::Identity(), kOrigin, kForward), kFloatMax);

    FwModel meshless;
    meshless.AddNode(FwModelNode{});
    meshless.AddNode(MeshNode(MakeMesh({{0, 0, 1}, {1, 0, 1}, {0, 1, 1}}, {})));  // no faces
    EXPECT_EQ(Cast(meshless, Matrix::Identity(), kOrigin, kForward), kFloatMax);

    float d = 3.0f;
    Vector3 n{7, 7, 7};
    EXPECT_FALSE(RayToMesh(static_cast<const FwModel*>(nullptr), Matrix::Identity(), kOrigin, kForward, d));
    EXPECT_FALSE(RayToMeshWithNormal(static_cast<const FwModel*>(nullptr), Matrix::Identity(), kOrigin, kForward, d, n));
    EXPECT_EQ(d, 3.0f);
    EXPECT_EQ(n, (Vector3{7, 7, 7}));
}

TEST(NodeListTest, SingularTransformAndBadIndicesGiveNoHitInsteadOfGarbage) {
    FwModel model = ModelOf(Triangle(10.0f, true));
    // A world matrix squashed flat cannot be inverted: that model is not hit.
    EXPECT_EQ(Cast(model, MatrixScaling(1, 1, 0), kOrigin, kForward), kFloatMax);
    // A face pointing past the vertex list is skipped; the good face still counts.
    FwModel broken = ModelOf(MakeMesh({{-1, -1, 8}, {3, -1, 8}, {-1, 3, 8}},
                                      {FwMeshFace{{0, 2, 7}}, FwMeshFace{{0, 2, 1}}}));
    EXPECT_EQ(Cast(broken, Matrix::Identity(), kOrigin, kForward), 8.0f);
}

// ---------------------------------------------------------------------------
// RayToMesh: the distance passed in is range and running nearest at once
// ---------------------------------------------------------------------------

TEST(RayToMeshTest, HitBeyondTheDistancePassedInIsIgnored) {
    FwModel model = ModelOf(Triangle(12.0f, true));
    float d = 10.0f;
    EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), kOrigin, kForward, d));
    EXPECT_EQ(d, 10.0f);
}

TEST(RayToMeshTest, NearerHitReplacesTheDistance) {
    FwModel model = ModelOf(Triangle(8.0f, true));
    float d = 10.0f;
    EXPECT_TRUE(RayToMesh(&model, Matrix::Identity(), kOrigin, kForward, d));
    EXPECT_EQ(d, 8.0f);
}

TEST(RayToMeshTest, HitExactlyAtTheDistancePassedInIsNotNearer) {
    FwModel model = ModelOf(Triangle(10.0f, true));
    float d = 10.0f;
    EXPECT_FALSE(RayToMesh(&model, Matrix::Identity(), kOrigin, kForward, d));
    EXPECT_EQ(d, 10.0f);
}

TEST(RayToMeshTest, NearestOfSeveralTrianglesWinsWhateverTheirOrder) {
    FwModel model;
    model.AddNode(MeshNode(Triangle(9.0f, true)));
    model.AddNode(MeshNode(Triangle(6.0f, false)));
    model.AddNode(MeshNode(Triangle(7.0f, true)));
    EXPECT_EQ(Cast(model, Matrix::Identity(), kOrigin, kForward), 6.0f);
}

TEST(RayToMeshTest, ChainingModelsThroughOneVariableKeepsTheNearest) {
    FwModel near = ModelOf(Triangle(6.0f, true));
    FwModel far = ModelOf(Triangle(9.0f, true));
    float d = kFloatMax;
    EXPECT_TRUE(RayToMesh(&near, Matrix::Identity(), kOrigin, kForward, d));
    EXPECT_FALSE(RayToMesh(&far, Matrix::Identity(), kOrigin, kForward, d));
    EXPECT_EQ(d, 6.0f);
}

// ---------------------------------------------------------------------------
// RayToMeshWithNormal
// ---------------------------------------------------------------------------

TEST(RayToMeshWithNormalTest, NormalFollowsTheWindingNotTheSideOfTheRay) {
    FwModel facingMinusZ = ModelOf(SquareFacingMinusZ(10.0f));
    float d = 0;
    Vector3 n;
    ASSERT_TRUE(RayToMeshWithNormal(&facingMinusZ, Matrix::Identity(), kOrigin, kForward, d, n));
    EXPECT_EQ(d, 10.0f);
    EXPECT_EQ(n, (Vector3{0, 0, -1}));
    ASSERT_TRUE(RayToMeshWithNormal(&facingMinusZ, Matrix::Identity(), {0, 0, 30}, {0, 0, -1}, d, n));
    EXPECT_EQ(d, 20.0f);
    EXPECT_EQ(n, (Vector3{0, 0, -1}));

    FwModel facingPlusZ = ModelOf(SquareFacingPlusZ(10.0f));
    ASSERT_TRUE(RayToMeshWithNormal(&facingPlusZ, Matrix::Identity(), kOrigin, kForward, d, n));
    EXPECT_EQ(n, (Vector3{0, 0, 1}));
}

TEST(RayToMeshWithNormalTest, FirstOfEquallyNearTrianglesGivesTheNormal) {
    FwModel minusFirst;
    minusFirst.AddNode(MeshNode(SquareFacingMinusZ(10.0f)));
    minusFirst.AddNode(MeshNode(SquareFacingPlusZ(10.0f)));
    FwModel plusFirst;
    plusFirst.AddNode(MeshNode(SquareFacingPlusZ(10.0f)));
    plusFirst.AddNode(MeshNode(SquareFacingMinusZ(10.0f)));
    float d = 0;
    Vector3 n;
    ASSERT_TRUE(RayToMeshWithNormal(&minusFirst, Matrix::Identity(), {1, 2, 0}, kForward, d, n));
    EXPECT_EQ(n.z, -1.0f);
    ASSERT_TRUE(RayToMeshWithNormal(&plusFirst, Matrix::Identity(), {1, 2, 0}, kForward, d, n));
    EXPECT_EQ(n.z, 1.0f);
}

TEST(RayToMeshWithNormalTest, NormalIsTransformedByTheNodeAndWorldMatrixAndUnit) {
    // A wall facing -z at local z = 10, scaled by 3 and turned -90 degrees
    // about y: it stands at world x = -30 and faces +x. The scale must not
    // change the unit length of the normal.
    FwModel model = ModelOf(SquareFacingMinusZ(10.0f), MatrixScaling(3, 3, 3));
    Matrix world = MatrixRotationY(-90.0f * kDegToRad);
    float d = 0;
    Vector3 n;
    ASSERT_TRUE(RayToMeshWithNormal(&model, world, kOrigin, {-1, 0, 0}, d, n));
    EXPECT_NEAR(d, 30.0f, 1e-4f);
    EXPECT_NEAR(Length(n), 1.0f, 1e-6f);
    EXPECT_NEAR(n.x, 1.0f, 1e-6f);
}

TEST(RayToMeshWithNormalTest, MissLeavesOutputsAndHasNoRangeLimit) {
    FwModel model = ModelOf(SquareFacingMinusZ(1e6f, 10.0f));
    float d = -1.0f;
    Vector3 n{9, 9, 9};
    EXPECT_FALSE(RayToMeshWithNormal(&model, Matrix::Identity(), kOrigin, {0, 0, -1}, d, n));
    EXPECT_EQ(d, -1.0f);
    EXPECT_EQ(n, (Vector3{9, 9, 9}));
    EXPECT_TRUE(RayToMeshWithNormal(&model, Matrix::Identity(), kOrigin, kForward, d, n));
    EXPECT_EQ(d, 1e6f);
}

// ---------------------------------------------------------------------------
// PushOutFromMesh
// ---------------------------------------------------------------------------

TEST(PushOutTest, FaceWithinTwoPushesTheOriginBackToTwo) {
    FwModel wall = ModelOf(SquareFacingMinusZ(1.5f));  // faces the ray head on, k = 1
    Vector3 push;
    EXPECT_EQ(PushOutFromMesh(&wall, Matrix::Identity(), kOrigin, kForward, kFloatMax, push), 1.5f);
    EXPECT_EQ(push, (Vector3{0, 0, -0.5f}));
}

TEST(PushOutTest, FaceBeyondTwoReturnsItsDistanceWithoutPush) {
    FwModel wall = ModelOf(SquareFacingMinusZ(3.0f));
    Vector3 push{1, 2, 3};
    EXPECT_EQ(PushOutFromMesh(&wall, Matrix::Identity(), kOrigin, kForward, kFloatMax, push), 3.0f);
    EXPECT_EQ(push, (Vector3{1, 2, 3}));
}

TEST(PushOutTest, RunningDistanceBelowFiveSkipsTheModel) {
    FwModel wall = ModelOf(SquareFacingMinusZ(1.5f));
    Vector3 push{1, 2, 3};
    EXPECT_EQ(PushOutFromMesh(&wall, Matrix::Identity(), kOrigin, kForward, 4.0f, push), 4.0f);
    EXPECT_EQ(push, (Vector3{1, 2, 3}));
    // Exactly 5 is not below 5: the model is asked.
    EXPECT_EQ(PushOutFromMesh(&wall, Matrix::Identity(), kOrigin, kForward, 5.0f, push), 1.5f);
    EXPECT_EQ(push, (Vector3{0, 0, -0.5f}));
}

TEST(PushOutTest, MissReturnsTheRunningDistanceCappedAtOneHundred) {
    FwModel wall = ModelOf(SquareFacingMinusZ(1.5f));
    Vector3 push{1, 2, 3};
    EXPECT_EQ(PushOutFromMesh(&wall, Matrix::Identity(), kOrigin, {0, 0, -1}, kFloatMax, push), 100.0f);
    EXPECT_EQ(PushOutFromMesh(&wall, Matrix::Identity(), kOrigin, {0, 0, -1}, 50.0f, push), 50.0f);
    EXPECT_EQ(push, (Vector3{1, 2, 3}));
}

TEST(PushOutTest, ObliqueWallPushesOnlyWhenNearerThanTheRunningDistance) {
    // The wall's normal makes cos = 0.2 with the ray: met at 6 along the ray,
    // the origin is only 1.2 from its plane, so it is within reach.
    const float yaw = std::acos(0.2f);
    FwModel wall = ModelOf(SquareFacingMinusZ(0.0f, 50.0f), MatrixRotationY(yaw));
    const Matrix world = MatrixTranslation(0, 0, 6.0f);
    const Vector3 kAside{0, 1, 0};  // off the squares' shared diagonal

    Vector3 push{1, 2, 3};
    EXPECT_EQ(PushOutFromMesh(&wall, world, kAside, kForward, 5.5f, push), 5.5f);
    EXPECT_EQ(push, (Vector3{1, 2, 3}));  // something nearer was already found

    float t = PushOutFromMesh(&wall, world, kAside, kForward, kFloatMax, push);
    EXPECT_NEAR(t, 6.0f, 1e-4f);
    EXPECT_NEAR(Length(push), 0.8f, 1e-4f);  // from 1.2 to 2.0 off the plane
    const Vector3 normal{-std::sin(yaw), 0.0f, -0.2f};
    EXPECT_NEAR(Dot(push - Vector3{0, 0, 6.0f}, normal), 2.0f, 1e-4f);  // the origin ends 2 in front
}

TEST(PushOutTest, WallWhoseNormalPointsAlongTheMoveNeverPushes) {
    FwModel wall = ModelOf(SquareFacingPlusZ(1.5f));  // k = -1
    Vector3 push{1, 2, 3};
    EXPECT_EQ(PushOutFromMesh(&wall, Matrix::Identity(), kOrigin, kForward, kFloatMax, push), 1.5f);
    EXPECT_EQ(push, (Vector3{1, 2, 3}));
}

TEST(PushOutTest, ShortMoveVectorMeasuresInMovesButPushesInWorldUnits) {
    // The player's move of 0.3 per frame is the ray direction: a wall 1.5
    // away is 5 moves away, and the push still restores 2 world units.
    FwModel wall = ModelOf(SquareFacingMinusZ(1.5f));
    Vector3 push;
    float t = PushOutFromMesh(&wall, Matrix::Identity(), kOrigin, {0, 0, 0.3f}, kFloatMax, push);
    EXPECT_NEAR(t, 5.0f, 1e-5f);
    EXPECT_NEAR(push.z, -0.5f, 1e-5f);
    EXPECT_EQ(push.x, 0.0f);
    EXPECT_EQ(push.y, 0.0f);
}

TEST(PushOutTest, SlantedWallPushesAlongItsNormal) {
    // A wall at 45 degrees, crossed at 1.5 along the ray: the origin is
    // 1.5 / sqrt(2) from its plane, so the push is 2 - 1.06 along the normal.
    FwModel wall = ModelOf(SquareFacingMinusZ(0.0f), MatrixRotationY(45.0f * kDegToRad));
    Vector3 push;
    float t = PushOutFromMesh(&wall, MatrixTranslation(0, 0, 1.5f), Vector3{0, 1, 0}, kForward, kFloatMax, push);
    EXPECT_NEAR(t, 1.5f, 1e-5f);
    EXPECT_NEAR(Length(push), 2.0f - 1.5f / std::sqrt(2.0f), 1e-5f);
    EXPECT_NEAR(push.x, push.z, 1e-6f);  // along (-1, 0, -1) / sqrt(2)
    EXPECT_LT(push.z, 0.0f);
}

// ---------------------------------------------------------------------------
// SphereOverlap and AngleBetweenDeg
// ---------------------------------------------------------------------------

TEST(SphereOverlapTest, TouchingSpheresDoNotOverlap) {
    EXPECT_FALSE(SphereOverlap({0, 0, 0}, 1.0f, {2, 0, 0}, 1.0f));
    EXPECT_TRUE(SphereOverlap({0, 0, 0}, 1.0f, {1.99f, 0, 0}, 1.0f));
    EXPECT_TRUE(SphereOverlap({1, 2, 3}, 0.5f, {1, 2, 3}, 0.5f));
    EXPECT_FALSE(SphereOverlap({1, 2, 3}, 0.0f, {1, 2, 3}, 0.0f));
    // Distance in 3D: (3, 4, 12) is 13 away.
    EXPECT_TRUE(SphereOverlap({0, 0, 0}, 6.0f, {3, 4, 12}, 7.01f));
    EXPECT_FALSE(SphereOverlap({0, 0, 0}, 6.0f, {3, 4, 12}, 7.0f));
}

TEST(AngleBetweenTest, AnglesInDegreesAndArgumentsNormalizedInPlace) {
    Vector3 a{3, 0, 0}, b{0, 0, 5};
    EXPECT_NEAR(AngleBetweenDeg(a, b), 90.0f, 1e-4f);
    EXPECT_EQ(a, (Vector3{1, 0, 0}));
    EXPECT_EQ(b, (Vector3{0, 0, 1}));

    Vector3 c{1, 0, 0}, d{1, 1, 0};
    EXPECT_NEAR(AngleBetweenDeg(c, d), 45.0f, 1e-4f);
    Vector3 e{0, 2, 0}, f{0, -7, 0};
    EXPECT_NEAR(AngleBetweenDeg(e, f), 180.0f, 1e-4f);
}

TEST(AngleBetweenTest, ParallelDirectionsGiveZeroNotNaN) {
    // Normalized copies of the same direction can have a dot product a hair
    // above 1; the angle must still be a number.
    const Vector3 directions[] = {{1, 1, 1}, {0.3f, -0.7f, 0.2f}, {1e-3f, 5, -2}, {-3, 0.1f, 7}};
    for (const Vector3& dir : directions) {
        Vector3 a = dir, b = dir;
        float same = AngleBetweenDeg(a, b);
        EXPECT_FALSE(std::isnan(same));
        EXPECT_NEAR(same, 0.0f, 0.05f);
        Vector3 c = dir, opposite = -dir;
        float reverse = AngleBetweenDeg(c, opposite);
        EXPECT_FALSE(std::isnan(reverse));
        EXPECT_NEAR(reverse, 180.0f, 0.05f);
    }
}

TEST(AngleBetweenTest, ZeroVectorGivesNinety) {
    Vector3 a{0, 0, 0}, b{1, 0, 0};
    EXPECT_NEAR(AngleBetweenDeg(a, b), 90.0f, 1e-4f);
    EXPECT_EQ(a, (Vector3{0, 0, 0}));
}
