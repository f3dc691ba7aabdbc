// Render logic that needs no GPU: immediate buffer choice, sprite geometry,
// camera bookkeeping, and the no-device behaviour unit tests rely on.
#include <gtest/gtest.h>

#include <string>

#include "framework/render/FwBuffer.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderBlocks.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"

TEST(ImmediateBuffers, CapacitiesDoubleFromEightyBytes) {
    EXPECT_EQ(FwDirect3D::ImmediateCapacity(0), 80u);
    EXPECT_EQ(FwDirect3D::ImmediateCapacity(1), 160u);
    EXPECT_EQ(FwDirect3D::ImmediateCapacity(9), 40960u);
    EXPECT_EQ(FwDirect3D::ImmediateCapacity(10), 0u);
    EXPECT_EQ(FwDirect3D::ImmediateCapacity(-1), 0u);
}

TEST(ImmediateBuffers, FirstBufferStrictlyLargerThanTheData) {
    EXPECT_EQ(FwDirect3D::ImmediateBufferFor(0), 0);
    EXPECT_EQ(FwDirect3D::ImmediateBufferFor(79), 0);
    EXPECT_EQ(FwDirect3D::ImmediateBufferFor(80), 1);  // a full 80 bytes does not use the first buffer
    EXPECT_EQ(FwDirect3D::ImmediateBufferFor(159), 1);
    EXPECT_EQ(FwDirect3D::ImmediateBufferFor(160), 2);
    EXPECT_EQ(FwDirect3D::ImmediateBufferFor(40959), 9);
    EXPECT_EQ(FwDirect3D::ImmediateBufferFor(40960), -1);  // the spare
    EXPECT_EQ(FwDirect3D::ImmediateBufferFor(1000000), -1);
}

TEST(SpriteGeometry, CentredFullScreenSpriteCoversTheClientArea) {
    Vector4 q = FwShaderManager::SpriteQuad(0, 0, 1280, 720, {0.5f, 0.5f});
    EXPECT_EQ(q.x, -640.0f);  // left
    EXPECT_EQ(q.y, 640.0f);   // right
    EXPECT_EQ(q.z, -360.0f);  // bottom
    EXPECT_EQ(q.w, 360.0f);   // top
}

TEST(SpriteGeometry, PivotZeroPutsTheLowerLeftCornerAtThePosition) {
    Vector4 q = FwShaderManager::SpriteQuad(-640, -360, 100, 50, {0, 0});
    EXPECT_EQ(q.x, -640.0f);
    EXPECT_EQ(q.z, -360.0f);
    EXPECT_EQ(q.y, -540.0f);
    EXPECT_EQ(q.w, -310.0f);
    Vector4 topRightPivot = FwShaderManager::SpriteQuad(10, 20, 100, 50, {1, 1});
    EXPECT_EQ(topRightPivot.y, 10.0f);
    EXPECT_EQ(topRightPivot.w, 20.0f);
}

TEST(SpriteGeometry, SourceRectangleSelectsTexelsWithTheTopRowAtTheTopEdge) {
    Vector4 whole = FwShaderManager::SpriteUV(256, 128, nullptr, false);
    EXPECT_EQ(whole.x, 0.0f);
    EXPECT_EQ(whole.y, 1.0f);
    EXPECT_EQ(whole.z, 0.0f);  // top edge samples the image's first row
    EXPECT_EQ(whole.w, 1.0f);

    FwRect src{64, 32, 128, 64};
    Vector4 part = FwShaderManager::SpriteUV(256, 128, &src, false);
    EXPECT_EQ(part.x, 0.25f);
    EXPECT_EQ(part.y, 0.75f);
    EXPECT_EQ(part.z, 0.25f);
    EXPECT_EQ(part.w, 0.75f);
}

TEST(SpriteGeometry, RenderTargetsAreSampledWithVFlipped) {
    Vector4 whole = FwShaderManager::SpriteUV(64, 32, nullptr, true);
    EXPECT_EQ(whole.z, 1.0f);
    EXPECT_EQ(whole.w, 0.0f);
    FwRect topQuarter{0, 0, 64, 8};
    Vector4 part = FwShaderManager::SpriteUV(64, 32, &topQuarter, true);
    EXPECT_EQ(part.z, 1.0f);
    EXPECT_EQ(part.w, 0.75f);
}

TEST(UniformBlocks, StartValuesMatchTheGamesDefaults) {
    FwCbCamera camera;
    EXPECT_EQ(camera.g_DistanceFogEnable, 0);
    EXPECT_FLOAT_EQ(camera.g_DistanceFogDensity, 0.001f);
    FwCbLight light;
    EXPECT_EQ(light.g_DL_Dir, Vector3(0, -1, 0));
    EXPECT_EQ(light.g_PL[99].color, Vector3(3, 3, 3));
    EXPECT_EQ(light.g_PL_Num, 0);
    FwCbObject object;
    EXPECT_EQ(object.g_LightEnable, 1);
    EXPECT_EQ(object.g_UVTiling.x, 1.0f);
    EXPECT_EQ(object.g_AlphaTestThreshold, 0.0f);
}

// Unit tests of meshes and game objects run without a GPU: everything must
// fail or do nothing quietly instead of calling GL.
TEST(NoDevice, CreationFailsAndDrawsDoNothing) {
    ASSERT_FALSE(FwDirect3D::GetInstance().IsReady());
    FwBuffer buffer;
    EXPECT_FALSE(buffer.Create(FwBind::Vertex, 64, FwUsage::Default, nullptr));
    EXPECT_EQ(buffer.Handle(), 0u);
    EXPECT_EQ(buffer.ByteSize(), 0u);
    buffer.Write("abc", 3);

    FwTexture texture;
    std::string path = std::string(GV_SOURCE_DIR) + "/Data/Texture/FadeBlack.png";
    EXPECT_FALSE(texture.Load(path));
    EXPECT_TRUE(texture.IsEmpty());
    EXPECT_TRUE(texture.Path().empty());
    const uint8_t white[4] = {255, 255, 255, 255};
    EXPECT_FALSE(texture.CreateFromPixels(1, 1, white));
    EXPECT_FALSE(texture.CreateTarget(4, 4, FwTextureFormat::RGBA8));

    FwDirect3D& device = FwDirect3D::GetInstance();
    EXPECT_EQ(device.CreateBlendState(FwBlendMode::Alpha), nullptr);
    EXPECT_EQ(device.CreateSamplerState(FwFilter::Linear, FwAddress::Wrap, false), nullptr);
    const float vertices[15] = {};
    device.DrawVertices(FwTopology::TriangleList, 3, vertices, 20);
    std::vector<uint8_t> pixels;
    int w = 0, h = 0;
    EXPECT_FALSE(device.ReadBackBuffer(pixels, w, h));

    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.DrawTex(&texture, 0, 0, 10, 10, nullptr, nullptr, {0.5f, 0.5f});
    EXPECT_FALSE(shaders.IsBegun());
    shaders.DrawModel(nullptr);
}

TEST(NoDevice, InitWithoutAContextReportsTheDeviceFailure) {
    std::string error;
    EXPECT_FALSE(FwDirect3D::GetInstance().Init(64, 32, false, error));
    EXPECT_EQ(error, "Direct3D11デバイス作成失敗");
    EXPECT_FALSE(FwDirect3D::GetInstance().IsReady());
}

TEST(CameraBlock, ViewStoresTheCameraPositionFromItsInverse) {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    Vector3 eye{3, 4, -5};
    shaders.SetViewMatrix(MatrixLookAtLH(eye, {0, 0, 0}, {0, 1, 0}));
    Vector3 pos = shaders.GetCameraPos();
    EXPECT_NEAR(pos.x, eye.x, 1e-4f);
    EXPECT_NEAR(pos.y, eye.y, 1e-4f);
    EXPECT_NEAR(pos.z, eye.z, 1e-4f);
}

TEST(SpritePassFlag, BeginTwiceNeedsOnlyOneEnd) {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.Begin(false, true);
    shaders.Begin(true, false);
    EXPECT_TRUE(shaders.IsBegun());
    shaders.End();
    EXPECT_FALSE(shaders.IsBegun());
    shaders.End();
    EXPECT_FALSE(shaders.IsBegun());
}
