#include "game/GameTrace.h"

#include <nlohmann/json.hpp>

#include "game/GameScene.h"
#include "game/Jewel.h"
#include "game/StagingManager.h"
#include "game/gimmick/HookEffect.h"
#include "game/kinds/StageObjectKind.h"
#include "game/player/HookGun.h"
#include "game/player/OperationGuide.h"
#include "game/player/Player.h"

namespace {
nlohmann::json Vec(const Vector3& v) { return nlohmann::json::array({v.x, v.y, v.z}); }
}  // namespace

void AppendGameTrace(const GameScene& scene, nlohmann::json& frame) {
    const Player& player = *scene.GetPlayer();
    const HookGun& hookGun = *scene.GetHookGun();
    frame["player"] = {{"pos", Vec(player.GetPosition())},
                       {"yaw", player.GetYaw()},
                       {"pitch", player.GetPitch()},
                       {"fov", player.GetFov()},
                       {"jumping", player.IsJumping()},
                       {"failed", player.IsFailed()}};
    frame["hook"] = {{"state", static_cast<int>(hookGun.GetState())},
                     {"pos", Vec(hookGun.GetHookPosition())},
                     {"box", hookGun.GetHookedBoxIndex()}};

    StageTrace objects;
    scene.GetObjects().AppendTrace(objects);
    frame["boxes"] = std::move(objects.boxes);
    frame["buttons"] = std::move(objects.buttons);
    frame["doors"] = std::move(objects.doors);
    frame["clocks"] = std::move(objects.clocks);
    frame["lasers"] = std::move(objects.lasers);

    if (const Jewel* jewel = scene.GetJewel()) {
        frame["jewel"] = {
            {"pos", Vec(jewel->GetPosition())}, {"caught", jewel->IsCaught()}, {"taken", jewel->IsTaken()}};
    }
    const StagingManager& staging = *scene.GetStaging();
    frame["cutin"] = {{"state", static_cast<int>(staging.GetState())}, {"finished", staging.IsFinished()}};
    frame["sparks"] = scene.GetHookEffects()->VisibleCount();
    if (const OperationGuide* guide = scene.GetGuide())
        frame["guide"] = {{"page", guide->GetPage()}, {"alpha", guide->GetAlpha()}};
}
