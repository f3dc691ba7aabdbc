#include "app/TitleScene.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "scene/CameraUtil.h"
#include "scene/KeyLatch.h"
#include "scene/SceneManager.h"
#include "framework/audio/FwAudio.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/OptionsScreen.h"

namespace {
const Vector3 kOrbitFocus{0.0f, 2.5f, 0.0f};
constexpr float kOrbitRadius = 2.3f;
constexpr float kOrbitHeight = 2.5f;
constexpr float kOrbitDegreesPerFrame = 1.0f;
constexpr float kSquashStep = 0.05f;
constexpr int kFirstStage = 1;

void DrawCentredSprite(const FwTexture* texture, const Matrix& world, float width, float height) {
    if (!texture) return;
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetSpriteWorld(world);
    const FwRect src{0.0f, 0.0f, width, height};
    const Vector4 white{1.0f, 1.0f, 1.0f, 1.0f};
    shaders.DrawTex(texture, 0.0f, 0.0f, width, height, &src, &white, Vector2{0.5f, 0.5f});
}
}  // namespace

TitleScene::TitleScene()
    : logoTransform_(MatrixTranslation(0.0f, 200.0f, 0.0f)), clickTransform_(MatrixTranslation(0.0f, -200.0f, 0.0f)) {
    // The game scene hides the cursor; coming back here always shows it.
    FwGetPlatform().ShowCursor(true);

    FwResourceFactory& resources = FwResourceFactory::GetInstance();
    roomModel_ = resources.GetModel("TitleScene/TitleRoom.gltf");
    logoTexture_ = resources.GetTexture("TitleScene/Logo.png");
    clickTexture_ = resources.GetTexture("TitleScene/Logo_Click.png");
    confirmSound_ = resources.GetSound("Determination.wav", 0.5f, false);

    // This lighting stays in force for the scenes that follow until one of
    // them sets its own.
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetAmbientLight(Vector3{0.3f, 0.3f, 0.3f});
    shaders.SetDirectionalLightDir(Normalize(Vector3{1.0f, -1.0f, 0.0f}));
    shaders.SetDirectionalLightColor(Vector3{3.0f, 3.0f, 3.0f});
    shaders.UpdateLight();

    if (bgm_ && !bgm_->IsPlaying()) bgm_->Play(true, true);
    options_ = std::make_unique<OptionsScreen>();
}

// The music was stopped when the game scene was requested; a title discarded
// while still pending has its music stopped by the base part.
TitleScene::~TitleScene() = default;

void TitleScene::Update() {
    FadeIn();
    OrbitCamera();
    if (UpdateOptions()) return;
    if (FwGetPlatform().IsGameWindowActive()) DetectClick();
    if (clicked_) AnimateLeave();
}

void TitleScene::OrbitCamera() {
    const float a = cameraAngle_ * kDegToRad;
    cameraPos_ = Vector3{-kOrbitRadius * std::sin(a), kOrbitHeight, -kOrbitRadius * std::cos(a)};
    cameraAngle_ += kOrbitDegreesPerFrame;
}

// The latch slot is shared with the hook gun, so a button still held from
// the game does not count until it has been released once.
void TitleScene::DetectClick() {
    KeyLatch& latch = KeyLatch::GetInstance();
    if (FwIsKeyDown(FwKey::LButton) && !clicked_) {
        if (!latch.Get(KeyLatch::kLeftButton)) {
            if (confirmSound_) confirmSound_->Play(false, true);
            stageToStart_ = kFirstStage;
            clicked_ = true;
            latch.Set(KeyLatch::kLeftButton, true);
        }
    } else {
        latch.Set(KeyLatch::kLeftButton, false);
    }
}

// Tab or a click on the OPTIONS button opens the options; Tab or their BACK
// button closes them. True while they are open (or were this frame). Once
// the game is starting they no longer open.
bool TitleScene::UpdateOptions() {
    const bool toggled = options_->TogglePressed();
    KeyLatch& latch = KeyLatch::GetInstance();
    if (options_->IsOpen()) {
        if (toggled) {
            options_->Close();
        } else {
            options_->Update();
        }
        // The click on BACK is not a click that starts the game.
        if (!options_->IsOpen() && FwIsKeyDown(FwKey::LButton)) latch.Set(KeyLatch::kLeftButton, true);
        return true;
    }
    optionsHovered_ = !clicked_ && CursorOverOptionsTitleButton();
    if (clicked_ || !FwGetPlatform().IsGameWindowActive()) return false;
    const bool buttonClicked = optionsHovered_ && FwIsKeyDown(FwKey::LButton) && !latch.Get(KeyLatch::kLeftButton);
    if (!toggled && !buttonClicked) return false;
    if (buttonClicked) latch.Set(KeyLatch::kLeftButton, true);
    if (confirmSound_ && buttonClicked) confirmSound_->Play(false, true);
    options_->Open(false);
    return true;
}

void TitleScene::AnimateLeave() {
    squash_ -= kSquashStep;
    clickTransform_.m[3][1] -= squash_;
    clickTransform_ = MatrixScaling(1.0f, squash_, 1.0f) * clickTransform_;
    if (squash_ > 0.0f) return;

    FadeOut();
    if (!black_) return;
    if (bgm_ && bgm_->IsPlaying()) bgm_->Stop();
    SceneManager::GetInstance().Request(SceneRequest::Game(stageToStart_));
}

void TitleScene::SetCamera() {
    PublishCamera(MatrixLookAtLH(cameraPos_, kOrbitFocus, Vector3{0.0f, 1.0f, 0.0f}), DefaultProjection());
}

void TitleScene::Draw() {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetModelShader();
    shaders.SetWorldMatrix(Matrix::Identity());
    shaders.DrawModel(roomModel_);

    shaders.Begin(false, true);
    if (options_->IsOpen()) {
        // The card takes the place of the logo and the prompt.
        DrawFade();
        options_->Draw2D();
    } else {
        DrawCentredSprite(logoTexture_, logoTransform_, 945.0f, 98.0f);
        DrawCentredSprite(clickTexture_, clickTransform_, 263.0f, 64.0f);
        if (!clicked_) DrawOptionsTitleButton(optionsHovered_);
        DrawFade();
    }
    shaders.End();
}

void TitleScene::AppendTrace(nlohmann::json& frame) const {
    frame["clicked"] = clicked_;
    frame["squash"] = squash_;
    frame["camera"] = {cameraPos_.x, cameraPos_.y, cameraPos_.z};
    frame["clickY"] = clickTransform_.m[3][1];
    options_->AppendTrace(frame);
}
