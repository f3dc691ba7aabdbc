// A movable 5 x 5 x 5 crate: dragged by the hook, falls under gravity,
// presses buttons and can be stood on. It only knows its position, vertical
// speed and index; the game scene hands it the hook's pull and the distance
// of the ray below it.
#pragma once

#include <memory>

#include "framework/math/FwMath.h"

class FwModel;
class FwSoundInstance;

class Box {
public:
    static constexpr float kHalfHeight = 2.5f;
    static constexpr float kRadius = 2.5f;
    static constexpr float kLandingTolerance = 0.5f;
    static constexpr float kGravity = 0.1f;
    static constexpr float kTerminalSpeed = -3.0f;

    // Game scene, while building the stage from its layout: index is the
    // box's position in the scene's box list.
    Box(const Vector3& position, int index);

    // Game scene, each frame, first: delta is the hook's object pull, moved
    // only when hookedIndex is this box.
    void Pull(const Vector3& delta, int hookedIndex);
    // Game scene, each frame when no pull is active: one frame of gravity or
    // landing. distanceBelow is the nearest surface straight down; pass the
    // largest float when nothing is below (the box then falls freely).
    void Fall(float distanceBelow);
    // Game scene, before Fall: moved out of a closing door's way.
    void Shove(const Vector3& delta);
    // Game scene 3D pass.
    void Draw() const;

    const Vector3& GetPosition() const { return position_; }
    int GetIndex() const { return index_; }
    float GetRadius() const { return kRadius; }
    const Matrix& GetWorld() const { return world_; }
    FwModel* GetModel() const { return model_; }
    float GetVerticalSpeed() const { return verticalSpeed_; }

private:
    int index_;
    Vector3 position_;
    Matrix world_;
    float verticalSpeed_ = 0.0f;
    FwModel* model_ = nullptr;
    std::shared_ptr<FwSoundInstance> landingSound_;
};
