#include "game/gimmick/Button.h"

#include "framework/audio/FwAudio.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"

ButtonBase::ButtonBase(const Vector3& position)
    : topPosition_(position),
      basePosition_(position),
      topWorld_(MatrixTranslation(position)),
      frameWorld_(MatrixTranslation(position)),
      baseY_(position.y) {
    auto& res = FwResourceFactory::GetInstance();
    offModel_ = res.GetModel("GameScene/Gimmick/Button/Button_Off.gltf");
    onModel_ = res.GetModel("GameScene/Gimmick/Button/Button_On.gltf");
    frameModel_ = res.GetModel("GameScene/Gimmick/Button/Button_Edge.gltf");
    pressSound_ = res.GetSound("Button/Button.wav", kSoundVolume, false);
}

void ButtonBase::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(frameWorld_);
    shaders.DrawModel(frameModel_);
    shaders.SetWorldMatrix(topWorld_);
    shaders.DrawModel(on_ ? onModel_ : offModel_);
}

void ButtonBase::MoveTop(float dy) {
    topPosition_.y += dy;
    topWorld_ = MatrixTranslation(topPosition_);
}

void ButtonBase::StepDown() {
    if (!soundLatch_) {
        pressSound_->Play(false, true);
        soundLatch_ = true;
    }
    MoveTop(-kStep);
    if (!IsAboveDepth()) on_ = true;
}

void ButtonBase::StepUp() {
    if (soundLatch_) {
        pressSound_->Play(false, true);
        soundLatch_ = false;
    }
    MoveTop(kStep);
}

PushingButton::PushingButton(const Vector3& position) : ButtonBase(position) {}

void PushingButton::Update(bool pressed) {
    // A half-pressed top stays where it is; a pressed one never comes back.
    if (pressed && IsAboveDepth()) StepDown();
}

ReturnButton::ReturnButton(const Vector3& position) : ButtonBase(position) {}

void ReturnButton::Update(bool pressed) {
    if (pressed) {
        if (IsAboveDepth()) StepDown();
    } else if (IsBelowRest()) {
        // Off in the first released frame, long before the top is back up.
        on_ = false;
        StepUp();
    }
}

TimeButton::TimeButton(const Vector3& position, int durationFrames)
    : ButtonBase(position), duration_(durationFrames) {}

void TimeButton::Update(bool pressed) {
    if (active_) {
        if (IsAboveDepth()) StepDown();
        if (--remainingFrames_ <= 0) {
            remainingFrames_ = 0;
            active_ = false;
            on_ = false;
        }
    } else if (IsBelowRest()) {
        StepUp();  // the countdown is over: rises whatever lies on it
    } else {
        active_ = pressed;
        if (pressed) remainingFrames_ = duration_;
    }
}
