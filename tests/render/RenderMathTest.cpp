// Camera matrices the scenes build and the sprite projection.
#include <gtest/gtest.h>

#include "framework/math/FwMath.h"

namespace {

void ExpectMatrixNear(const Matrix& a, const Matrix& b, float tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "row " << r << " col " << c;
}

Vector4 Transform4(const Vector4& p, const Matrix& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + p.w * m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + p.w * m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + p.w * m.m[3][2],
            p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + p.w * m.m[3][3]};
}

}  // namespace

TEST(RenderMath, DefaultPerspectiveHasTheGamesScalesAndDepthRange) {
    Matrix p = MatrixPerspectiveFovLH(60.0f * kDegToRad, 1280.0f / 720.0f, 0.01f, 1000.0f);
    EXPECT_NEAR(p.m[0][0], 0.9742786f, 1e-6f);
    EXPECT_NEAR(p.m[1][1], 1.7320508f, 1e-6f);
    EXPECT_NEAR(p.m[2][2], 1.00001f, 1e-6f);
    EXPECT_NEAR(p.m[3][2], -0.0100001f, 1e-8f);
    EXPECT_EQ(p.m[2][3], 1.0f);  // w taken from z
    EXPECT_EQ(p.m[3][3], 0.0f);

    // Near plane maps to depth 0 and far plane to depth 1 (clip depth 0..1).
    Vector4 nearClip = Transform4({0, 0, 0.01f, 1}, p);
    Vector4 farClip = Transform4({0, 0, 1000.0f, 1}, p);
    EXPECT_NEAR(nearClip.z / nearClip.w, 0.0f, 1e-5f);
    EXPECT_NEAR(farClip.z / farClip.w, 1.0f, 1e-5f);
}

TEST(RenderMath, LookAtIsLeftHandedWithTranslationFromTheEye) {
    Vector3 eye{1, 2, 3};
    Matrix v = MatrixLookAtLH(eye, {1, 2, 10}, {0, 1, 0});
    // Looking down +z from (1, 2, 3): the axes stay, the eye moves to the origin.
    ExpectMatrixNear(v, MatrixTranslation(-1, -2, -3), 1e-6f);

    // Looking down +x: the world's +x becomes view +z, world -z becomes view +x.
    Matrix side = MatrixLookAtLH({0, 0, 0}, {5, 0, 0}, {0, 1, 0});
    Vector3 ahead = TransformCoord({2, 0, 0}, side);
    Vector3 right = TransformCoord({0, 0, -1}, side);
    EXPECT_NEAR(ahead.z, 2.0f, 1e-6f);
    EXPECT_NEAR(right.x, 1.0f, 1e-6f);
    EXPECT_NEAR(right.z, 0.0f, 1e-6f);
}

TEST(RenderMath, InverseOfViewGivesTheCameraPosition) {
    Vector3 eye{4, -2, 7};
    Matrix v = MatrixLookAtLH(eye, {0, 1, 0}, {0, 1, 0});
    Matrix inv = MatrixInverse(v);
    Vector3 pos = inv.Translation();
    EXPECT_NEAR(pos.x, eye.x, 1e-4f);
    EXPECT_NEAR(pos.y, eye.y, 1e-4f);
    EXPECT_NEAR(pos.z, eye.z, 1e-4f);
    ExpectMatrixNear(v * inv, Matrix::Identity(), 1e-5f);

    Matrix general(2, 0, 1, 0, 1, 3, 0, 0, 0, 1, 4, 0, 5, -6, 7, 1);
    ExpectMatrixNear(general * MatrixInverse(general), Matrix::Identity(), 1e-5f);
}

TEST(RenderMath, SingularInverseFallsBackToIdentity) {
    Matrix singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1);
    EXPECT_EQ(MatrixInverse(singular), Matrix::Identity());
}

TEST(RenderMath, SpriteProjectionMapsScreenPixelsToClipSpace) {
    Matrix o = MatrixOrthographicLH(1280.0f, 720.0f, 0.0f, 1.0f);
    Vector3 topLeft = TransformCoord({-640, 360, 0}, o);
    Vector3 bottomRight = TransformCoord({640, -360, 0}, o);
    EXPECT_NEAR(topLeft.x, -1.0f, 1e-6f);
    EXPECT_NEAR(topLeft.y, 1.0f, 1e-6f);
    EXPECT_NEAR(bottomRight.x, 1.0f, 1e-6f);
    EXPECT_NEAR(bottomRight.y, -1.0f, 1e-6f);
    EXPECT_NEAR(topLeft.z, 0.0f, 1e-6f);
}
