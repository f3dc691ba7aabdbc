// The pedestal under the jewel: a static solid that the game scene draws and
// includes in its ray and push-out queries.
#pragma once

#include "framework/math/FwMath.h"

class FwModel;

class ShowCase {
public:
    // Game scene, while reading the stage layout: loads the model and places
    // it at position.
    explicit ShowCase(const Vector3& position);
    // Game scene 3D pass, with the model shader bound.
    void Draw() const;

    const Matrix& GetWorld() const { return world_; }
    FwModel* GetModel() const { return model_; }
    Vector3 GetPosition() const { return world_.Translation(); }

private:
    Matrix world_;
    FwModel* model_ = nullptr;
};
