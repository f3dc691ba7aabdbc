#include "game/Stage.h"

#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/StageFile.h"

Stage::Stage(const int& stageNumber) {
    model_ = FwResourceFactory::GetInstance().GetModel(StageMeshName(stageNumber));
}

void Stage::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(world_);
    shaders.DrawModel(model_);
}
