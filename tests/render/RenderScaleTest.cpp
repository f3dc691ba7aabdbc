// Render scale below 1 on a real (headless) GL context: what a frame draws
// into the back buffer before its sprite pass goes to a smaller target and is
// scaled up when the sprite pass begins (or at Present); sprites and other
// targets keep their full resolution.
#include <memory>
#include <set>

#include "GpuFixture.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"

namespace {

constexpr float kScale = 0.5f;


class RenderScale : public GpuTest {
protected:
    static void SetUpTestSuite() {
        FwDirect3D::GetInstance().SetRenderScale(kScale);
        GpuTest::SetUpTestSuite();
    }
    static void TearDownTestSuite() {
        GpuTest::TearDownTestSuite();
        FwDirect3D::GetInstance().SetRenderScale(1.0f);
    }
    void SetUp() override {
        GpuTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        LookFromOrigin({0, 0, 1});
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetAmbientLight({1, 1, 1});
        shaders.SetDirectionalLightColor({0, 0, 0});
        shaders.UpdateLight();
        // Each test is one frame: Present ends the previous one.
        FwDirect3D::GetInstance().Present();
    }
    static std::vector<uint8_t> EndFrame() {
        FwDirect3D::GetInstance().Present();
        return ReadBack();
    }
};

}  // namespace

TEST_F(RenderScale, TheSettingIsKeptAcrossInitAndClamped) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    EXPECT_FLOAT_EQ(device.RenderScale(), kScale);
    EXPECT_EQ(device.Width(), kWidth) << "the back buffer keeps the window's size";
    device.SetRenderScale(0.01f);
    EXPECT_FLOAT_EQ(device.RenderScale(), 0.25f);
    device.SetRenderScale(3.0f);
    EXPECT_FLOAT_EQ(device.RenderScale(), 1.0f);
    device.SetRenderScale(kScale);
}

TEST_F(RenderScale, ThreeDPassIsScaledUpAndSpritesStayFullSize) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    ClearFrame(0, 0, 1, 1);
    FwModel square = WhiteSquareModel();
    shaders.SetModelShader();
    shaders.SetWorldMatrix(MatrixTranslation(0, 0, 5));
    shaders.DrawModel(&square);

    // A one-pixel sprite at the top-left pixel: sharp at full resolution.
    const uint8_t red[4] = {255, 0, 0, 255};
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(1, 1, red));
    const Vector4 white{1, 1, 1, 1};
    shaders.Begin(false, true);
    int x = 0, y = 0, w = 0, h = 0;
    device.GetViewport(x, y, w, h);
    EXPECT_EQ(w, kWidth) << "the sprite pass sees the full screen";
    EXPECT_EQ(h, kHeight);
    shaders.DrawTex(&texture, -kWidth / 2.0f, kHeight / 2.0f, 1, 1, nullptr, &white, {0, 1});
    shaders.End();

    std::vector<uint8_t> px = EndFrame();
    ExpectPixel(Pixel(px, kWidth / 2, kHeight / 2), {255, 255, 255, 255}, 0, "the square, scaled up");
    ExpectPixel(Pixel(px, kWidth - 1, kHeight - 1), {0, 0, 255, 255}, 0, "the clear, scaled up");
    ExpectPixel(Pixel(px, 0, 0), {255, 0, 0, 255}, 0, "the sprite's pixel");
    ExpectPixel(Pixel(px, 1, 0), {0, 0, 255, 255}, 0, "its right neighbour is untouched");
    ExpectPixel(Pixel(px, 0, 1), {0, 0, 255, 255}, 0, "its lower neighbour is untouched");
}

TEST_F(RenderScale, AFrameWithoutASpritePassIsScaledUpAtPresent) {
    ClearFrame(0, 1, 0, 1);
    std::vector<uint8_t> px = EndFrame();
    ExpectPixel(Pixel(px, 0, 0), {0, 255, 0, 255}, 0, "top left");
    ExpectPixel(Pixel(px, kWidth - 1, kHeight - 1), {0, 255, 0, 255}, 0, "bottom right");
}

// The game scene's cut-in draws into its own target and lays it over what the
// back buffer still holds: the back buffer must keep the previous frame.
TEST_F(RenderScale, OwnTargetsAreFullSizeAndAFrameThatDrewNoSceneKeepsTheLastImage) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    ClearFrame(1, 0, 0, 1);
    EndFrame();

    FwTexture target;
    ASSERT_TRUE(target.CreateTarget(kWidth, kHeight, FwTextureFormat::RGBA8));
    device.SetRenderTargets(&target, nullptr);
    device.ClearRenderTarget(&target, 0, 1, 0, 1);
    device.SetRenderTargets(device.GetBackBuffer().get(), device.GetZBuffer().get());
    // A quarter of the target, at its own full resolution, as a sprite of
    // the same size in the top-left quarter of the screen.
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    const Vector4 white{1, 1, 1, 1};
    const FwRect src{0, 0, kWidth / 2.0f, kHeight / 2.0f};
    shaders.Begin(false, true);
    shaders.DrawTex(&target, -kWidth / 2.0f, kHeight / 2.0f, kWidth / 2.0f, kHeight / 2.0f, &src, &white, {0, 1});
    shaders.End();
    std::vector<uint8_t> px = EndFrame();
    ExpectPixel(Pixel(px, 2, 2), {0, 255, 0, 255}, 0, "the target, laid over");
    ExpectPixel(Pixel(px, kWidth - 2, kHeight - 2), {255, 0, 0, 255}, 0, "the previous frame stays");
}

// The options screen and the automatic scale change it while the game runs:
// the frame under way keeps its targets, the next one draws at the new size.
TEST_F(RenderScale, AChangeBetweenFramesTakesEffectAtTheNextFrame) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    FwModel square = WhiteSquareModel();
    // Colours along the middle row: sharp edges give white and blue only, a
    // scaled-up pass blends them at the square's edges.
    auto drawAndCountColours = [&] {
        ClearFrame(0, 0, 1, 1);
        shaders.SetModelShader();
        shaders.SetWorldMatrix(MatrixTranslation(0, 0, 5));
        shaders.DrawModel(&square);
        std::vector<uint8_t> px = EndFrame();
        std::set<uint32_t> colours;
        for (int x = 0; x < kWidth; ++x) {
            const auto p = Pixel(px, x, kHeight / 2);
            colours.insert(uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | uint32_t(p.b));
        }
        return colours.size();
    };
    device.SetRenderScale(1.0f);
    EXPECT_GT(drawAndCountColours(), 2u) << "the frame under way keeps its half-size targets";
    EXPECT_EQ(drawAndCountColours(), 2u) << "the next frame is drawn at full resolution";
    device.SetRenderScale(0.25f);
    EXPECT_EQ(drawAndCountColours(), 2u) << "the frame under way stays at full resolution";
    EXPECT_GT(drawAndCountColours(), 2u) << "the next frame is drawn at a quarter and scaled up";
    device.SetRenderScale(kScale);
    EndFrame();
}
