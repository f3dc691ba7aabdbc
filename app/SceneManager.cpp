#include "app/SceneManager.h"

#include <string>

#include "app/BaseScene.h"
#include "framework/FwTrace.h"

namespace {
// "scene:title", "scene:game:N", "scene:clear:N".
void TraceSceneEntered(const BaseScene& scene) {
    if (!FwTraceEnabled()) return;
    std::string event = std::string("scene:") + scene.KindName();
    if (event != "scene:title") event += ":" + std::to_string(scene.StageNumber());
    FwTraceEvent(event);
}
}  // namespace

SceneManager& SceneManager::GetInstance() {
    static SceneManager manager;
    return manager;
}

SceneManager::~SceneManager() { Clear(); }

void SceneManager::ChangeScene(BaseScene* scene) {
    if (scene == requested_) return;
    // A pending scene that is replaced before the switch would never be
    // owned by anyone: delete it now (its destructor stops its music).
    if (requested_ != current_) delete requested_;
    requested_ = scene;
}

void SceneManager::Update() {
    if (requested_ != current_) {
        delete current_;
        current_ = requested_;
        if (current_) TraceSceneEntered(*current_);
    }
    if (current_) current_->Frame();
}

void SceneManager::Clear() {
    if (requested_ != current_) delete requested_;
    delete current_;
    requested_ = nullptr;
    current_ = nullptr;
}
