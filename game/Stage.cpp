#include "game/Stage.h"

#include <cstdio>

#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"

Stage::Stage(const int& stageNumber) {
    char name[256];
    std::snprintf(name, sizeof(name), "GameScene/Stage/Stage_%d.gltf", stageNumber);
    model_ = FwResourceFactory::GetInstance().GetModel(name);
}

void Stage::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(world_);
    shaders.DrawModel(model_);
}
