// Floor buttons pressed by the player's feet or by a box. Three kinds share a
// sinking top and differ in what happens when the weight leaves:
//   PushingButton  sinks while pressed, never rises; on for good once down.
//   ReturnButton   sinks while pressed, rises when released; on only while down.
//   TimeButton     a press starts a countdown; down and on until it runs out,
//                  whatever lies on it, then rises and waits at rest.
// A button never looks at the world: the game scene computes the press flag
// each frame and reads the top (position, world, off model) for its rays.
#pragma once

#include <memory>

#include "framework/math/FwMath.h"

class FwModel;
class FwSoundInstance;

// State and drawing shared by the three kinds; not used on its own.
class ButtonBase {
public:
    static constexpr float kStep = 0.02f;          // top movement per frame
    static constexpr float kPressDepth = -0.3f;    // top offset when fully down
    static constexpr float kRestOffset = 0.0f;     // top offset when fully up
    static constexpr float kSoundVolume = 0.2f;

    // Game scene 3D pass: the frame, then the top (on or off model).
    void Draw() const;

    bool IsOn() const { return on_; }
    // Game scene press test and laser activation: centre of the moving top.
    const Vector3& GetTopPosition() const { return topPosition_; }
    // Game scene box-fall ray: the top as a collision surface.
    const Matrix& GetTopWorld() const { return topWorld_; }
    // Game scene box-fall ray: the top's shape, whatever the button shows.
    FwModel* GetOffModel() const { return offModel_; }
    const Vector3& GetBasePosition() const { return basePosition_; }
    float GetTopY() const { return topPosition_.y; }
    // Top height above the base: 0 at rest, kPressDepth when fully down.
    float GetTopOffset() const { return topPosition_.y - baseY_; }

protected:
    explicit ButtonBase(const Vector3& position);
    ~ButtonBase() = default;

    bool IsAboveDepth() const { return GetTopOffset() > kPressDepth; }
    bool IsBelowRest() const { return GetTopOffset() < kRestOffset; }
    // One step down: the press sound on the first step of a descent; on
    // once the press depth is reached.
    void StepDown();
    // One step up: the press sound on the first step of a rise. No clamp:
    // the last step may end up to one step above the rest height.
    void StepUp();

    bool on_ = false;

private:
    void MoveTop(float dy);

    Vector3 topPosition_;
    Vector3 basePosition_;
    Matrix topWorld_;
    Matrix frameWorld_;
    FwModel* offModel_ = nullptr;
    FwModel* onModel_ = nullptr;
    FwModel* frameModel_ = nullptr;
    float baseY_ = 0.0f;
    bool soundLatch_ = false;
    std::shared_ptr<FwSoundInstance> pressSound_;
};

class PushingButton : public ButtonBase {
public:
    // Game scene, while building the stage: position of the base.
    explicit PushingButton(const Vector3& position);
    // Group update, each frame: sinks one step while pressed and not yet down.
    void Update(bool pressed);
};

class ReturnButton : public ButtonBase {
public:
    // Game scene, while building the stage (door and laser groups).
    explicit ReturnButton(const Vector3& position);
    // Group update, each frame: sinks while pressed, rises and is off while
    // released.
    void Update(bool pressed);
};

class TimeButton : public ButtonBase {
public:
    // Time-door group constructor: durationFrames is the countdown length.
    TimeButton(const Vector3& position, int durationFrames);
    // Time-door group, each frame: a press at rest starts the countdown in
    // the next frame; presses are ignored until the top is back at rest.
    void Update(bool pressed);

    // Time door, each frame: frames left of the countdown (0 when idle).
    int GetRemainingFrames() const { return remainingFrames_; }
    bool IsActive() const { return active_; }
    int GetDuration() const { return duration_; }

private:
    bool active_ = false;
    int remainingFrames_ = 0;
    int duration_ = 0;
};
