#include "game/ShowCase.h"

#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"

ShowCase::ShowCase(const Vector3& position)
    : world_(MatrixTranslation(position)),
      model_(FwResourceFactory::GetInstance().GetModel("GameScene/Treasure/ShowCase/ShowCase.gltf")) {}

void ShowCase::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(world_);
    shaders.DrawModel(model_);
}
