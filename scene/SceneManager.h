// Owns the current scene and swaps it for a requested one at the start of the
// next frame, so a scene that asks for its successor still finishes its own
// frame (drawing the black fade) and the successor loads behind it.
//
// Scenes never name each other's classes: they ask for the next scene by
// kind (SceneRequest), and the factory the application installs builds it.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "scene/ClearTime.h"

class BaseScene;

enum class SceneKind { Title, Game, Clear };

// Which scene to go to: the title, stage N, or the clear scene after stage N
// (with the clear time the game scene measured).
struct SceneRequest {
    SceneKind kind = SceneKind::Title;
    int stage = 0;
    std::optional<ClearTime> clearTime;  // the clear scene's only

    static SceneRequest Title() { return {SceneKind::Title, 0, {}}; }
    static SceneRequest Game(int stage) { return {SceneKind::Game, stage, {}}; }
    static SceneRequest Clear(int stage, std::optional<ClearTime> time = std::nullopt) {
        return {SceneKind::Clear, stage, time};
    }
};

// Builds the scene a request names. Installed once by the application (and
// by tests that let scenes switch).
using SceneFactory = std::function<std::unique_ptr<BaseScene>(const SceneRequest&)>;

class SceneManager {
public:
    static SceneManager& GetInstance();

    // Application::Init and test set-up: how requested scenes are built.
    void SetFactory(SceneFactory factory) { factory_ = std::move(factory); }
    // Scenes, inside their Update: builds the requested scene now (its loads
    // happen in this frame, its music starts now) and switches to it at the
    // start of the next Update. Without a factory the request is refused
    // with a line on standard error.
    void Request(const SceneRequest& request);
    // Frame loop at start and tests: the same for a scene built by the
    // caller. A second request before the switch deletes the scene it
    // replaces.
    void ChangeScene(std::unique_ptr<BaseScene> scene);
    // Frame loop, once per frame: switch if requested (deleting the old
    // scene), then run the current scene's Frame.
    void Update();
    // Shutdown and tests: deletes current and requested scenes.
    void Clear();

    BaseScene* Current() const { return current_.get(); }
    // Tests and harness: a scene has been requested and replaces the current
    // one at the start of the next Update.
    bool HasPendingChange() const { return requested_ != nullptr; }

private:
    SceneManager() = default;
    ~SceneManager();
    std::unique_ptr<BaseScene> current_;
    std::unique_ptr<BaseScene> requested_;
    SceneFactory factory_;
};
