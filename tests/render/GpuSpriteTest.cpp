// The sprite pass on a real (headless) GL context: orientation of images and
// render targets, colour persistence, alpha discard, state save and restore.
#include <stb_image_write.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "GpuFixture.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"
#include "tests/support/TempDir.h"

namespace {

// Top-left red, top-right green, bottom-left blue, bottom-right white; top row first.
const uint8_t kQuadrants[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
const Vector4 kWhite{1, 1, 1, 1};
const Vector2 kCentre{0.5f, 0.5f};

class SpritePass : public GpuTest {
protected:
    void TearDown() override { FwShaderManager::GetInstance().SetSpriteWorld(Matrix::Identity()); }
    static void DrawFullScreen(const FwTexture* texture, const FwRect* src = nullptr) {
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.Begin(false, true);
        shaders.DrawTex(texture, 0, 0, kWidth, kHeight, src, &kWhite, kCentre);
        shaders.End();
    }
    static void ExpectQuadrants(const std::vector<uint8_t>& px) {
        ExpectPixel(Pixel(px, 0, 0), {255, 0, 0, 255}, 0, "top left");
        ExpectPixel(Pixel(px, kWidth - 1, 0), {0, 255, 0, 255}, 0, "top right");
        ExpectPixel(Pixel(px, 0, kHeight - 1), {0, 0, 255, 255}, 0, "bottom left");
        ExpectPixel(Pixel(px, kWidth - 1, kHeight - 1), {255, 255, 255, 255}, 0, "bottom right");
        ExpectPixel(Pixel(px, kWidth / 4, kHeight / 4), {255, 0, 0, 255}, 0, "inside top left");
        ExpectPixel(Pixel(px, kWidth * 3 / 4, kHeight * 3 / 4), {255, 255, 255, 255}, 0, "inside bottom right");
    }
};

}  // namespace

TEST_F(SpritePass, ClearColourReadsBackEverywhere) {
    ClearFrame(0, 0, 1, 1);
    auto px = ReadBack();
    ExpectPixel(Pixel(px, 0, 0), {0, 0, 255, 255}, 0, "top left");
    ExpectPixel(Pixel(px, kWidth - 1, kHeight - 1), {0, 0, 255, 255}, 0, "bottom right");
}

TEST_F(SpritePass, FullScreenTextureKeepsItsTopRowAtTheTop) {
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(2, 2, kQuadrants));
    ClearFrame(0, 0, 0, 1);
    DrawFullScreen(&texture);
    ExpectQuadrants(ReadBack());
}

TEST_F(SpritePass, SourceRectangleSelectsTexels) {
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(2, 2, kQuadrants));
    ClearFrame(0, 0, 0, 1);
    FwRect topRight{1, 0, 1, 1};
    DrawFullScreen(&texture, &topRight);
    auto px = ReadBack();
    ExpectPixel(Pixel(px, 0, 0), {0, 255, 0, 255}, 0, "top left");
    ExpectPixel(Pixel(px, kWidth - 1, kHeight - 1), {0, 255, 0, 255}, 0, "bottom right");
}

TEST_F(SpritePass, LoadedImageKeepsItsTopRowAtTheTop) {
    TempDir scratch("gv_render_sprite");
    std::string path = (scratch.path / "quadrants.png").string();
    ASSERT_NE(stbi_write_png(path.c_str(), 2, 2, 4, kQuadrants, 8), 0);
    FwTexture texture;
    ASSERT_TRUE(texture.Load(path));
    EXPECT_EQ(texture.Path(), path);
    EXPECT_EQ(texture.Width(), 2);
    EXPECT_FALSE(texture.BottomUp());
    ClearFrame(0, 0, 0, 1);
    DrawFullScreen(&texture);
    ExpectQuadrants(ReadBack());
}

TEST_F(SpritePass, BadImageFilesLeaveAnEmptyTexture) {
    TempDir scratch("gv_render_sprite");
    std::string path = (scratch.path / "garbage.png").string();
    std::ofstream(path) << "\x89PNG not really";
    FwTexture texture;
    EXPECT_FALSE(texture.Load(path));
    EXPECT_TRUE(texture.IsEmpty());
    EXPECT_TRUE(texture.Path().empty());
    EXPECT_FALSE(texture.Load(""));
    EXPECT_FALSE(texture.Load(path + ".missing"));

    // Drawing the empty texture shows nothing.
    ClearFrame(0, 0, 0, 1);
    DrawFullScreen(&texture);
    ExpectPixel(Pixel(ReadBack(), kWidth / 2, kHeight / 2), {0, 0, 0, 255}, 0, "centre");
}

TEST_F(SpritePass, RenderTargetDrawnAsSpriteKeepsItsOrientation) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    FwTexture image, target;
    ASSERT_TRUE(image.CreateFromPixels(2, 2, kQuadrants));
    ASSERT_TRUE(target.CreateTarget(kWidth, kHeight, FwTextureFormat::RGBA8));
    EXPECT_TRUE(target.BottomUp());

    device.SetRenderTargets(&target, nullptr);
    device.ClearRenderTarget(&target, 0, 0, 0, 1);
    DrawFullScreen(&image);

    ClearFrame(0, 0, 0, 1);
    DrawFullScreen(&target);
    ExpectQuadrants(ReadBack());
}

TEST_F(SpritePass, ColourPersistsAndBlendsByAlpha) {
    const uint8_t white[4] = {255, 255, 255, 255};
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(1, 1, white));
    FwShaderManager& shaders = FwShaderManager::GetInstance();

    ClearFrame(0, 0, 0, 1);
    const Vector4 halfRed{1, 0, 0, 0.5f};
    shaders.DrawTex(&texture, -16, 0, 32, 32, nullptr, &halfRed, kCentre);
    shaders.DrawTex(&texture, 16, 0, 32, 32, nullptr, nullptr, kCentre);  // keeps half red
    auto px = ReadBack();
    // colour = a x src + (1 - a) x dst; alpha = src alpha + (1 - src alpha) x dst alpha.
    ExpectPixel(Pixel(px, 8, 16), {128, 0, 0, 255}, 1, "first sprite");
    ExpectPixel(Pixel(px, 56, 16), {128, 0, 0, 255}, 1, "second sprite");
}

TEST_F(SpritePass, NearlyTransparentTexelsAreDiscarded) {
    const uint8_t texels[8] = {255, 255, 255, 12, 255, 255, 255, 27};  // alpha 0.047 and 0.106
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(2, 1, texels));
    const Vector4 opaque{1, 1, 1, 1};
    ClearFrame(0, 0, 0, 1);
    FwShaderManager::GetInstance().Begin(false, true);
    FwShaderManager::GetInstance().DrawTex(&texture, 0, 0, kWidth, kHeight, nullptr, &opaque, kCentre);
    FwShaderManager::GetInstance().End();
    auto px = ReadBack();
    EXPECT_EQ(Pixel(px, 8, 16).r, 0) << "alpha below 0.1 leaves the background";
    EXPECT_GT(Pixel(px, 56, 16).r, 20) << "alpha above 0.1 blends in";
}

TEST_F(SpritePass, SpriteWorldScalesAroundTheScreenCentre) {
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(2, 2, kQuadrants));
    FwShaderManager::GetInstance().SetSpriteWorld(MatrixScaling(0.5f, 0.5f, 1.0f));
    ClearFrame(0, 0, 0, 1);
    DrawFullScreen(&texture);
    auto px = ReadBack();
    ExpectPixel(Pixel(px, 2, 2), {0, 0, 0, 255}, 0, "outside the squashed sprite");
    ExpectPixel(Pixel(px, kWidth / 2 - 4, kHeight / 2 - 4), {255, 0, 0, 255}, 0, "its top-left quadrant");
}

TEST_F(SpritePass, DrawTexOutsideBeginRestoresTheStates) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    auto depth = device.CreateDepthStencilState(true, false);
    auto raster = device.CreateRasterizerState(FwCullMode::Front, FwFillMode::Solid, true, false);
    auto sampler = device.CreateSamplerState(FwFilter::Linear, FwAddress::Clamp, false);
    device.SetDepthStencilState(depth.get());
    device.SetRasterizerState(raster.get());
    device.SetSampler(0, sampler.get());

    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(2, 2, kQuadrants));
    ClearFrame(0, 0, 0, 1);
    FwShaderManager::GetInstance().DrawTex(&texture, 0, 0, kWidth, kHeight, nullptr, &kWhite, kCentre);
    ExpectQuadrants(ReadBack());  // it still drew

    EXPECT_FALSE(FwShaderManager::GetInstance().IsBegun());
    EXPECT_EQ(*device.GetDepthStencilState(), *depth);
    EXPECT_EQ(*device.GetRasterizerState(), *raster);
    EXPECT_EQ(device.GetSampler(0), sampler.get());
    device.SetDepthStencilState(nullptr);
    device.SetRasterizerState(nullptr);
    device.SetSampler(0, nullptr);
}

TEST_F(SpritePass, SecondBeginKeepsTheStatesSavedByTheFirst) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    const FwDepthStencilState original = *device.GetDepthStencilState();
    const FwRasterizerState originalRaster = *device.GetRasterizerState();
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.Begin(false, true);
    EXPECT_NE(*device.GetDepthStencilState(), original);
    shaders.Begin(true, false);
    shaders.End();
    EXPECT_EQ(*device.GetDepthStencilState(), original);
    EXPECT_EQ(*device.GetRasterizerState(), originalRaster);
}

// The game scene makes its depth states per frame and drops them right after
// binding: the device must not keep pointing into the released objects.
TEST_F(SpritePass, StatesReleasedAfterBindingStayInForce) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    {
        auto depth = device.CreateDepthStencilState(true, false);
        auto raster = device.CreateRasterizerState(FwCullMode::Front, FwFillMode::Solid, true, false);
        device.SetDepthStencilState(depth.get());
        device.SetRasterizerState(raster.get());
    }
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.Begin(false, true);
    shaders.End();
    device.ClearDepthStencil(device.GetZBuffer().get(), 1.0f, 0);
    EXPECT_EQ(*device.GetDepthStencilState(), (FwDepthStencilState{true, false}));
    EXPECT_EQ(device.GetRasterizerState()->cull, FwCullMode::Front);
    device.SetDepthStencilState(nullptr);
    device.SetRasterizerState(nullptr);
    EXPECT_EQ(*device.GetDepthStencilState(), FwDepthStencilState{});
}
