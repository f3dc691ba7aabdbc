// The scene after a cleared stage: a small room seen by a camera circling
// its centre, the game-clear logo and the stage-select menu. Once a choice is
// made the scene fades to black and starts the next stage, the same stage
// again, or the title.
#pragma once

#include <memory>

#include "scene/BaseScene.h"
#include "scene/SceneManager.h"
#include "framework/math/FwMath.h"

class FwModel;
class FwTexture;
class StageSelect;

class ClearScene : public BaseScene {
public:
    static constexpr float kOrbitRadius = 2.3f;
    static constexpr float kOrbitHeight = 2.5f;
    static constexpr float kOrbitDegreesPerFrame = 1.0f;
    // A thousand whole turns: the orbit angle drops them once it reaches them.
    static constexpr float kOrbitWrapDegrees = 360000.0f;
    static constexpr float kLogoWidth = 807.0f;
    static constexpr float kLogoHeight = 117.0f;
    static constexpr float kLogoY = 250.0f;

    // Game scene, when its stage is cleared: clearedStage is that stage's
    // number. Shows the cursor, sets the scene lighting, starts the music.
    explicit ClearScene(int clearedStage);
    // SceneManager, on the switch: stops the music.
    ~ClearScene() override;

    // Frame, once per frame: fade-in, camera orbit, menu, and after a choice
    // the fade-out that ends in the next scene.
    void Update() override;
    // Frame: the room, then the logo, the menu and the fade as sprites.
    void Draw() override;
    // Frame: the orbiting camera looking at the room's centre.
    void SetCamera() override;

    const char* KindName() const override { return "clear"; }
    int StageNumber() const override { return clearedStage_; }
    // Harness trace: adds "menu" (choice, accepting, button centres).
    void AppendTrace(nlohmann::json& frame) const override;

    // Tests: state read back after a frame.
    const Vector3& CameraPosition() const { return cameraPos_; }
    const StageSelect& Menu() const { return *menu_; }
    // The orbit angle after one more frame, in degrees.
    static float NextOrbitAngle(float degrees);

private:
    void OrbitCamera();
    void Leave();
    // The scene the decided choice leads to, made with new.
    SceneRequest NextScene() const;

    std::shared_ptr<StageSelect> menu_;
    float cameraAngle_ = 0.0f;  // degrees, see NextOrbitAngle
    Vector3 cameraPos_{0.0f, 0.0f, 0.0f};
    FwModel* roomModel_ = nullptr;
    int clearedStage_ = 0;
    FwTexture* logoTexture_ = nullptr;
    Matrix logoTransform_;
};
