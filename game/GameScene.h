// The scene in which one stage is played. It owns the player, the hook gun,
// the jewel and the stage's objects (grouped by kind in StageObjects), runs
// them in a fixed order each frame, and is the only place where they meet:
// it casts every ray between them (SceneQueries) and hands each object the
// results. It also decides how the scene ends: failed (restart behind a
// fade), quit with P (title at once), or cleared (once the jewel's cut-in has
// finished).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "framework/math/FwMath.h"
#include "framework/render/FwTexture.h"
#include "game/SceneQueries.h"
#include "game/StageFile.h"
#include "game/kinds/StageObjects.h"
#include "scene/BaseScene.h"
#include "scene/ClearTime.h"

class OptionsScreen;

class Box;
class FwSoundInstance;
class HookEffectManager;
class HookGun;
class Jewel;
class OperationGuide;
class Player;
class Stage;
class StagingManager;
struct FwBlendState;

class GameScene : public BaseScene {
public:
    // Scene factory (title, clear scene, restart): builds the whole stage. A
    // coordinate file that is missing or malformed is reported (stderr and a
    // message box) and the scene returns to the title in its first frame
    // instead of building anything.
    explicit GameScene(int stage);
    // SceneManager, on the switch: stops the stage music.
    ~GameScene() override;

    // Frame: the frame logic in its fixed order.
    void Update() override;
    // Frame: the 3D pass and the heads-up sprites.
    void Draw() override;
    // Frame: first-person camera from the player's eye.
    void SetCamera() override;
    // SceneManager, once per frame: normal mode, or the cut-in mode that
    // draws the scene into its own target and lays it over the old frame.
    void Frame() override;

    const char* KindName() const override { return "game"; }
    int StageNumber() const override { return stageNumber_; }
    // Harness trace: see GameTrace.h.
    void AppendTrace(nlohmann::json& frame) const override;

    // Trace, tests and benchmarks.
    const Player* GetPlayer() const { return player_.get(); }
    const HookGun* GetHookGun() const { return hookGun_.get(); }
    const std::vector<std::shared_ptr<Box>>& GetBoxes() const { return objects_.GetBoxes(); }
    const StageObjects& GetObjects() const { return objects_; }
    const Jewel* GetJewel() const { return jewel_.get(); }
    const StagingManager* GetStaging() const { return staging_.get(); }
    const HookEffectManager* GetHookEffects() const { return hookEffects_.get(); }
    const OperationGuide* GetGuide() const { return operationGuide_.get(); }
    bool LayoutFailed() const { return layoutFailed_; }
    // Frames played so far: from the scene's first Update up to and
    // including the one in which the jewel was taken.
    uint64_t PlayFrames() const { return playFrames_; }
    // Set in the frame the jewel is taken (and recorded in the profile then).
    const std::optional<ClearTime>& GetClearTime() const { return clearTime_; }

private:
    void BuildFromLayout(const StageLayout& layout);
    // Fills solids_ from the objects (no allocation after construction).
    void RefreshSolids();
    void UpdatePlayer();
    void UpdateHookGun();
    void UpdateGuide();
    bool IsJewelTaken() const;
    void DrawEffects();
    void DrawCaption();
    void UpdateListener();
    void RecordClear();

    std::shared_ptr<OperationGuide> operationGuide_;
    FwTexture* labelTexture_ = nullptr;
    std::vector<FwTexture*> numberTextures_;  // the stage number, one per digit
    Matrix labelTransform_;
    Matrix numberTransform_;
    std::shared_ptr<Player> player_;
    std::shared_ptr<HookGun> hookGun_;
    std::shared_ptr<HookEffectManager> hookEffects_;
    int stageNumber_ = 0;
    std::shared_ptr<Stage> stage_;
    StageObjects objects_;
    std::shared_ptr<Jewel> jewel_;
    std::shared_ptr<StagingManager> staging_;
    bool layoutFailed_ = false;
    std::shared_ptr<FwSoundInstance> gameMusic_;
    bool restartPending_ = false;
    uint64_t playFrames_ = 0;
    std::optional<ClearTime> clearTime_;
    // Tab: the options screen, which pauses the stage while open.
    std::unique_ptr<OptionsScreen> options_;
    bool UpdateOptions();
    std::shared_ptr<FwBlendState> additiveBlend_;
    std::shared_ptr<FwBlendState> alphaBlend_;
    FwTexture sceneColor_;
    FwTexture sceneDepth_;
    SceneSolids solids_;
};
