// The device on a real (headless) GL context: block layouts as GL sees them,
// state objects, buffers, immediate drawing, winding, depth and clears.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "GpuFixture.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"
#include "framework/render/FwTextureReadback.h"

namespace {

const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlack{0, 0, 0, 255};

// A full-screen pair of triangles in clip space at depth z, clockwise on
// screen (front facing) unless reversed.
std::vector<FwEffectVertex> FullScreen(float z, bool reversed) {
    Vector4 green{0, 1, 0, 1};
    FwEffectVertex tl{{-1, 1, z}, {0, 0}, green}, tr{{1, 1, z}, {1, 0}, green};
    FwEffectVertex bl{{-1, -1, z}, {0, 1}, green}, br{{1, -1, z}, {1, 1}, green};
    if (reversed) return {tl, bl, tr, tr, bl, br};
    return {tl, tr, bl, tr, br, bl};
}

class Device : public GpuTest {
protected:
    void SetUp() override {
        GpuTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetViewMatrix(Matrix::Identity());
        shaders.SetProjMatrix(Matrix::Identity());
        shaders.UpdateCamera();
    }
    void TearDown() override {
        FwDirect3D& device = FwDirect3D::GetInstance();
        device.SetDepthStencilState(nullptr);
        device.SetRasterizerState(nullptr);
        device.SetBlendState(nullptr);
    }
    // Draws the vertices with the effect shader and the white texture.
    static void DrawEffect(const std::vector<FwEffectVertex>& vertices, const FwTexture* texture) {
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetEffectShader();
        shaders.SetEffectWorld(Matrix::Identity());
        FwDirect3D& device = FwDirect3D::GetInstance();
        device.SetTexture(0, texture);
        device.DrawVertices(FwTopology::TriangleList, static_cast<uint32_t>(vertices.size()), vertices.data(),
                            sizeof(FwEffectVertex));
    }
    static const FwTexture* White() { return FwDirect3D::GetInstance().GetDefaultTexture().get(); }
    static Rgba Centre() { return Pixel(ReadBack(), kWidth / 2, kHeight / 2); }
};

}  // namespace

TEST_F(Device, UniformBlocksMatchTheCpuCopiesAsGlReportsThem) {
    std::string report;
    EXPECT_TRUE(FwShaderManager::GetInstance().VerifyBlockLayouts(report)) << report;
    EXPECT_TRUE(report.empty()) << report;
}

TEST_F(Device, BackBufferAndZBufferHaveTheRequestedSize) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    EXPECT_EQ(device.GetBackBuffer()->Width(), kWidth);
    EXPECT_EQ(device.GetZBuffer()->Height(), kHeight);
    EXPECT_EQ(device.GetZBuffer()->Format(), FwTextureFormat::Depth32F);
    int x, y, w, h;
    device.GetViewport(x, y, w, h);
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
}

TEST_F(Device, StateCreationRejectsUnknownModes) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    for (int mode = 0; mode <= 2; ++mode)
        EXPECT_NE(device.CreateBlendState(static_cast<FwBlendMode>(mode)), nullptr) << mode;
    EXPECT_EQ(device.CreateBlendState(static_cast<FwBlendMode>(3)), nullptr);
    EXPECT_EQ(device.CreateBlendState(static_cast<FwBlendMode>(-1)), nullptr);
    EXPECT_NE(device.CreateSamplerState(FwFilter::Point, FwAddress::Clamp, true), nullptr);
    EXPECT_EQ(device.CreateSamplerState(static_cast<FwFilter>(3), FwAddress::Wrap, false), nullptr);
    EXPECT_EQ(device.CreateSamplerState(FwFilter::Linear, static_cast<FwAddress>(2), false), nullptr);
    EXPECT_EQ(device.CreateSamplerState(FwFilter::Anisotropic, FwAddress::Wrap, false, 0), nullptr);
    auto aniso = device.CreateSamplerState(FwFilter::Anisotropic, FwAddress::Wrap, false, 16);
    ASSERT_NE(aniso, nullptr);
    EXPECT_NE(aniso->handle, 0u);
}

TEST_F(Device, ConstantBuffersMustBeMultiplesOfSixteenBytes) {
    FwBuffer buffer;
    EXPECT_FALSE(buffer.Create(FwBind::Constant, 20, FwUsage::Default, nullptr));
    EXPECT_EQ(buffer.ByteSize(), 0u);
    EXPECT_TRUE(buffer.Create(FwBind::Constant, 32, FwUsage::Default, nullptr));
    EXPECT_EQ(buffer.ByteSize(), 32u);
    EXPECT_TRUE(buffer.Create(FwBind::Vertex, 20, FwUsage::Dynamic, nullptr));  // only constants are refused
    EXPECT_EQ(buffer.Usage(), FwUsage::Dynamic);
}

TEST_F(Device, BufferWritesCopyOrZeroFill) {
    for (uint32_t usage : {FwUsage::Default, FwUsage::Dynamic, FwUsage::Staging}) {
        SCOPED_TRACE(usage);
        uint8_t initial[32];
        for (int i = 0; i < 32; ++i) initial[i] = static_cast<uint8_t>(i + 1);
        FwBuffer buffer;
        ASSERT_TRUE(buffer.Create(FwBind::Vertex, 32, usage, initial));
        uint8_t out[32] = {};
        ASSERT_TRUE(buffer.Read(out, 32));
        EXPECT_EQ(std::memcmp(out, initial, 32), 0);

        uint8_t data[32];
        std::memset(data, 0xAB, sizeof(data));
        buffer.Write(data, 32);
        ASSERT_TRUE(buffer.Read(out, 32));
        EXPECT_EQ(std::memcmp(out, data, 32), 0);

        uint8_t tooLong[40];
        std::memset(tooLong, 0xCD, sizeof(tooLong));
        buffer.Write(tooLong, 40);
        ASSERT_TRUE(buffer.Read(out, 32));
        for (uint8_t b : out) EXPECT_EQ(b, 0);

        buffer.Write(data, 32);
        buffer.Write(nullptr, 8);
        ASSERT_TRUE(buffer.Read(out, 32));
        for (uint8_t b : out) EXPECT_EQ(b, 0);
        EXPECT_FALSE(buffer.Read(out, 33));
    }
}

TEST_F(Device, ShortWriteToADefaultBufferReadsOnlyTheGivenBytes) {
    uint8_t initial[16];
    std::memset(initial, 7, sizeof(initial));
    FwBuffer buffer;
    ASSERT_TRUE(buffer.Create(FwBind::Constant, 16, FwUsage::Default, initial));
    const uint8_t four[4] = {1, 2, 3, 4};
    buffer.Write(four, 4);
    uint8_t out[16];
    ASSERT_TRUE(buffer.Read(out, 16));
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(out[4], 7);
    EXPECT_EQ(out[15], 7);
}

TEST_F(Device, ClockwiseTrianglesAreFrontFacesAndBackFacesAreCulled) {
    ClearFrame(0, 0, 0, 1);
    DrawEffect(FullScreen(0.5f, true), White());
    ExpectPixel(Centre(), kBlack, 0, "counter-clockwise quad culled");
    DrawEffect(FullScreen(0.5f, false), White());
    ExpectPixel(Centre(), kGreen, 0, "clockwise quad drawn");
}

TEST_F(Device, DepthTestKeepsNearerPixelsAndClearsIgnoreTheWriteMask) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    auto readOnly = device.CreateDepthStencilState(true, false);
    ClearFrame(0, 0, 0, 1);
    device.SetDepthStencilState(readOnly.get());
    device.ClearDepthStencil(device.GetZBuffer().get(), 0.25f, 0);
    DrawEffect(FullScreen(0.5f, false), White());
    ExpectPixel(Centre(), kBlack, 0, "behind the cleared depth");
    DrawEffect(FullScreen(0.25f, false), White());
    ExpectPixel(Centre(), kGreen, 0, "equal depth passes less-or-equal");
}

TEST_F(Device, DrawTexOutsideBeginLeavesCullingAndDepthWorking) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    ClearFrame(0, 0, 0, 1);
    device.ClearDepthStencil(device.GetZBuffer().get(), 0.25f, 0);
    const uint8_t red[4] = {255, 0, 0, 255};
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(1, 1, red));
    const Vector4 white{1, 1, 1, 1};
    FwShaderManager::GetInstance().DrawTex(&texture, -24, 0, 16, 16, nullptr, &white, {0.5f, 0.5f});
    auto px = ReadBack();
    ExpectPixel(Pixel(px, 8, 16), {255, 0, 0, 255}, 0, "sprite drawn");

    DrawEffect(FullScreen(0.5f, false), White());
    DrawEffect(FullScreen(0.1f, true), White());
    ExpectPixel(Centre(), kBlack, 0, "depth test and culling still on");
}

TEST_F(Device, LargeImmediateDrawsGoThroughTheSpareBuffer) {
    std::vector<FwEffectVertex> many;
    for (int i = 0; i < 400; ++i) {
        auto quad = FullScreen(0.5f, false);
        many.insert(many.end(), quad.begin(), quad.end());
    }
    ASSERT_GT(many.size() * sizeof(FwEffectVertex), FwDirect3D::ImmediateCapacity(9));
    ClearFrame(0, 0, 0, 1);
    DrawEffect(many, White());
    ExpectPixel(Centre(), kGreen, 0, "spare buffer");
}

TEST_F(Device, MissingTexturesDrawNothing) {
    FwTexture empty;
    ClearFrame(0, 0, 0, 1);
    DrawEffect(FullScreen(0.5f, false), nullptr);
    DrawEffect(FullScreen(0.5f, false), &empty);
    ExpectPixel(Centre(), kBlack, 0, "transparent texels are discarded");
}

TEST_F(Device, BlendModesCombineAsSpecified) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    std::vector<FwEffectVertex> halfRed = FullScreen(0.5f, false);
    for (auto& v : halfRed) v.color = {1, 0, 0, 0.5f};
    auto opaque = device.CreateBlendState(FwBlendMode::Opaque);
    auto additive = device.CreateBlendState(FwBlendMode::Additive);

    ClearFrame(0, 0.5f, 0, 1);
    device.SetBlendState(opaque.get());
    DrawEffect(halfRed, White());
    ExpectPixel(Centre(), {255, 0, 0, 128}, 1, "opaque: source as is");

    ClearFrame(0, 0.5f, 0, 1);
    device.SetBlendState(additive.get());
    DrawEffect(halfRed, White());
    ExpectPixel(Centre(), {128, 128, 0, 255}, 1, "additive: a x src + dst");

    ClearFrame(0, 0.5f, 0, 1);
    device.SetBlendState(nullptr);
    DrawEffect(halfRed, White());
    ExpectPixel(Centre(), {128, 64, 0, 255}, 1, "alpha: a x src + (1 - a) x dst");
}

namespace {

// Re-initialises the device and the shaders after each case, as start-up would.
class DeviceInit : public GpuTest {
protected:
    void TearDown() override {
        if (IsSkipped()) return;
        std::string error;
        ASSERT_TRUE(FwDirect3D::GetInstance().Init(kWidth, kHeight, true, error)) << error;
        ASSERT_TRUE(FwShaderManager::GetInstance().Init());
    }
};

}  // namespace

TEST_F(DeviceInit, FailuresReportTheStartUpTextsAndLeaveNothingBehind) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    std::string error;
    EXPECT_FALSE(device.Init(0, kHeight, false, error));
    EXPECT_EQ(error, "スワップチェイン作成失敗");
    EXPECT_FALSE(device.IsReady());

    error.clear();
    EXPECT_FALSE(device.Init(1 << 20, kHeight, false, error));  // beyond any GL texture size
    EXPECT_EQ(error, "バックバッファ作成失敗");
    EXPECT_FALSE(device.IsReady());
    EXPECT_EQ(device.GetBackBuffer(), nullptr);

    FwBuffer buffer;
    EXPECT_FALSE(buffer.Create(FwBind::Vertex, 16, FwUsage::Default, nullptr)) << "no device, no GL";
}

// Images get every mipmap level, each the level above filtered down as the
// driver's own generation filters it (bilinear at the texel's centre): within
// 1 in 255 of that filter computed exactly, for halving steps and for odd
// sizes alike.
TEST_F(Device, MipmapLevelsFilterTheLevelAboveDown) {
    for (const auto& [width, height] : {std::pair{64, 16}, std::pair{5, 3}}) {
        std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
        uint32_t seed = 12345;
        for (uint8_t& p : pixels) p = uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
        FwTexture texture;
        ASSERT_TRUE(texture.CreateFromPixels(width, height, pixels.data()));
        std::vector<uint8_t> above, level;
        int aw = 0, ah = 0, w = 0, h = 0, levels = 1;
        ASSERT_TRUE(FwReadTextureLevel(texture, 0, above, aw, ah));
        EXPECT_EQ(above, pixels);
        for (; FwReadTextureLevel(texture, levels, level, w, h); ++levels) {
            int worst = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    for (int c = 0; c < 4; ++c) {
                        const float u = (float(x) + 0.5f) * float(aw) / float(w) - 0.5f;
                        const float v = (float(y) + 0.5f) * float(ah) / float(h) - 0.5f;
                        const int x0 = int(std::floor(u)), y0 = int(std::floor(v));
                        const float fx = u - float(x0), fy = v - float(y0);
                        auto at = [&](int tx, int ty) {
                            tx = std::clamp(tx, 0, aw - 1);
                            ty = std::clamp(ty, 0, ah - 1);
                            return float(above[(size_t(ty) * size_t(aw) + size_t(tx)) * 4 + size_t(c)]);
                        };
                        const float exact = (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
                                            fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
                        const int got = level[(size_t(y) * size_t(w) + size_t(x)) * 4 + size_t(c)];
                        worst = std::max(worst, std::abs(got - int(std::lround(exact))));
                    }
            EXPECT_LE(worst, 1) << width << "x" << height << " level " << levels;
            above = level;
            aw = w;
            ah = h;
        }
        EXPECT_EQ(levels, width == 64 ? 7 : 3) << width << "x" << height;
        EXPECT_EQ(aw * ah, 1);
    }
}
