// Camera helpers shared by the scenes: the default projection and the
// publishing of a view to the camera block.
#pragma once

#include "framework/math/FwMath.h"
#include "framework/render/FwShaderManager.h"

// Left-handed perspective of every scene: 60 degrees vertical, 1280/720,
// near 0.01, far 1000 (x scale 0.9742786, y scale 1.7320508).
inline Matrix DefaultProjection() {
    return MatrixPerspectiveFovLH(60.0f * kDegToRad, 1280.0f / 720.0f, 0.01f, 1000.0f);
}

// Scenes' SetCamera: stores view, the eye (translation of the inverse view)
// and projection in the camera block, then uploads it if it changed.
inline void PublishCamera(const Matrix& view, const Matrix& projection) {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetViewMatrix(view);
    shaders.SetCameraPos(MatrixInverse(view).Translation());
    shaders.SetProjMatrix(projection);
    shaders.UpdateCamera();
}
