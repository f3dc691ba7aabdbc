// Base of the three scenes (title, game, clear). Every scene starts fully
// black and fades in over 20 frames; every change except the P key waits for
// a 20-frame fade to black.
#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>

#include "scene/FadeStep.h"

class FwSoundInstance;
class FwTexture;

class BaseScene {
public:
    BaseScene();
    virtual ~BaseScene();
    // SceneManager, once per frame through Frame: per-frame logic.
    virtual void Update() {}
    // Frame, after SetCamera: per-frame drawing.
    virtual void Draw() {}
    // Frame, after the clears: publishes view and projection.
    virtual void SetCamera();
    // SceneManager::Update, once per frame: Update, clear, SetCamera, Draw.
    virtual void Frame();

    // Harness trace: "title", "game" or "clear".
    virtual const char* KindName() const = 0;
    // Harness trace: the stage of a game or clear scene, 0 otherwise.
    virtual int StageNumber() const { return 0; }
    // Harness trace: adds scene-specific members to the frame's JSON object.
    virtual void AppendTrace(nlohmann::json& frame) const {}
    // Harness trace: the fade alpha drawn this frame.
    float FadeAlpha() const { return fadeAlpha_; }
    bool IsBlack() const { return black_; }
    // SceneManager, after a switch: the resource factory's mark of this
    // scene's build (FwResourceFactory::BeginSceneBuild). What the scene
    // asked the factory for stays loaded while it lives.
    uint64_t ResourceMark() const { return resourceMark_; }

protected:
    // One fade step toward clear; only while black.
    void FadeIn();
    // One fade step toward black; only while not black.
    void FadeOut();
    // Last sprite of a scene's 2D pass: the black fade over the whole screen.
    void DrawFade();

    std::shared_ptr<FwSoundInstance> bgm_;  // "BGM.wav", volume 0.05, not started here
    float fadeAlpha_ = 1.0f;
    float fadeStep_ = 0.05f;
    bool black_ = true;

private:
    uint64_t resourceMark_ = 0;
};
