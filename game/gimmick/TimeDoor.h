// A door held open for a limited time by its TimeButton, with a clock above
// it: while the button is on the hand winds back a full turn, then runs
// forward to zero as the countdown runs out, ticking (a second ticking sound
// in the last quarter) and ringing a bell at the end.
#pragma once

#include <array>
#include <memory>

#include "framework/math/FwMath.h"
#include "framework/render/FwBuffer.h"
#include "framework/render/FwShaderManager.h"
#include "game/gimmick/Door.h"

class FwModel;
class FwTexture;
class FwSoundInstance;
class TimeButton;

class TimeDoor {
public:
    static constexpr float kClockHeight = 8.5f;        // clock centre above the door position
    static constexpr float kHandForward = 0.45f;       // hand in front of the clock face (door's -z)
    static constexpr float kHandEndAngle = 0.0f;       // the hand stops here and the bell rings
    static constexpr float kHandWindBackAngle = -360.0f;
    static constexpr float kWindStep = 10.0f;          // degrees per frame while winding back
    static constexpr float kLastQuarterAngle = -90.0f; // second ticking sound from here
    static constexpr float kClockVolume = 1.0f;
    static constexpr int kHandVertexCount = 4;

    // Time-door group constructor: position of the door, angle in degrees.
    // Creates the hand quad's vertex buffer once (fails harmlessly without a
    // graphics device; the hand is then not drawn).
    TimeDoor(const Vector3& position, float angleDegrees);
    // Stops the ticking sounds and the bell: they were started with
    // keep-alive and would outlive the stage otherwise.
    ~TimeDoor();
    TimeDoor(const TimeDoor&) = delete;
    TimeDoor& operator=(const TimeDoor&) = delete;

    // Time-door group, each frame after its button: open is the button's
    // IsOn, remainingFrames its GetRemainingFrames. Moves the panel, then
    // the clock (the hand drawn this frame shows the angle before the step).
    void Update(bool open, int remainingFrames);
    // Game scene 3D pass (model shader): frame, clock, panel.
    void Draw() const;
    // Game scene, after the gimmick models with the effect shader selected:
    // the hand quad at the hand world. Sets no shader or blend state.
    void DrawClockHands() const;

    // Game scene rays: the panel, as for a NomalDoor.
    FwModel* GetPanelModel() const { return panel_.GetPanelModel(); }
    const Matrix& GetPanelWorld() const { return panel_.GetPanelWorld(); }
    const Vector3& GetPanelPosition() const { return panel_.GetPanelPosition(); }
    float GetPanelY() const { return panel_.GetPanelPosition().y; }
    float GetPanelOffset() const { return panel_.GetPanelOffset(); }
    const DoorPanel& GetPanel() const { return panel_; }
    bool IsOpen() const { return open_; }

    // Trace and tests: the clock.
    float GetHandAngle() const { return handAngle_; }
    float GetHandStep() const { return handStep_; }
    bool IsTicking() const { return ticking_; }
    const Matrix& GetHandWorld() const { return handWorld_; }
    const Vector3& GetClockPosition() const { return clockPosition_; }
    const Matrix& GetClockWorld() const { return clockWorld_; }
    // Tests: the hand quad in its own space and its GPU copy.
    static const std::array<FwEffectVertex, kHandVertexCount>& HandVertices();
    const FwBuffer& GetHandBuffer() const { return handBuffer_; }

private:
    void UpdateClock(bool open, int remainingFrames);

    DoorPanel panel_;
    Vector3 clockPosition_;
    Matrix clockWorld_;
    FwModel* clockModel_ = nullptr;
    bool open_ = false;
    bool ticking_ = false;
    FwBuffer handBuffer_;
    FwTexture* handTexture_ = nullptr;
    Matrix handOffset_;
    Matrix handRotation_;
    Matrix handWorld_;
    float handAngle_ = 0.0f;
    float handStep_ = 0.0f;
    std::shared_ptr<FwSoundInstance> tickingSound1_;
    std::shared_ptr<FwSoundInstance> tickingSound2_;
    std::shared_ptr<FwSoundInstance> bellSound_;
};

// A time button and its time door.
class Gimmick_TimeDoor {
public:
    // Game scene, from a time-door record: countdown length in frames.
    Gimmick_TimeDoor(const Vector3& buttonPosition, const Vector3& doorPosition, float doorAngleDegrees,
                     int durationFrames);

    // Game scene, each frame after its press test: button, then door with the
    // button's IsOn and remaining frames.
    void Update(bool pressed);
    // Game scene 3D pass: button, then door.
    void Draw() const;
    // Game scene, with the effect shader selected: the door's clock hand.
    void DrawClockHands() const;

    const std::shared_ptr<TimeButton>& GetButton() const { return button_; }
    const std::shared_ptr<TimeDoor>& GetDoor() const { return door_; }

private:
    std::shared_ptr<TimeButton> button_;
    std::shared_ptr<TimeDoor> door_;
};
