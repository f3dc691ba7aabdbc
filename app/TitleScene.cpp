#include "app/TitleScene.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <nlohmann/json.hpp>

#include "app/CursorOverRect.h"
#include "scene/CameraUtil.h"
#include "scene/KeyLatch.h"
#include "scene/SceneManager.h"
#include "framework/audio/FwAudio.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/StageFile.h"
#include "game/profile/Profile.h"
#include "game/OptionsScreen.h"

namespace {
const Vector3 kOrbitFocus{0.0f, 2.5f, 0.0f};
constexpr float kOrbitRadius = 2.3f;
constexpr float kOrbitHeight = 2.5f;
constexpr float kOrbitDegreesPerFrame = 1.0f;
constexpr float kSquashStep = 0.05f;
constexpr int kFirstStage = 1;
const Vector4 kWhite{1.0f, 1.0f, 1.0f, 1.0f};
// As the clear scene's menu: hovered buttons turn cyan.
const Vector4 kHoverTint{0.0f, 1.0f, 1.0f, 1.0f};
constexpr float kMenuSoundVolume = 0.5f;

void DrawCentredSprite(const FwTexture* texture, const Matrix& world, float width, float height) {
    if (!texture) return;
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetSpriteWorld(world);
    const FwRect src{0.0f, 0.0f, width, height};
    const Vector4 white{1.0f, 1.0f, 1.0f, 1.0f};
    shaders.DrawTex(texture, 0.0f, 0.0f, width, height, &src, &white, Vector2{0.5f, 0.5f});
}
}  // namespace

std::vector<TitleScene::StageButton> TitleScene::LayOutStageButtons(const std::vector<int>& stages) {
    const int count = static_cast<int>(stages.size());
    const int rows = (count + kStageButtonsPerRow - 1) / kStageButtonsPerRow;
    const float scale =
        rows > kStageButtonRowsAtFullSize ? static_cast<float>(kStageButtonRowsAtFullSize) / rows : 1.0f;
    const float topRowY = kStageButtonsBottom + scale * (kStageButtonSize.y / 2.0f + (rows - 1) * kStageButtonPitchY);
    std::vector<StageButton> buttons;
    for (int i = 0; i < count; ++i) {
        const int row = i / kStageButtonsPerRow;
        const int inRow = std::min(kStageButtonsPerRow, count - row * kStageButtonsPerRow);
        const float column = static_cast<float>(i % kStageButtonsPerRow) - (inRow - 1) / 2.0f;
        const Vector3 centre{column * kStageButtonPitchX * scale, topRowY - row * kStageButtonPitchY * scale, 0.0f};
        buttons.push_back({stages[i], centre, scale});
    }
    return buttons;
}

TitleScene::TitleScene()
    : logoTransform_(MatrixTranslation(0.0f, 200.0f, 0.0f)), clickTransform_(MatrixTranslation(0.0f, -200.0f, 0.0f)) {
    // The game scene hides the cursor; coming back here always shows it.
    FwGetPlatform().ShowCursor(true);

    FwResourceFactory& resources = FwResourceFactory::GetInstance();
    roomModel_ = resources.GetModel("TitleScene/TitleRoom.gltf");
    logoTexture_ = resources.GetTexture("TitleScene/Logo.png");
    clickTexture_ = resources.GetTexture("TitleScene/Logo_Click.png");
    confirmSound_ = resources.GetSound("Determination.wav", 0.5f, false);

    offered_ = Profile::Active().CurrentProgress().OfferedStages(StageCount());
    if (offered_.size() > 1) {
        stageButtons_ = LayOutStageButtons(offered_);
        stageButtonTexture_ = resources.GetTexture("TitleScene/StageButton.png");
        stageDigitTexture_ = resources.GetTexture("TitleScene/StageDigits.png");
        cursorSound_ = resources.GetSound("Cursor.wav", kMenuSoundVolume, false);
    }

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
    if (FwGetPlatform().IsGameWindowActive()) {
        UpdateHoverSound();
        DetectClick();
    }
    if (clicked_) AnimateLeave();
}

int TitleScene::HoveredStage() const {
    for (const StageButton& button : stageButtons_)
        if (CursorOverRect(button.centre, kStageButtonSize.x * button.scale, kStageButtonSize.y * button.scale))
            return button.stage;
    return 0;
}

// As in the clear scene's menu: the cursor sound once when the cursor comes
// onto a button, again only after it was over none.
void TitleScene::UpdateHoverSound() {
    if (stageButtons_.empty() || clicked_) return;
    if (HoveredStage() == 0) {
        hoverSoundPlayed_ = false;
    } else if (!hoverSoundPlayed_) {
        if (cursorSound_) cursorSound_->Play(false, true);
        hoverSoundPlayed_ = true;
    }
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
            const int hovered = HoveredStage();
            stageToStart_ = hovered != 0 ? hovered : kFirstStage;
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
        DrawStageButtons();
        if (!clicked_) DrawOptionsTitleButton(optionsHovered_);
        DrawFade();
    }
    shaders.End();
}

// The chosen button stays lit while the title leaves.
void TitleScene::DrawStageButtons() const {
    if (stageButtons_.empty()) return;
    const int lit = clicked_ ? stageToStart_ : HoveredStage();
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    for (const StageButton& button : stageButtons_) {
        const Vector4& colour = button.stage == lit ? kHoverTint : kWhite;
        const float s = button.scale;
        if (stageButtonTexture_) {
            shaders.SetSpriteWorld(MatrixTranslation(button.centre.x, button.centre.y, 0.0f));
            const FwRect src{0.0f, 0.0f, kStageButtonSize.x, kStageButtonSize.y};
            shaders.DrawTex(stageButtonTexture_, 0.0f, 0.0f, kStageButtonSize.x * s, kStageButtonSize.y * s, &src,
                            &colour, Vector2{0.5f, 0.5f});
        }
        if (!stageDigitTexture_) continue;
        const std::string number = std::to_string(button.stage);
        float x = button.centre.x - (number.size() - 1) * kStageDigitAdvance * s / 2.0f;
        for (char digit : number) {
            shaders.SetSpriteWorld(MatrixTranslation(x, button.centre.y + kStageDigitY * s, 0.0f));
            const FwRect src{(digit - '0') * kStageDigitCell.x, 0.0f, kStageDigitCell.x, kStageDigitCell.y};
            shaders.DrawTex(stageDigitTexture_, 0.0f, 0.0f, kStageDigitCell.x * s, kStageDigitCell.y * s, &src,
                            &colour, Vector2{0.5f, 0.5f});
            x += kStageDigitAdvance * s;
        }
    }
}

void TitleScene::AppendTrace(nlohmann::json& frame) const {
    frame["clicked"] = clicked_;
    frame["squash"] = squash_;
    frame["camera"] = {cameraPos_.x, cameraPos_.y, cameraPos_.z};
    frame["clickY"] = clickTransform_.m[3][1];
    frame["stages"] = offered_;
    options_->AppendTrace(frame);
}
