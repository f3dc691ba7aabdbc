#include "app/ClearScene.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "scene/CameraUtil.h"
#include "scene/SceneManager.h"
#include "app/ScreenSprite.h"
#include "app/StageSelect.h"
#include "framework/audio/FwAudio.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/StageFile.h"
#include "game/profile/Progress.h"

namespace {
const Vector3 kOrbitFocus{0.0f, 2.5f, 0.0f};
const Vector3 kUp{0.0f, 1.0f, 0.0f};
// The title's lighting, set again here in case a game scene changed it.
const Vector3 kAmbientLight{0.3f, 0.3f, 0.3f};
const Vector3 kLightDirection{1.0f, -1.0f, 0.0f};
const Vector3 kLightColor{3.0f, 3.0f, 3.0f};
// The glyph strip's order.
constexpr int kColonCell = 10;
constexpr int kDotCell = 11;

int GlyphCell(char c) { return c == ':' ? kColonCell : c == '.' ? kDotCell : c - '0'; }
float GlyphAdvance(char c) {
    return c == ':' || c == '.' ? ClearScene::kPunctuationAdvance : ClearScene::kDigitAdvance;
}
}  // namespace

ClearScene::ClearScene(int clearedStage, std::optional<ClearTime> time)
    : clearedStage_(clearedStage), logoTransform_(MatrixTranslation(0.0f, kLogoY, 0.0f)), time_(time) {
    // The game scene hid the cursor (relative mouse mode); the menu needs it.
    FwGetPlatform().ShowCursor(true);

    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetAmbientLight(kAmbientLight);
    shaders.SetDirectionalLightDir(Normalize(kLightDirection));
    shaders.SetDirectionalLightColor(kLightColor);
    shaders.UpdateLight();

    FwResourceFactory& resources = FwResourceFactory::GetInstance();
    logoTexture_ = resources.GetTexture("ClearScene/GameClearLogo.png");
    roomModel_ = resources.GetModel("ClearScene/ClearRoom.gltf");
    if (time_) {
        panelTexture_ = resources.GetTexture("ClearScene/TimePanel.png");
        timeLabelTexture_ = resources.GetTexture("ClearScene/TimeLabel.png");
        bestLabelTexture_ = resources.GetTexture("ClearScene/BestLabel.png");
        glyphTexture_ = resources.GetTexture("ClearScene/TimeDigits.png");
        if (time_->newBest) newBestTexture_ = resources.GetTexture("ClearScene/NewBest.png");
    }
    // Every stage but the content's last offers the next one.
    menu_ = std::make_shared<StageSelect>(clearedStage_ < StageCount());

    if (!bgm_->IsPlaying()) bgm_->Play(true, true);
}

ClearScene::~ClearScene() {
    if (bgm_->IsPlaying()) bgm_->Stop();
}

void ClearScene::Update() {
    FadeIn();
    OrbitCamera();
    menu_->Update();
    if (!menu_->IsAccepting()) Leave();
}

// Unlike the title, the angle advances before the position is taken.
void ClearScene::OrbitCamera() {
    cameraAngle_ = NextOrbitAngle(cameraAngle_);
    const float a = cameraAngle_ * kDegToRad;
    cameraPos_ = Vector3{-kOrbitRadius * std::sin(a), kOrbitHeight, -kOrbitRadius * std::cos(a)};
}

// Whole degrees stay exact in a float only up to 2^24: a menu left open for
// days would slow and then stop. A thousand whole turns are dropped once the
// angle reaches them; every angle before is the one it always was, and the
// ones after repeat them exactly.
float ClearScene::NextOrbitAngle(float degrees) {
    degrees += kOrbitDegreesPerFrame;
    if (degrees >= kOrbitWrapDegrees) degrees -= kOrbitWrapDegrees;
    return degrees;
}

// Every change waits for a full fade to black. A choice made while the scene
// is still fading in turns the fade around where it stands instead of
// switching at once over a half-visible screen.
void ClearScene::Leave() {
    if (black_ && fadeAlpha_ < 1.0f) black_ = false;
    FadeOut();
    if (!black_) return;
    SceneManager::GetInstance().Request(NextScene());
}

SceneRequest ClearScene::NextScene() const {
    switch (menu_->GetChoice()) {
    case StageSelect::kNextStage:
        if (clearedStage_ < StageCount()) return SceneRequest::Game(clearedStage_ + 1);
        return SceneRequest::Title();
    case StageSelect::kPlayAgain:
        return SceneRequest::Game(clearedStage_);
    default:
        return SceneRequest::Title();
    }
}

void ClearScene::SetCamera() {
    PublishCamera(MatrixLookAtLH(cameraPos_, kOrbitFocus, kUp), DefaultProjection());
}

void ClearScene::Draw() {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetModelShader();
    shaders.SetWorldMatrix(Matrix::Identity());
    shaders.DrawModel(roomModel_);

    shaders.Begin(false, true);
    DrawCentredSprite(logoTexture_, logoTransform_, kLogoWidth, kLogoHeight);
    if (time_) DrawTimeCard();
    menu_->Draw2D();
    DrawFade();
    shaders.End();
}

void ClearScene::DrawTimeCard() const {
    DrawCentredSprite(panelTexture_, MatrixTranslation(0.0f, kPanelY, 0.0f), kPanelSize.x, kPanelSize.y);
    DrawCentredSprite(timeLabelTexture_, MatrixTranslation(kLabelX, kTimeRowY, 0.0f), kLabelSize.x, kLabelSize.y);
    DrawCentredSprite(bestLabelTexture_, MatrixTranslation(kLabelX, kBestRowY, 0.0f), kLabelSize.x, kLabelSize.y);
    DrawTime(FormatClearTime(time_->frames), kTimeRowY);
    DrawTime(FormatClearTime(time_->best), kBestRowY);
    if (time_->newBest)
        DrawCentredSprite(newBestTexture_, MatrixTranslation(kNewBestX, kTimeRowY, 0.0f), kNewBestSize.x,
                          kNewBestSize.y);
}

void ClearScene::DrawTime(const std::string& text, float y) const {
    if (!glyphTexture_) return;
    float width = 0.0f;
    for (char c : text) width += GlyphAdvance(c);
    const float scale = width > kTimeMaxWidth ? kTimeMaxWidth / width : 1.0f;
    // Whole pixels at full size, so the glyphs stay as sharp as drawn.
    float x = std::round(kTimeRightX - width * scale);
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    const Vector4 white{1.0f, 1.0f, 1.0f, 1.0f};
    for (char c : text) {
        const float advance = GlyphAdvance(c) * scale;
        shaders.SetSpriteWorld(MatrixTranslation(x + advance / 2.0f, y, 0.0f));
        const FwRect src{GlyphCell(c) * kGlyphCell.x, 0.0f, kGlyphCell.x, kGlyphCell.y};
        shaders.DrawTex(glyphTexture_, 0.0f, 0.0f, kGlyphCell.x * scale, kGlyphCell.y * scale, &src, &white,
                        Vector2{0.5f, 0.5f});
        x += advance;
    }
}

void ClearScene::AppendTrace(nlohmann::json& frame) const {
    nlohmann::json buttons = nlohmann::json::array();
    for (int choice = StageSelect::kNextStage; choice < StageSelect::kButtonCount; ++choice) {
        if (!menu_->HasButton(choice)) continue;
        const Vector3& centre = menu_->ButtonCentre(choice);
        buttons.push_back({centre.x, centre.y});
    }
    frame["menu"] = {{"choice", menu_->GetChoice()}, {"accepting", menu_->IsAccepting()}, {"buttons", buttons}};
    if (time_) frame["time"] = {{"frames", time_->frames}, {"best", time_->best}, {"newBest", time_->newBest}};
}
