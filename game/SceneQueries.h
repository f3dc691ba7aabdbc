// The game scene's four queries between the objects of a stage: is a button
// pressed, what solid lies along a ray, what does the flying hook strike, and
// how far must the player be pushed out of a wall.
//
// Objects never see each other; the game scene refreshes a SceneSolids value
// from its object lists every frame (models, world matrices, positions) and
// asks these functions. Every object is tested behind one broad phase,
// SphereOverlap(caster position, caster radius, object position, 15); the
// stage is always tested, without the sphere test. Object kinds are visited
// in a fixed order, and that order decides ties: a later object replaces the
// running distance only when it is strictly nearer.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/math/FwMath.h"

class FwModel;

// Radius of every object in the broad phase.
constexpr float kSceneObjectRadius = 15.0f;
// Radius of every button's press sphere.
constexpr float kSceneButtonRadius = 2.25f;

// One collidable object: its model placed by its world matrix. `position` is
// the broad-phase centre (the translation of the world matrix for every kind
// of object). A null model is never hit.
struct SceneSolid {
    const FwModel* model = nullptr;
    Matrix world;
    Vector3 position;

    static SceneSolid FromWorld(const FwModel* model, const Matrix& world) {
        return {model, world, world.Translation()};
    }
};

// A button-and-door group: the moving door panel and the button's top in its
// off-state model (used for rays whatever the button shows).
struct SceneDoorGroup {
    SceneSolid door;
    SceneSolid button;
};

// Everything the queries look at, each list in coordinate-file order. The
// position of a box in `boxes` is its box index.
struct SceneSolids {
    std::vector<SceneSolid> boxes;
    std::vector<SceneDoorGroup> timeDoors;
    std::vector<SceneDoorGroup> pushingDoors;
    std::vector<SceneDoorGroup> returnDoors;
    std::vector<SceneSolid> windows;
    SceneSolid showcase;
    SceneSolid jewel;
    SceneSolid stage;

    Vector3 playerEye;            // the player's eye position
    float playerEyeHeight = 3.0f;  // feet = eye - (0, eyeHeight, 0)
    float playerRadius = 0.5f;
    float boxRadius = 2.5f;
};

// Door groups and laser buttons, once per group per frame: true when the
// player's feet sphere or, failing that, any box's sphere overlaps the button
// sphere (button position, buttonRadius). Boxes are tried in list order.
bool IsButtonPressed(const SceneSolids& solids, const Vector3& buttonPosition, float buttonRadius);

// Floor, aim, box-fall, hook-aim, chain and laser rays: the nearest solid
// surface along the ray. Order: boxes (skipping the box whose index equals
// ignoreBox); time-door, pushing-door, then return-door groups (door panel,
// then the button top only when ignoreBox is not -1, so the player's rays
// pass through buttons while a box's fall ray stops on them); windows;
// showcase; the stage last. True with `distance` = nearest hit; false with
// `distance` untouched when nothing is hit.
bool RayCastSolids(const SceneSolids& solids, const Vector3& origin, const Vector3& direction,
                   float casterRadius, float& distance, int32_t ignoreBox);

// The player's aim ray and the ready gun's sighting ray: RayCastSolids
// (ignoring no box), then the jewel behind the broad phase. The gun sits off
// the eye, so the hook flies at the point the crosshair meets; were the
// jewel left out, a crosshair on the jewel would aim at the wall behind it
// and send the hook past it. Same outputs as RayCastSolids.
bool RayCastAimTargets(const SceneSolids& solids, const Vector3& origin, const Vector3& direction,
                       float casterRadius, float& distance);

// The flying hook's ray: first the non-box surfaces (door panels of the
// time-door, pushing-door and return-door groups, windows, showcase, jewel,
// then the stage), then the boxes in list order: the first box whose own hit
// is strictly nearer than everything found so far is the hit box and ends the
// search, even when a later box would be nearer still. True with `distance`
// (and `hitBox` when a box won); false with both untouched when nothing is hit.
bool RayCastHookTargets(const SceneSolids& solids, const Vector3& origin, const Vector3& direction,
                        float casterRadius, float& distance, int32_t& hitBox);

// The player's wall push-out for this frame's move (direction = the move
// vector, not normalized). Boxes, door panels of the time-door, pushing-door
// and return-door groups, windows and showcase, then the stage, share one
// running distance through PushOutFromMesh: the first object that comes
// within 5 along the move decides the push and later ones are not asked.
// `push` is reset to (0, 0, 0) and stays so unless that surface lies within
// 2. Returns false only when the running distance ends below 0 or unset;
// since the stage is always asked and a miss counts as 100, a move inside a
// stage returns true, and the caller relies on `push` alone.
bool PushOutOfWalls(const SceneSolids& solids, const Vector3& position, const Vector3& moveDirection,
                    float casterRadius, Vector3& push);
