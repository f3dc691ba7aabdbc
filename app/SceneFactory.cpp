#include "app/SceneFactory.h"

#include "app/ClearScene.h"
#include "app/TitleScene.h"
#include "game/GameScene.h"

std::unique_ptr<BaseScene> MakeScene(const SceneRequest& request) {
    switch (request.kind) {
    case SceneKind::Game: return std::make_unique<GameScene>(request.stage);
    case SceneKind::Clear: return std::make_unique<ClearScene>(request.stage, request.clearTime);
    case SceneKind::Title: break;
    }
    return std::make_unique<TitleScene>();
}

void InstallSceneFactory() { SceneManager::GetInstance().SetFactory(&MakeScene); }
