// A scene that writes its life into a shared log ("A:update", "A:dtor", ...)
// and can run a test-supplied action inside its Update, the place where real
// scenes request their successors.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene/BaseScene.h"
#include "framework/audio/FwAudio.h"

class ProbeScene : public BaseScene {
public:
    ProbeScene(std::string name, std::vector<std::string>& log, const char* kind = "title", int stage = 0)
        : name_(std::move(name)), log_(log), kind_(kind), stage_(stage) {
        log_.push_back(name_ + ":ctor");
    }
    ~ProbeScene() override { log_.push_back(name_ + ":dtor"); }

    void Update() override {
        log_.push_back(name_ + ":update");
        if (onUpdate) onUpdate();
    }
    void SetCamera() override { log_.push_back(name_ + ":camera"); }
    void Draw() override { log_.push_back(name_ + ":draw"); }
    const char* KindName() const override { return kind_; }
    int StageNumber() const override { return stage_; }

    // Starts the base music the way the title and clear scenes do.
    std::shared_ptr<FwSoundInstance> StartMusic() {
        if (bgm_) bgm_->Play(true, true);
        return bgm_;
    }
    using BaseScene::FadeIn;
    using BaseScene::FadeOut;

    std::function<void()> onUpdate;

private:
    std::string name_;
    std::vector<std::string>& log_;
    const char* kind_;
    int stage_;
};
