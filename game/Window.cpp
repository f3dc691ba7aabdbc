#include "game/Window.h"

#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"

Window::Window(const Vector3& position, const Vector3& scale, float yawDegrees)
    : model_(FwResourceFactory::GetInstance().GetModel("GameScene/Window/Window.gltf")),
      world_(MatrixScaling(scale.x, scale.y, scale.z) * MatrixRotationY(yawDegrees * kDegToRad) *
             MatrixTranslation(position)) {}

void Window::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(world_);
    shaders.DrawModel(model_, kAlpha);
}
