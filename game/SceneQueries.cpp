#include "game/SceneQueries.h"

#include <algorithm>
#include <cmath>

#include "framework/collision/FwCollision.h"

namespace {

bool InBroadPhase(const Vector3& casterPosition, float casterRadius, const SceneSolid& solid) {
    return SphereOverlap(casterPosition, casterRadius, solid.position, kSceneObjectRadius);
}

// RayToMesh into the running nearest distance, behind the broad phase.
void RayIntoNearest(const SceneSolid& solid, const Vector3& origin, const Vector3& direction, float casterRadius,
                    float& nearest) {
    if (InBroadPhase(origin, casterRadius, solid)) RayToMesh(solid.model, solid.world, origin, direction, nearest);
}

// Every fixture, and the button tops when asked.
void RayIntoFixtures(const SceneSolids& solids, bool withButtons, const Vector3& origin, const Vector3& direction,
                     float casterRadius, float& nearest) {
    for (const SceneSolid& fixture : solids.fixtures) {
        if (fixture.boxRaysOnly && !withButtons) continue;
        RayIntoNearest(fixture, origin, direction, casterRadius, nearest);
    }
}

// PushOutFromMesh into the running distance, behind the broad phase.
void PushInto(const SceneSolid& solid, const Vector3& position, const Vector3& move, float casterRadius,
              float& running, Vector3& push) {
    if (InBroadPhase(position, casterRadius, solid))
        running = PushOutFromMesh(solid.model, solid.world, position, move, running, push);
}

}  // namespace

bool IsButtonPressed(const SceneSolids& solids, const Vector3& buttonPosition, float buttonRadius) {
    Vector3 feet = solids.playerEye;
    feet.y -= solids.playerEyeHeight;
    if (SphereOverlap(buttonPosition, buttonRadius, feet, solids.playerRadius)) return true;
    for (const SceneSolid& box : solids.boxes)
        if (SphereOverlap(buttonPosition, buttonRadius, box.position, solids.boxRadius)) return true;
    return false;
}

bool RayCastSolids(const SceneSolids& solids, const Vector3& origin, const Vector3& direction,
                   float casterRadius, float& distance, int32_t ignoreBox) {
    float nearest = kFloatMax;
    for (size_t i = 0; i < solids.boxes.size(); ++i) {
        if (static_cast<int32_t>(i) == ignoreBox) continue;
        RayIntoNearest(solids.boxes[i], origin, direction, casterRadius, nearest);
    }
    RayIntoFixtures(solids, ignoreBox != -1, origin, direction, casterRadius, nearest);
    RayToMesh(solids.stage.model, solids.stage.world, origin, direction, nearest);

    if (nearest == kFloatMax) return false;
    distance = nearest;
    return true;
}

bool RayCastAimTargets(const SceneSolids& solids, const Vector3& origin, const Vector3& direction,
                       float casterRadius, float& distance) {
    float nearest = kFloatMax;
    RayCastSolids(solids, origin, direction, casterRadius, nearest, -1);
    RayIntoNearest(solids.jewel, origin, direction, casterRadius, nearest);
    if (nearest == kFloatMax) return false;
    distance = nearest;
    return true;
}

bool RayCastHookTargets(const SceneSolids& solids, const Vector3& origin, const Vector3& direction,
                        float casterRadius, float& distance, int32_t& hitBox) {
    float nearest = kFloatMax;
    RayIntoFixtures(solids, false, origin, direction, casterRadius, nearest);
    RayIntoNearest(solids.jewel, origin, direction, casterRadius, nearest);
    RayToMesh(solids.stage.model, solids.stage.world, origin, direction, nearest);

    for (size_t i = 0; i < solids.boxes.size(); ++i) {
        const SceneSolid& box = solids.boxes[i];
        if (!InBroadPhase(origin, casterRadius, box)) continue;
        float d = kFloatMax;
        RayToMesh(box.model, box.world, origin, direction, d);
        if (nearest > d) {
            hitBox = static_cast<int32_t>(i);
            nearest = d;
            break;
        }
    }

    if (nearest == kFloatMax) return false;
    distance = nearest;
    return true;
}

bool PushOutOfWalls(const SceneSolids& solids, const Vector3& position, const Vector3& moveDirection,
                    float casterRadius, Vector3& push) {
    push = Vector3{};
    float running = kFloatMax;
    for (const SceneSolid& box : solids.boxes) PushInto(box, position, moveDirection, casterRadius, running, push);
    for (const SceneSolid& fixture : solids.fixtures) {
        if (!fixture.boxRaysOnly) PushInto(fixture, position, moveDirection, casterRadius, running, push);
    }
    running = PushOutFromMesh(solids.stage.model, solids.stage.world, position, moveDirection, running, push);

    return !(running < 0.0f || running == kFloatMax);
}

Vector3 ShoveFromClosingPanels(const SceneSolids& solids, const Vector3& centre, float radius, float feetY,
                               float topY) {
    Vector3 move;
    for (const SceneClosingPanel& panel : solids.closingPanels) {
        const float clear = panel.halfThickness + radius;
        if (panel.base.y >= topY + clear + panel.step || panel.base.y + panel.height <= feetY) continue;
        const Vector3 offset = centre + move - panel.base;
        const float along = Dot(offset, panel.across);
        const float through = Dot(offset, panel.through);
        if (std::fabs(along) >= panel.halfWidth + radius || std::fabs(through) >= clear) continue;
        // A body exactly in the middle leaves by the panel's back face.
        const float target = through < 0.0f ? -clear : clear;
        move += panel.through * std::clamp(target - through, -panel.step, panel.step);
    }
    return move;
}
