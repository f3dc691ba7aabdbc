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
// of object). A null model is never hit. A solid that only box rays see (a
// button's top) stops a box's ground ray but lets the player's rays, the hook
// and beams pass.
struct SceneSolid {
    const FwModel* model = nullptr;
    Matrix world;
    Vector3 position;
    bool boxRaysOnly = false;

    static SceneSolid FromWorld(const FwModel* model, const Matrix& world) {
        return {model, world, world.Translation(), false};
    }
};

// A door panel on its way down: a slab from `base` (the middle of its lower
// edge) up `height`, `halfWidth` either way along `across` and
// `halfThickness` either way along `through` (both horizontal unit
// vectors), coming down `step` a frame.
struct SceneClosingPanel {
    Vector3 base;
    Vector3 across;
    Vector3 through;
    float halfWidth = 0.0f;
    float halfThickness = 0.0f;
    float height = 0.0f;
    float step = 0.0f;
};

// Everything the queries look at. The position of a box in `boxes` is its
// box index. `fixtures` holds every other object kind's solids in the order
// the kinds were registered (time doors, pushing doors and return doors, each
// door panel followed by its button top; then windows; then the showcase);
// each kind owns the slots it reserved with AddFixtures.
struct SceneSolids {
    std::vector<SceneSolid> boxes;
    std::vector<SceneSolid> fixtures;
    SceneSolid jewel;
    SceneSolid stage;
    // Door panels closing now (the door groups refill it with their solids).
    std::vector<SceneClosingPanel> closingPanels;

    Vector3 playerEye;            // the player's eye position
    float playerEyeHeight = 3.0f;  // feet = eye - (0, eyeHeight, 0)
    float playerRadius = 0.5f;
    float boxRadius = 2.5f;

    // Stage building, once per kind: reserves `count` fixture slots and
    // returns the first one's index.
    size_t AddFixtures(size_t count) {
        const size_t first = fixtures.size();
        fixtures.resize(first + count);
        return first;
    }
};

// Player and boxes, each frame before their floor rays: how far a body (a
// circle of `radius` about `centre`, standing from `feetY` to `topY`) moves
// out of a closing panel's way, along the panel's thickness to its nearer
// face. It moves at the panel's own step a frame, from the frame the
// panel's lower edge comes within halfThickness + radius + step above its
// top, so it stands clear before the panel reaches it: the panel never
// lands on it, and it never jumps. Zero when no panel is closing on it.
Vector3 ShoveFromClosingPanels(const SceneSolids& solids, const Vector3& centre, float radius, float feetY,
                               float topY);

// Door groups and laser buttons, once per group per frame: true when the
// player's feet sphere or, failing that, any box's sphere overlaps the button
// sphere (button position, buttonRadius). Boxes are tried in list order.
bool IsButtonPressed(const SceneSolids& solids, const Vector3& buttonPosition, float buttonRadius);

// Floor, aim, box-fall, hook-aim, chain and laser rays: the nearest solid
// surface along the ray. Order: boxes (skipping the box whose index equals
// ignoreBox); the fixtures in order (a button top only when ignoreBox is not
// -1, so the player's rays pass through buttons while a box's fall ray stops
// on them); the stage last. True with `distance` = nearest hit; false with
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

// The flying hook's ray: first the non-box surfaces (the fixtures without
// button tops, the jewel, then the stage), then the boxes in list order: the first box whose own hit
// is strictly nearer than everything found so far is the hit box and ends the
// search, even when a later box would be nearer still. True with `distance`
// (and `hitBox` when a box won); false with both untouched when nothing is hit.
bool RayCastHookTargets(const SceneSolids& solids, const Vector3& origin, const Vector3& direction,
                        float casterRadius, float& distance, int32_t& hitBox);

// The player's wall push-out for this frame's move (direction = the move
// vector, not normalized). Boxes, the fixtures without button tops, then the
// stage, share one
// running distance through PushOutFromMesh: the first object that comes
// within 5 along the move decides the push and later ones are not asked.
// `push` is reset to (0, 0, 0) and stays so unless that surface lies within
// 2. Returns false only when the running distance ends below 0 or unset;
// since the stage is always asked and a miss counts as 100, a move inside a
// stage returns true, and the caller relies on `push` alone.
bool PushOutOfWalls(const SceneSolids& solids, const Vector3& position, const Vector3& moveDirection,
                    float casterRadius, Vector3& push);
