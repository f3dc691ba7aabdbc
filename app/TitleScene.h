// The first scene: a small room seen by a camera circling its centre, the
// title logo, a click prompt and an OPTIONS button. A left click anywhere but
// on that button plays the confirm sound, squashes the prompt away, fades to
// black and starts stage 1.
#pragma once

#include <memory>

#include "scene/BaseScene.h"
#include "framework/math/FwMath.h"

class FwModel;
class FwSoundInstance;
class FwTexture;
class OptionsScreen;

class TitleScene : public BaseScene {
public:
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

private:
    void OrbitCamera();
    void DetectClick();
    void AnimateLeave();
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
    // The OPTIONS button beside the prompt (or Tab) opens it; while it is
    // open a click does not start the game.
    std::unique_ptr<OptionsScreen> options_;
    bool optionsHovered_ = false;
};
