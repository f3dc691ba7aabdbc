#include "game/gimmick/Door.h"

#include "framework/audio/FwAudio.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/gimmick/Button.h"

namespace {
void DrawAt(const Matrix& world, const FwModel* model) {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(world);
    shaders.DrawModel(model);
}
}  // namespace

Matrix DoorRotation(float angleDegrees) { return MatrixRotationY(angleDegrees * kDegToRad); }

// ---------------------------------------------------------------------------
// DoorPanel
// ---------------------------------------------------------------------------

DoorPanel::DoorPanel(const Vector3& position, float angleDegrees)
    : rotation_(DoorRotation(angleDegrees)),
      panelPosition_(position),
      panelWorld_(rotation_ * MatrixTranslation(position)),
      frameWorld_(rotation_ * MatrixTranslation(position)),
      closedY_(position.y) {
    auto& res = FwResourceFactory::GetInstance();
    panelModel_ = res.GetModel("GameScene/Gimmick/Door/Door.gltf");
    frameModel_ = res.GetModel("GameScene/Gimmick/Door/DoorEdge.gltf");
    openSound_ = res.GetSound("Door/DoorOpen.wav", kSoundVolume, false);
    closeSound_ = res.GetSound("Door/DoorClose.wav", kSoundVolume, false);
}

void DoorPanel::Update(bool open) {
    const float d = GetPanelOffset();
    bool moved = false;
    if (open && d < kOpenTravel) {
        if (!moveLatch_) {
            openSound_->Play(false, true);
            moveLatch_ = true;
        }
        panelPosition_.y += kStep;
        moved = true;
    } else if (!open && d > kClosedOffset) {
        // An interrupted opening turns straight into a closing.
        if (moveLatch_) {
            closeSound_->Play(false, true);
            moveLatch_ = false;
        }
        panelPosition_.y -= kStep;
        moved = true;
    }
    if (moved) panelWorld_ = rotation_ * MatrixTranslation(panelPosition_);
}

SceneClosingPanel DoorPanel::ClosingPanel() const {
    SceneClosingPanel panel;
    panel.base = panelPosition_;
    panel.across = Vector3(rotation_.m[0][0], 0.0f, rotation_.m[0][2]);
    panel.through = Vector3(rotation_.m[2][0], 0.0f, rotation_.m[2][2]);
    panel.halfWidth = kHalfWidth;
    panel.halfThickness = kHalfThickness;
    panel.height = kHeight;
    panel.step = kStep;
    return panel;
}

void DoorPanel::DrawFrame() const { DrawAt(frameWorld_, frameModel_); }

void DoorPanel::DrawPanel() const { DrawAt(panelWorld_, panelModel_); }

// ---------------------------------------------------------------------------
// NomalDoor
// ---------------------------------------------------------------------------

NomalDoor::NomalDoor(const Vector3& position, float angleDegrees)
    : panel_(position, angleDegrees),
      lampPosition_(position + Vector3(0.0f, kLampHeight, 0.0f)),
      lampWorld_(panel_.GetRotation() * MatrixTranslation(lampPosition_)) {
    auto& res = FwResourceFactory::GetInstance();
    lampOnModel_ = res.GetModel("GameScene/Gimmick/Door/Light_ON.gltf");
    lampOffModel_ = res.GetModel("GameScene/Gimmick/Door/Light_OFF.gltf");
}

void NomalDoor::Update(bool open) {
    lampOn_ = open;
    panel_.Update(open);
}

void NomalDoor::Draw() const {
    panel_.DrawFrame();
    DrawAt(lampWorld_, lampOn_ ? lampOnModel_ : lampOffModel_);
    panel_.DrawPanel();
}

// ---------------------------------------------------------------------------
// Groups
// ---------------------------------------------------------------------------

template <typename ButtonType>
Gimmick_ButtonDoor<ButtonType>::Gimmick_ButtonDoor(const Vector3& buttonPosition, const Vector3& doorPosition,
                                                   float doorAngleDegrees)
    : button_(std::make_shared<ButtonType>(buttonPosition)),
      door_(std::make_shared<NomalDoor>(doorPosition, doorAngleDegrees)) {}

template <typename ButtonType>
void Gimmick_ButtonDoor<ButtonType>::Update(bool pressed) {
    button_->Update(pressed);
    door_->Update(button_->IsOn());
}

template <typename ButtonType>
void Gimmick_ButtonDoor<ButtonType>::Draw() const {
    button_->Draw();
    door_->Draw();
}

template class Gimmick_ButtonDoor<PushingButton>;
template class Gimmick_ButtonDoor<ReturnButton>;
