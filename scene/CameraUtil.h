// Camera helpers shared by the scenes: the default projection and the
// publishing of a view to the camera block.
#pragma once

#include "framework/FwFrameSize.h"
#include "framework/math/FwMath.h"
#include "framework/render/FwShaderManager.h"

// Left-handed perspective of every scene at the frame's aspect, near 0.01,
// far 1000, with the vertical field of view in degrees.
inline Matrix PerspectiveProjection(float fovDegrees) {
    constexpr float kAspect = static_cast<float>(kFwFrameWidth) / static_cast<float>(kFwFrameHeight);
    return MatrixPerspectiveFovLH(fovDegrees * kDegToRad, kAspect, 0.01f, 1000.0f);
}

// The title's and the clear scene's projection: 60 degrees vertical (x scale
// 0.9742786, y scale 1.7320508).
inline Matrix DefaultProjection() { return PerspectiveProjection(60.0f); }

// Scenes' SetCamera: stores view, the eye (translation of the inverse view)
// and projection in the camera block, then uploads it if it changed.
inline void PublishCamera(const Matrix& view, const Matrix& projection) {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetViewMatrix(view);
    shaders.SetCameraPos(MatrixInverse(view).Translation());
    shaders.SetProjMatrix(projection);
    shaders.UpdateCamera();
}
