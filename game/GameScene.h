// The scene in which one stage is played. It owns every object of the stage,
// runs them in a fixed order each frame, and is the only place where they
// meet: it casts every ray between them (SceneQueries) and hands each object
// the results. It also decides how the scene ends: failed (restart behind a
// fade), quit with P (title at once), or cleared (once the jewel's cut-in has
// finished).
#pragma once

#include <memory>
#include <vector>

#include "app/BaseScene.h"
#include "framework/math/FwMath.h"
#include "framework/render/FwTexture.h"
#include "game/SceneQueries.h"
#include "game/StageFile.h"

class Box;
class FwSoundInstance;
class Gimmick_PushingDoor;
class Gimmick_ReturnDoor;
class Gimmick_ReturnLaser;
class Gimmick_TimeDoor;
class HookEffectManager;
class HookGun;
class Jewel;
class OperationGuide;
class Player;
class ShowCase;
class Stage;
class StagingManager;
class Window;
struct FwBlendState;

class GameScene : public BaseScene {
public:
    // Title scene (stage 1), clear scene (next or same stage), itself
    // (restart): builds the whole stage. A coordinate file that is missing or
    // malformed is reported (stderr and a message box) and the scene returns
    // to the title in its first frame instead of building anything.
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
    // Harness trace: player, hook, boxes, gimmicks, jewel, cut-in, sparks and
    // (stage 1) the guide of this frame.
    void AppendTrace(nlohmann::json& frame) const override;

    // Tests and benchmarks.
    const Player* GetPlayer() const { return player_.get(); }
    const HookGun* GetHookGun() const { return hookGun_.get(); }
    const std::vector<std::shared_ptr<Box>>& GetBoxes() const { return boxes_; }
    const Jewel* GetJewel() const { return jewel_.get(); }
    bool LayoutFailed() const { return layoutFailed_; }

private:
    void BuildFromLayout(const StageLayout& layout);
    // Fills solids_ from the object lists (no allocation after construction).
    void RefreshSolids();
    void RefreshDoorSolids();
    void UpdatePlayer();
    void UpdateHookGun();
    void UpdateBoxes();
    void UpdateGimmicks();
    void UpdateLasers();
    void UpdateGuide();
    bool IsJewelTaken() const;
    void DrawEffects();
    void DrawCaption();
    void UpdateListener();

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
    std::vector<std::shared_ptr<Window>> windows_;
    std::vector<std::shared_ptr<Box>> boxes_;
    std::vector<std::shared_ptr<Gimmick_ReturnDoor>> returnDoors_;
    std::vector<std::shared_ptr<Gimmick_PushingDoor>> pushingDoors_;
    std::vector<std::shared_ptr<Gimmick_TimeDoor>> timeDoors_;
    std::vector<std::shared_ptr<Gimmick_ReturnLaser>> returnLasers_;
    std::shared_ptr<ShowCase> showCase_;
    std::shared_ptr<Jewel> jewel_;
    std::shared_ptr<StagingManager> staging_;
    bool layoutFailed_ = false;
    std::shared_ptr<FwSoundInstance> gameMusic_;
    bool restartPending_ = false;
    std::shared_ptr<FwBlendState> additiveBlend_;
    std::shared_ptr<FwBlendState> alphaBlend_;
    FwTexture sceneColor_;
    FwTexture sceneDepth_;
    SceneSolids solids_;
};
