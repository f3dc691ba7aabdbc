#include "scene/SceneManager.h"

#include <cstdio>
#include <string>

#include "framework/FwTrace.h"
#include "framework/resource/FwResourceFactory.h"
#include "scene/BaseScene.h"

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

void SceneManager::Request(const SceneRequest& request) {
    if (!factory_) {
        std::fprintf(stderr, "scene change refused: no scene factory installed\n");
        return;
    }
    ChangeScene(factory_(request));
}

void SceneManager::ChangeScene(std::unique_ptr<BaseScene> scene) {
    if (!scene) return;
    // A pending scene replaced before the switch is deleted now (its
    // destructor stops its music).
    requested_ = std::move(scene);
}

void SceneManager::Update() {
    if (requested_) {
        // The old scene goes first: its destructor stops its music before
        // the new scene's first frame.
        current_.reset();
        current_ = std::move(requested_);
        // Only the new scene is alive now: the models and textures that no
        // scene since its build has asked for go (a scene built later is
        // always the newer one, so the new scene's mark is the oldest live).
        FwResourceFactory::GetInstance().ReleaseUnused(current_->ResourceMark());
        TraceSceneEntered(*current_);
    }
    if (current_) current_->Frame();
}

void SceneManager::Clear() {
    requested_.reset();
    current_.reset();
}
