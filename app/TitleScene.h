// The first scene: a small room seen by a camera circling its centre, the
// title logo, a click prompt and an OPTIONS button. A left click anywhere but
// on that button plays the confirm sound, squashes the prompt away, fades to
// black and starts stage 1.
//
// Once the player has cleared a stage, the title also offers the stages
// cleared so far and the next one (the profile's progress) as a row of small
// stage buttons above the prompt: a click on one starts that stage, a click
// anywhere else (but OPTIONS) still starts stage 1. With only stage 1 to
// offer there are no stage buttons.
#pragma once

#include <memory>
#include <vector>

#include "scene/BaseScene.h"
#include "framework/math/FwMath.h"

class FwModel;
class FwSoundInstance;
class FwTexture;
class OptionsScreen;

class TitleScene : public BaseScene {
public:
    // The stage buttons (sprite coordinates; sizes as TitleScene/StageButton.png
    // and the cells of TitleScene/StageDigits.png hold them). Rows of up to
    // kStageButtonsPerRow, stage 1 at the top left, the lowest row's bottom
    // edge at kStageButtonsBottom; more rows than kStageButtonRowsAtFullSize
    // shrink every button so they stay between the logo and the prompt.
    static constexpr Vector2 kStageButtonSize{88.0f, 76.0f};
    static constexpr float kStageButtonPitchX = 100.0f;
    static constexpr float kStageButtonPitchY = 86.0f;
    static constexpr int kStageButtonsPerRow = 10;
    static constexpr int kStageButtonRowsAtFullSize = 3;
    static constexpr float kStageButtonsBottom = -133.0f;
    static constexpr Vector2 kStageDigitCell{30.0f, 40.0f};
    static constexpr float kStageDigitAdvance = 24.0f;
    static constexpr float kStageDigitY = -10.0f;  // below the button's centre, under its STAGE caption

    struct StageButton {
        int stage = 0;
        Vector3 centre;
        float scale = 1.0f;  // of kStageButtonSize
    };
    // Where the buttons of these stages go (pure, for tests).
    static std::vector<StageButton> LayOutStageButtons(const std::vector<int>& stages);

    // Frame loop at start-up, clear scene's title choice, game scene's P key.
    TitleScene();
    ~TitleScene() override;
    // Frame, once per frame: fade-in, camera orbit, click and leave animation.
    void Update() override;
    // Frame: the room, then the logo, the prompt and the fade as sprites.
    void Draw() override;
    // Frame: the orbiting camera looking at the room's centre.
    void SetCamera() override;

    const char* KindName() const override { return "title"; }
    void AppendTrace(nlohmann::json& frame) const override;

    // Tests and trace: state read back after a frame.
    const Vector3& CameraPosition() const { return cameraPos_; }
    const Matrix& ClickTransform() const { return clickTransform_; }
    bool IsClicked() const { return clicked_; }
    int StageToStart() const { return stageToStart_; }
    // The stages offered (1 and, once cleared, more); buttons only when
    // that is more than stage 1.
    const std::vector<int>& OfferedStages() const { return offered_; }
    const std::vector<StageButton>& StageButtons() const { return stageButtons_; }

private:
    void OrbitCamera();
    void DetectClick();
    void AnimateLeave();
    // The stage of the button under the cursor, or 0.
    int HoveredStage() const;
    void UpdateHoverSound();
    void DrawStageButtons() const;
    bool UpdateOptions();

    int stageToStart_ = -1;
    FwModel* roomModel_ = nullptr;
    Vector3 cameraPos_{0.0f, 0.0f, 0.0f};
    float cameraAngle_ = 0.0f;  // degrees, never wrapped
    FwTexture* logoTexture_ = nullptr;
    FwTexture* clickTexture_ = nullptr;
    Matrix logoTransform_;
    Matrix clickTransform_;
    float squash_ = 1.0f;
    bool clicked_ = false;
    std::shared_ptr<FwSoundInstance> confirmSound_;
    std::vector<int> offered_;
    std::vector<StageButton> stageButtons_;
    FwTexture* stageButtonTexture_ = nullptr;
    FwTexture* stageDigitTexture_ = nullptr;
    std::shared_ptr<FwSoundInstance> cursorSound_;
    bool hoverSoundPlayed_ = false;
    // The OPTIONS button beside the prompt (or Tab) opens it; while it is
    // open a click does not start the game.
    std::unique_ptr<OptionsScreen> options_;
    bool optionsHovered_ = false;
};
