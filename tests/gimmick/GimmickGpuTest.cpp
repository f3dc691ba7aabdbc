// The game-built quads on a real (headless) GL device: the beam and clock-hand
// vertex buffers are created once and rewritten in place, and what DrawBeams
// and DrawClockHands put on screen. Skipped when no GL context can be made.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "framework/platform/FwEglContext.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/gimmick/Laser.h"
#include "game/gimmick/TimeDoor.h"

namespace {

struct Pixel {
    int r, g, b, a;
};

class GimmickGpuTest : public ::testing::Test {
protected:
    static constexpr int kSize = 128;

    static void SetUpTestSuite() {
        ready_ = FwCreateHeadlessGLContext(kSize, kSize, error_) &&
                 FwDirect3D::GetInstance().Init(kSize, kSize, true, error_) && FwShaderManager::GetInstance().Init();
        // Textures and models cached by earlier tests were loaded without a
        // device; load them again on this one.
        FwResourceFactory::GetInstance().ClearForTests();
    }
    static void TearDownTestSuite() {
        FwResourceFactory::GetInstance().ClearForTests();
        FwShaderManager::GetInstance().Release();
        FwDirect3D::GetInstance().Release();
        FwDestroyHeadlessGLContext();
    }
    void SetUp() override {
        if (!FwHasHeadlessGLContext()) GTEST_SKIP() << "no headless GL context: " << error_;
        ASSERT_TRUE(ready_) << error_;
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetViewMatrix(MatrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}));
        shaders.SetProjMatrix(MatrixPerspectiveFovLH(60.0f * kDegToRad, 1.0f, 0.01f, 1000.0f));
        shaders.UpdateCamera();
    }

    // White background, Z cleared, effect shader selected.
    static void BeginEffects() {
        FwDirect3D& device = FwDirect3D::GetInstance();
        device.SetRenderTargets(device.GetBackBuffer().get(), device.GetZBuffer().get());
        device.ClearRenderTarget(device.GetBackBuffer().get(), 1, 1, 1, 1);
        device.ClearDepthStencil(device.GetZBuffer().get(), 1.0f, 0);
        FwShaderManager::GetInstance().SetEffectShader();
    }
    // (x, y) from the top-left pixel.
    static Pixel At(int x, int y) {
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        EXPECT_TRUE(FwDirect3D::GetInstance().ReadBackBuffer(rgba, w, h));
        const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4;
        if (w != kSize || h != kSize || i + 3 >= rgba.size()) return {-1, -1, -1, -1};
        return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
    }
    static bool IsWhite(const Pixel& p) { return p.r > 245 && p.g > 245 && p.b > 245; }
    static bool IsDark(const Pixel& p) { return p.r < 80 && p.g < 80 && p.b < 80; }

    template <size_t N>
    static bool BufferHolds(const FwBuffer& buffer, const std::array<FwEffectVertex, N>& vertices) {
        std::array<FwEffectVertex, N> stored{};
        if (!buffer.Read(stored.data(), static_cast<uint32_t>(sizeof(stored)))) return false;
        return std::memcmp(stored.data(), vertices.data(), sizeof(stored)) == 0;
    }

    static bool ready_;
    static std::string error_;
};

bool GimmickGpuTest::ready_ = false;
std::string GimmickGpuTest::error_;

}  // namespace

TEST_F(GimmickGpuTest, BeamBufferIsMadeOnceAndRewrittenInPlace) {
    Laser laser(Vector3(0.0f, 0.0f, 0.0f), 0.0f);
    const uint32_t handle = laser.GetBeamBuffer().Handle();
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(laser.GetBeamBuffer().ByteSize(), 144u);

    const Vector3 views[] = {{1, 0, 0}, {0, 1, 0}, {0.6f, 0.8f, 0}, {1, 0, 0}};
    float length = 10.0f;
    for (const Vector3& view : views) {
        laser.UpdateBeam(false, length, view);
        length += 5.0f;
        EXPECT_EQ(laser.GetBeamBuffer().Handle(), handle);
        EXPECT_TRUE(BufferHolds(laser.GetBeamBuffer(), laser.GetBeamVertices()));
    }
}

TEST_F(GimmickGpuTest, ClockHandBufferHoldsTheHandQuad) {
    TimeDoor door(Vector3(0.0f, 0.0f, 0.0f), 0.0f);
    const uint32_t handle = door.GetHandBuffer().Handle();
    ASSERT_NE(handle, 0u);
    EXPECT_TRUE(BufferHolds(door.GetHandBuffer(), TimeDoor::HandVertices()));
    for (int i = 0; i < 5; ++i) door.Update(true, 600);
    EXPECT_EQ(door.GetHandBuffer().Handle(), handle);
}

TEST_F(GimmickGpuTest, BeamsAreDrawnOnlyWhileTheGroupIsActive) {
    // One laser at (-20, 0, 1) firing along +x, right in front of the camera.
    Gimmick_ReturnLaser group(Vector3(0, 0, 0), 1, Vector3(-20.0f, 0.0f, 1.0f), Vector3(), 90.0f);
    const Vector3 view(0.0f, 0.0f, 1.0f);

    ASSERT_TRUE(group.UpdateButton(false, Vector3(0, 0, 0), 0.5f));
    group.UpdateLaser(0, 40.0f, view, true, nullptr, Matrix::Identity());
    BeginEffects();
    EXPECT_EQ(group.DrawBeams(), 1);
    EXPECT_FALSE(IsWhite(At(kSize / 2, kSize / 2))) << "beam core at the centre";
    EXPECT_TRUE(IsWhite(At(kSize / 2, 8))) << "above the beam";

    ASSERT_FALSE(group.UpdateButton(false, Vector3(200, 0, 0), 0.5f));
    BeginEffects();
    EXPECT_EQ(group.DrawBeams(), 0);
    EXPECT_TRUE(IsWhite(At(kSize / 2, kSize / 2)));
}

TEST_F(GimmickGpuTest, ClockHandPointsUpAtRestAndTurnsWithItsAngle) {
    // Door 8.5 below and 1.45 ahead: the hand's pivot is at (0, 0, 1),
    // facing the camera.
    TimeDoor door(Vector3(0.0f, -8.5f, 1.45f), 0.0f);
    const int c = kSize / 2;
    const int above = 42;     // 0.2 above the pivot
    const int right = c + 22;  // 0.2 right of the pivot

    BeginEffects();
    door.DrawClockHands();
    EXPECT_TRUE(IsDark(At(c, above))) << "hand above the pivot";
    EXPECT_TRUE(IsWhite(At(right, c)));

    for (int i = 0; i < 10; ++i) door.Update(true, 600);  // drawn at -90
    BeginEffects();
    door.DrawClockHands();
    EXPECT_TRUE(IsWhite(At(c, above)));
    EXPECT_TRUE(IsDark(At(right, c))) << "hand turned to the right";
}
