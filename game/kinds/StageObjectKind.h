// One kind of stage object (boxes, door groups, windows, ...) as the game
// scene sees it: every kind answers update, solids, draw and trace for all
// objects of that kind. The scene runs the kinds in the order they are
// registered (StageObjects.cpp), so that order is the frame's order: a kind
// added later updates, draws and traces after the kinds before it.
#pragma once

#include <nlohmann/json.hpp>

#include "game/SceneQueries.h"

class HookGun;
class Player;

// What a kind may read and write in one frame. The player and the hook gun
// have already moved; `solids` holds every object's solids as they stand.
struct StageFrame {
    SceneSolids& solids;
    const Player& player;
    const HookGun& hookGun;
};

// The 3D pass's stages, in the order the game scene runs them.
enum class StageDrawPass {
    Models,      // model shader: the stage's objects
    LateModels,  // model shader, right after the jewel (laser bodies stay in front of its glass)
    Effects,     // effect shader: clock hands
    Windows,     // model shader, after every opaque object: half-transparent panes
    Additive,    // effect shader, additive blend, depth tested but not written: beams
};

// The per-frame trace lists the kinds fill (each in kind order).
struct StageTrace {
    nlohmann::json boxes = nlohmann::json::array();
    nlohmann::json buttons = nlohmann::json::array();
    nlohmann::json doors = nlohmann::json::array();
    nlohmann::json clocks = nlohmann::json::array();
    nlohmann::json lasers = nlohmann::json::array();
};

class StageObjectKind {
public:
    virtual ~StageObjectKind() = default;

    // Game scene, each frame before the player moves: rewrites this kind's
    // solids (the slots it reserved when it was built).
    virtual void RefreshSolids(SceneSolids& solids) const {}
    // Game scene, each frame after the hook gun, kinds in order: moves the
    // objects, and refreshes their solids so later kinds' rays see them.
    virtual void Update(StageFrame& frame) {}
    // Game scene 3D pass, once per pass, kinds in order.
    virtual void Draw(StageDrawPass pass) const {}
    // Harness trace, each frame.
    virtual void AppendTrace(StageTrace& trace) const {}
    // Game scene, before the player's update: a beam of this kind touched
    // the player (the stage then fails).
    virtual bool HasHitPlayer() const { return false; }
};
