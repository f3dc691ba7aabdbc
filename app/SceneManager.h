// Owns the current scene and swaps it for a requested one at the start of the
// next frame, so a scene that asks for its successor still finishes its own
// frame (drawing the black fade) and the successor loads behind it.
#pragma once

class BaseScene;

class SceneManager {
public:
    static SceneManager& GetInstance();

    // Scenes (inside their Update) and the frame loop at start: records the
    // scene to switch to. Ownership passes to the manager now. A second
    // request before the switch deletes the scene it replaces.
    void ChangeScene(BaseScene* scene);
    // Frame loop, once per frame: switch if requested (deleting the old
    // scene), then run the current scene's Frame.
    void Update();
    // Shutdown and tests: deletes current and requested scenes.
    void Clear();

    BaseScene* Current() const { return current_; }
    // Tests and harness: a scene has been requested and replaces the current
    // one at the start of the next Update.
    bool HasPendingChange() const { return requested_ != current_; }

private:
    SceneManager() = default;
    ~SceneManager();
    BaseScene* current_ = nullptr;
    BaseScene* requested_ = nullptr;
};
