#include "scene/BaseScene.h"

#include "framework/FwFrameSize.h"
#include "scene/CameraUtil.h"
#include "framework/audio/FwAudio.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"

namespace {
constexpr float kScreenWidth = static_cast<float>(kFwFrameWidth);
constexpr float kScreenHeight = static_cast<float>(kFwFrameHeight);
// View of a scene that does not place its own camera: a few units in front
// of the origin, looking at it.
const Vector3 kDefaultEye{0.0f, 0.0f, -10.0f};
const Vector3 kDefaultFocus{0.0f, 0.0f, 0.0f};
const Vector3 kUp{0.0f, 1.0f, 0.0f};
}  // namespace

BaseScene::BaseScene() {
    FwResourceFactory& resources = FwResourceFactory::GetInstance();
    // First, so that every request of the derived scene's construction
    // carries this scene's mark.
    resourceMark_ = resources.BeginSceneBuild();
    bgm_ = resources.GetSound("BGM.wav", 0.05f, false);
    bgm_->MarkAsMusic();
}

// A scene discarded before it became current (a request replaced by a later
// one) may have started its music; the audio manager would keep a looping
// instance alive for ever, so stop it here.
BaseScene::~BaseScene() {
    if (bgm_ && bgm_->IsPlaying()) bgm_->Stop();
}

void BaseScene::SetCamera() {
    PublishCamera(MatrixLookAtLH(kDefaultEye, kDefaultFocus, kUp), DefaultProjection());
}

void BaseScene::Frame() {
    Update();
    FwDirect3D& d3d = FwDirect3D::GetInstance();
    d3d.ClearRenderTarget(d3d.GetBackBuffer().get(), 0.0f, 0.0f, 1.0f, 1.0f);
    d3d.ClearDepthStencil(d3d.GetZBuffer().get(), 1.0f, 0);
    SetCamera();
    Draw();
}

void BaseScene::FadeIn() {
    if (black_ && FadeStep(fadeAlpha_, false, fadeStep_)) black_ = false;
}

void BaseScene::FadeOut() {
    if (!black_ && FadeStep(fadeAlpha_, true, fadeStep_)) black_ = true;
}

void BaseScene::DrawFade() {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetSpriteWorld(Matrix::Identity());
    // Opaque black at the fade's alpha: the device's white texel tinted
    // black gives the very pixels a black image would, without decoding and
    // keeping a screen-sized image for it.
    const FwTexture* white = FwDirect3D::GetInstance().GetDefaultTexture().get();
    if (!white) return;
    const Vector4 color{0.0f, 0.0f, 0.0f, fadeAlpha_};
    shaders.DrawTex(white, 0.0f, 0.0f, kScreenWidth, kScreenHeight, nullptr, &color, Vector2{0.5f, 0.5f});
}
