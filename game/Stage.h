// The static geometry of one stage: one glTF model, authored in world
// coordinates, used both for drawing and for every collision query.
#pragma once

#include "framework/math/FwMath.h"

class FwModel;

class Stage {
public:
    // Game scene constructor: "GameScene/Stage/Stage_<n>.gltf" from the
    // resource cache (two scenes of one stage share the model).
    explicit Stage(const int& stageNumber);
    // Game scene 3D pass, right after the hook gun in flight.
    void Draw() const;

    FwModel* GetModel() const { return model_; }
    const Matrix& GetWorld() const { return world_; }

private:
    FwModel* model_ = nullptr;
    Matrix world_;
};
