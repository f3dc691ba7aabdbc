// Hook sparks on a headless GL device: the quad's one buffer follows the
// fading colour, and a streak shows on screen only while it lives. Skipped
// where no GL context can be made.
#include <array>

#include "framework/platform/FwEglContext.h"
#include "framework/render/FwDirect3D.h"
#include "game/gimmick/HookEffect.h"
#include "tests/stageobjects/StageObjectsSupport.h"

namespace {
constexpr int kWidth = 64;
constexpr int kHeight = 64;

struct GpuHookEffectTest : StageObjectTest {
    static void SetUpTestSuite() {
        ready = FwCreateHeadlessGLContext(kWidth, kHeight, error) &&
                FwDirect3D::GetInstance().Init(kWidth, kHeight, true, error) &&
                FwShaderManager::GetInstance().Init();
    }
    static void TearDownTestSuite() {
        FwShaderManager::GetInstance().Release();
        FwDirect3D::GetInstance().Release();
        FwDestroyHeadlessGLContext();
    }
    void SetUp() override {
        if (!FwHasHeadlessGLContext()) GTEST_SKIP() << "no headless GL context: " << error;
        ASSERT_TRUE(ready) << error;
        StageObjectTest::SetUp();
    }
    // Draws the manager as the game scene does (effect shader, additive,
    // depth test without writes) over black, seen from 2 in front of the
    // origin; returns the summed brightness of the image.
    static long DrawnBrightness(const HookEffectManager& sparks) {
        FwDirect3D& d3d = FwDirect3D::GetInstance();
        d3d.SetRenderTargets(d3d.GetBackBuffer().get(), d3d.GetZBuffer().get());
        d3d.ClearRenderTarget(d3d.GetBackBuffer().get(), 0.0f, 0.0f, 0.0f, 1.0f);
        d3d.ClearDepthStencil(d3d.GetZBuffer().get(), 1.0f, 0);
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetViewMatrix(MatrixLookAtLH(Vector3(0, 0, -2), Vector3(0, 0, 0), Vector3(0, 1, 0)));
        shaders.SetProjMatrix(MatrixPerspectiveFovLH(60.0f * kDegToRad, 1.0f, 0.01f, 100.0f));
        shaders.UpdateCamera();
        shaders.SetEffectShader();
        auto additive = d3d.CreateBlendState(FwBlendMode::Additive);
        auto noWrite = d3d.CreateDepthStencilState(true, false);
        d3d.SetBlendState(additive.get());
        d3d.SetDepthStencilState(noWrite.get());
        sparks.Draw();
        d3d.SetBlendState(nullptr);
        auto write = d3d.CreateDepthStencilState(true, true);
        d3d.SetDepthStencilState(write.get());
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        EXPECT_TRUE(d3d.ReadBackBuffer(rgba, w, h));
        long sum = 0;
        for (size_t i = 0; i < rgba.size(); i += 4) sum += rgba[i] + rgba[i + 1] + rgba[i + 2];
        return sum;
    }

    static inline bool ready = false;
    static inline std::string error;
};
}  // namespace

TEST_F(GpuHookEffectTest, OneBufferPerStreakRewrittenAsItFades) {
    HookEffectManager sparks;
    const HookEffect& e = sparks.GetEffect(0);
    const uint32_t handle = e.GetBuffer().Handle();
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(e.GetBuffer().ByteSize(), 4u * 36u);
    for (int frame = 0; frame < 4; ++frame) sparks.Update(frame == 0, Matrix::Identity());
    EXPECT_EQ(e.GetBuffer().Handle(), handle) << "the buffer is made once";
    std::array<FwEffectVertex, 4> onGpu;
    ASSERT_TRUE(e.GetBuffer().Read(onGpu.data(), sizeof(onGpu)));
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(onGpu[i].color.w, 0.6f, 1e-5f) << i;
        EXPECT_EQ(onGpu[i].color.x, 1.0f) << i;
        EXPECT_EQ(onGpu[i].position.x, e.GetVertices()[i].position.x) << i;
        EXPECT_EQ(onGpu[i].position.y, e.GetVertices()[i].position.y) << i;
    }
}

TEST_F(GpuHookEffectTest, StreaksShowOnlyWhileTheyLive) {
    HookEffectManager sparks;
    EXPECT_EQ(DrawnBrightness(sparks), 0) << "nothing before a strike";
    sparks.Update(true, Matrix::Identity());
    const long fresh = DrawnBrightness(sparks);
    EXPECT_GT(fresh, 0);
    for (int i = 0; i < 7; ++i) sparks.Update(false, Matrix::Identity());
    ASSERT_EQ(sparks.VisibleCount(), 10);
    const long faint = DrawnBrightness(sparks);
    EXPECT_GT(faint, 0);
    EXPECT_LT(faint, fresh) << "fading";
    for (int i = 0; i < 2; ++i) sparks.Update(false, Matrix::Identity());
    ASSERT_EQ(sparks.VisibleCount(), 0);
    EXPECT_EQ(DrawnBrightness(sparks), 0) << "gone after nine frames";
}
