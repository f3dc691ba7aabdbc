// Drawing suppressed (the harness's --no-render): clears, models and sprites
// leave the back buffer alone, while the state they set is kept and reaches
// the GPU once drawing is back on.
#include <memory>

#include "GpuFixture.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"

namespace {

class SuppressedDrawing : public GpuTest {
protected:
    void TearDown() override {
        FwDirect3D::GetInstance().SetDrawingSuppressed(false);
        FwDirect3D::GetInstance().SetBlendState(nullptr);
    }
    static void Ambient(float level) {
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetAmbientLight({level, level, level});
        shaders.SetDirectionalLightColor({0, 0, 0});
        shaders.UpdateLight();
    }
    static void DrawSquare(const FwModel& model) {
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetModelShader();
        shaders.SetWorldMatrix(MatrixTranslation(0, 0, 5));
        shaders.DrawModel(&model);
    }
};

}  // namespace

TEST_F(SuppressedDrawing, ClearsModelsAndSpritesLeaveTheBackBufferAlone) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    LookFromOrigin({0, 0, 1});
    Ambient(1.0f);
    ClearFrame(0, 0, 0, 1);
    FwModel square = WhiteSquareModel();
    const uint8_t white[4] = {255, 255, 255, 255};
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(1, 1, white));

    device.SetDrawingSuppressed(true);
    ClearFrame(1, 0, 0, 1);
    DrawSquare(square);
    FwShaderManager::GetInstance().DrawTex(&texture, 0, 0, kWidth, kHeight, nullptr, nullptr, {0.5f, 0.5f});
    device.Present();
    std::vector<uint8_t> px = ReadBack();
    ExpectPixel(Pixel(px, 0, 0), {0, 0, 0, 255}, 0, "corner after a suppressed clear and sprite");
    ExpectPixel(Pixel(px, kWidth / 2, kHeight / 2), {0, 0, 0, 255}, 0, "centre after a suppressed model");

    device.SetDrawingSuppressed(false);
    DrawSquare(square);
    ExpectPixel(Pixel(ReadBack(), kWidth / 2, kHeight / 2), {255, 255, 255, 255}, 0, "drawn again once lifted");
}

TEST_F(SuppressedDrawing, CameraLightAndSpriteColourSetMeanwhileApplyOnceLifted) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    // What the GPU holds before: a camera looking away from the square, full
    // ambient light, a white sprite colour.
    LookFromOrigin({0, 0, -1});
    Ambient(1.0f);
    const Vector4 whiteColour{1, 1, 1, 1};
    const uint8_t white[4] = {255, 255, 255, 255};
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(1, 1, white));
    ClearFrame(0, 0, 0, 1);
    shaders.DrawTex(&texture, -100, -100, 1, 1, nullptr, &whiteColour, {0.5f, 0.5f});

    // A scene sets camera, light and sprite colour while nothing is drawn.
    device.SetDrawingSuppressed(true);
    LookFromOrigin({0, 0, 1});
    Ambient(0.5f);
    const Vector4 red{1, 0, 0, 1};
    shaders.DrawTex(&texture, 0, 0, 1, 1, nullptr, &red, {0.5f, 0.5f});
    device.SetDrawingSuppressed(false);

    auto opaque = device.CreateBlendState(FwBlendMode::Opaque);
    device.SetBlendState(opaque.get());
    FwModel square = WhiteSquareModel();
    DrawSquare(square);
    ExpectPixel(Pixel(ReadBack(), kWidth / 2, kHeight / 2), {128, 128, 128, 255}, 1,
                "the new camera sees the square in the new light");

    shaders.DrawTex(&texture, 0, 0, kWidth, kHeight, nullptr, nullptr, {0.5f, 0.5f});
    ExpectPixel(Pixel(ReadBack(), 0, 0), {255, 0, 0, 255}, 0, "the sprite colour set meanwhile is kept");
}
