#include "game/gimmick/Box.h"

#include <algorithm>

#include "framework/audio/FwAudio.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"

Box::Box(const Vector3& position, int index)
    : index_(index), position_(position), world_(MatrixTranslation(position)) {
    auto& res = FwResourceFactory::GetInstance();
    model_ = res.GetModel("GameScene/Gimmick/Box/newBox.gltf");
    landingSound_ = res.GetSound("Box/BoxLanding.wav", 0.3f, false);
}

void Box::Pull(const Vector3& delta, int hookedIndex) {
    if (delta.x == 0.0f && delta.y == 0.0f && delta.z == 0.0f) return;
    if (index_ == hookedIndex) position_ += delta;
    world_ = MatrixTranslation(position_);
}

void Box::Shove(const Vector3& delta) {
    position_ += delta;
    world_ = MatrixTranslation(position_);
}

void Box::Fall(float distanceBelow) {
    if (distanceBelow > kHalfHeight + kLandingTolerance) {
        position_.y += verticalSpeed_;
        verticalSpeed_ = std::max(verticalSpeed_ - kGravity, kTerminalSpeed);
    } else {
        // Rest exactly half a box above the surface: follows a sinking button
        // top down and lifts out of a rising one.
        position_.y += kHalfHeight - distanceBelow;
        if (verticalSpeed_ != 0.0f && landingSound_) landingSound_->Play(false, true);
        verticalSpeed_ = 0.0f;
    }
    world_ = MatrixTranslation(position_);
}

void Box::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(world_);
    shaders.DrawModel(model_);
}
