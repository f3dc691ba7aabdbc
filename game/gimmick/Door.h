// Sliding doors and the button-and-door groups that drive them.
//
// A door slides its panel up while its button is on and back down when it is
// off; a lamp above it shows the button's state. The groups pair one button
// with one door; the game scene computes the press flag and calls the group.
#pragma once

#include <memory>

#include "framework/math/FwMath.h"
#include "game/SceneQueries.h"

class FwModel;
class FwSoundInstance;
class PushingButton;
class ReturnButton;

// Rotation of a door (or laser) about the vertical axis, angle in degrees:
// rows (cos a, 0, -sin a), (0, 1, 0), (sin a, 0, cos a).
Matrix DoorRotation(float angleDegrees);

// The frame and the sliding panel shared by NomalDoor and TimeDoor. Every
// part's world is R x translation(part position), so a rotated door turns
// about its own position and its panel still slides straight up.
class DoorPanel {
public:
    static constexpr float kOpenTravel = 7.5f;    // panel rise when fully open
    static constexpr float kClosedOffset = 0.0f;  // panel offset when closed
    static constexpr float kStep = 0.5f;          // panel movement per frame
    static constexpr float kSoundVolume = 0.1f;
    // The panel model's size (Door.gltf): 9 wide, 8 high, 0.5 thick, its
    // origin in the middle of its lower edge.
    static constexpr float kHalfWidth = 4.5f;
    static constexpr float kHeight = 8.0f;
    static constexpr float kHalfThickness = 0.25f;

    // Door constructors: position of the door, angle in degrees.
    DoorPanel(const Vector3& position, float angleDegrees);

    // Door update, each frame: one step up while open is requested and the
    // panel is not fully up, one step down otherwise; the open sound on the
    // first step of an opening, the close sound on the first step after it.
    void Update(bool open);
    // Door Draw: the frame model at the frame world.
    void DrawFrame() const;
    // Door Draw: the panel model at the panel world.
    void DrawPanel() const;

    const Matrix& GetRotation() const { return rotation_; }
    const Vector3& GetPanelPosition() const { return panelPosition_; }
    const Matrix& GetPanelWorld() const { return panelWorld_; }
    FwModel* GetPanelModel() const { return panelModel_; }
    // Rise of the panel above its closed height.
    float GetPanelOffset() const { return panelPosition_.y - closedY_; }
    // Coming down: closing and not yet shut.
    bool IsClosing() const { return !moveLatch_ && GetPanelOffset() > kClosedOffset; }
    // The panel as the scene's shove query sees it.
    SceneClosingPanel ClosingPanel() const;

private:
    Matrix rotation_;
    Vector3 panelPosition_;
    Matrix panelWorld_;
    Matrix frameWorld_;
    FwModel* panelModel_ = nullptr;
    FwModel* frameModel_ = nullptr;
    float closedY_ = 0.0f;
    bool moveLatch_ = false;
    std::shared_ptr<FwSoundInstance> openSound_;
    std::shared_ptr<FwSoundInstance> closeSound_;
};

class NomalDoor {
public:
    static constexpr float kLampHeight = 8.5f;  // lamp centre above the door position

    // Door groups, while the game scene builds the stage.
    NomalDoor(const Vector3& position, float angleDegrees);

    // Door group, each frame after its button: open is the button's IsOn.
    void Update(bool open);
    // Game scene 3D pass: frame, lamp (on or off), panel.
    void Draw() const;

    // Game scene rays: the panel blocks the player, the hook, boxes and
    // laser beams; frame and lamp are never tested.
    FwModel* GetPanelModel() const { return panel_.GetPanelModel(); }
    const Matrix& GetPanelWorld() const { return panel_.GetPanelWorld(); }
    const Vector3& GetPanelPosition() const { return panel_.GetPanelPosition(); }
    float GetPanelY() const { return panel_.GetPanelPosition().y; }
    float GetPanelOffset() const { return panel_.GetPanelOffset(); }
    const DoorPanel& GetPanel() const { return panel_; }
    bool IsLampOn() const { return lampOn_; }
    const Vector3& GetLampPosition() const { return lampPosition_; }
    const Matrix& GetLampWorld() const { return lampWorld_; }

private:
    DoorPanel panel_;
    Vector3 lampPosition_;
    Matrix lampWorld_;
    FwModel* lampOnModel_ = nullptr;
    FwModel* lampOffModel_ = nullptr;
    bool lampOn_ = false;
};

// A button and the door it drives, for the two door buttons: with a
// PushingButton the door opens for good once the button has been held down
// long enough; with a ReturnButton it is open only while something keeps the
// button down.
template <typename ButtonType>
class Gimmick_ButtonDoor {
public:
    // Game scene, from a pushing-door or return-door record.
    Gimmick_ButtonDoor(const Vector3& buttonPosition, const Vector3& doorPosition, float doorAngleDegrees);

    // Game scene, each frame after its press test: button, then door.
    void Update(bool pressed);
    // Game scene 3D pass: button, then door.
    void Draw() const;

    const std::shared_ptr<ButtonType>& GetButton() const { return button_; }
    const std::shared_ptr<NomalDoor>& GetDoor() const { return door_; }

private:
    std::shared_ptr<ButtonType> button_;
    std::shared_ptr<NomalDoor> door_;
};

using Gimmick_PushingDoor = Gimmick_ButtonDoor<PushingButton>;
using Gimmick_ReturnDoor = Gimmick_ButtonDoor<ReturnButton>;
