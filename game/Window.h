// A see-through panel: a static, half-transparent solid. It has no logic; the
// game scene counts it in every ray and push-out query like a wall and draws
// it after the opaque objects.
#pragma once

#include "framework/math/FwMath.h"

class FwModel;

class Window {
public:
    static constexpr float kAlpha = 0.5f;

    // Game scene, while reading the stage layout: world = scale x rotation
    // about Y by yawDegrees x translation to position.
    Window(const Vector3& position, const Vector3& scale, float yawDegrees);
    // Game scene 3D pass, with the model shader bound, after the opaque
    // objects: draws the panel at half opacity.
    void Draw() const;

    const Matrix& GetWorld() const { return world_; }
    FwModel* GetModel() const { return model_; }

private:
    FwModel* model_ = nullptr;
    Matrix world_;
};
