// The scene after a cleared stage: a small room seen by a camera circling
// its centre, the game-clear logo, the clear time with the best one and the
// stage-select menu. Once a choice is made the scene fades to black and
// starts the next stage, the same stage again, or the title.
#pragma once

#include <memory>
#include <optional>
#include <string>

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

    // The clear time card between the logo and the menu (sprite coordinates,
    // sizes as ClearScene/*.png holds them): a row for this run's time, a row
    // for the best, and the NEW BEST stamp beside the first row.
    static constexpr float kPanelY = 35.0f;
    static constexpr Vector2 kPanelSize{600.0f, 180.0f};
    static constexpr float kTimeRowY = 77.0f;
    static constexpr float kBestRowY = -7.0f;
    static constexpr float kLabelX = -205.0f;
    static constexpr Vector2 kLabelSize{150.0f, 56.0f};
    // Times end here, so the two rows' digits line up on the right.
    static constexpr float kTimeRightX = 110.0f;
    // Room for the widest time; longer ones (a hundred minutes and more)
    // are drawn narrower to fit.
    static constexpr float kTimeMaxWidth = 240.0f;
    static constexpr Vector2 kGlyphCell{48.0f, 64.0f};  // TimeDigits.png: "0123456789:."
    static constexpr float kDigitAdvance = 36.0f;
    static constexpr float kPunctuationAdvance = 18.0f;
    static constexpr float kNewBestX = 205.0f;
    static constexpr Vector2 kNewBestSize{180.0f, 60.0f};

    // Game scene, when its stage is cleared: clearedStage is that stage's
    // number and time the clear time (without one, as in some tests, no time
    // card is shown). Shows the cursor, sets the scene lighting, starts the
    // music.
    explicit ClearScene(int clearedStage, std::optional<ClearTime> time = std::nullopt);
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
    // Harness trace: adds "menu" (choice, accepting, button centres) and,
    // with a clear time, "time" (frames, best, newBest).
    void AppendTrace(nlohmann::json& frame) const override;

    // Tests: state read back after a frame.
    const Vector3& CameraPosition() const { return cameraPos_; }
    const StageSelect& Menu() const { return *menu_; }
    const std::optional<ClearTime>& Time() const { return time_; }
    // The orbit angle after one more frame, in degrees.
    static float NextOrbitAngle(float degrees);

private:
    void OrbitCamera();
    void Leave();
    // The scene the decided choice leads to, made with new.
    SceneRequest NextScene() const;
    void DrawTimeCard() const;
    // One row's m:ss.cc from the glyph strip, ending at kTimeRightX.
    void DrawTime(const std::string& text, float y) const;

    std::shared_ptr<StageSelect> menu_;
    float cameraAngle_ = 0.0f;  // degrees, see NextOrbitAngle
    Vector3 cameraPos_{0.0f, 0.0f, 0.0f};
    FwModel* roomModel_ = nullptr;
    int clearedStage_ = 0;
    FwTexture* logoTexture_ = nullptr;
    Matrix logoTransform_;
    std::optional<ClearTime> time_;
    FwTexture* panelTexture_ = nullptr;
    FwTexture* timeLabelTexture_ = nullptr;
    FwTexture* bestLabelTexture_ = nullptr;
    FwTexture* glyphTexture_ = nullptr;
    FwTexture* newBestTexture_ = nullptr;
};
