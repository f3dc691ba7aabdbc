// Ray and overlap queries against the triangles of loaded models.
//
// There is no physics engine and no spatial index: every ray query walks the
// node list of a model (FwModel::Nodes(), in list order; records without a
// mesh are skipped), moves the ray into the node's space (node matrix x
// object world matrix, inverted) and tests every face of the node's mesh, in
// face order. Both sides of a triangle are hit; a ray starting on a triangle
// hits it at distance 0. Distances are in multiples of the ray direction's
// length, so with a unit direction they are world-space distances.
//
// All arithmetic is single precision and follows a fixed order of operations,
// so equal inputs give bit-identical distances on every run.
//
// Callers run SphereOverlap (object radius 15 around the object's position)
// before a ray query as the only broad phase, share one running distance
// across the candidates, and query the stage model last without the sphere
// test.
#pragma once

#include <vector>

#include "framework/math/FwMath.h"

struct FwModelNode;
class FwModel;

// Threshold below which a triangle counts as parallel to the ray.
constexpr float kFwRayEpsilon = 1e-20f;
// Distance a push-out keeps between a ray origin and a surface.
constexpr float kFwPushOutRadius = 2.0f;
// A running distance below this means an earlier object already produced
// the push-out; later objects are not asked.
constexpr float kFwPushOutNearLimit = 5.0f;
// Distance PushOutFromMesh reports when its ray misses the model.
constexpr float kFwPushOutMissDistance = 100.0f;
constexpr float kFwDegreesPerRadian = 57.295776f;

// Game scene ray casts (floor, walls, aim, hook, box fall, lasers): true when
// some triangle is hit strictly nearer than `distance`, which then holds the
// nearest hit; otherwise false and `distance` is untouched. Passing the
// running nearest distance of earlier objects chains several models.
bool RayToMesh(const std::vector<FwModelNode>& nodes, const Matrix& world, const Vector3& origin,
               const Vector3& direction, float& distance);
// Same over a model's node list; a null model is never hit.
bool RayToMesh(const FwModel* model, const Matrix& world, const Vector3& origin, const Vector3& direction,
               float& distance);

// PushOutFromMesh (and tests): nearest hit at any distance with the world-space
// unit normal of the triangle hit. The normal follows the triangle's winding
// ((V0 - V2) x (V1 - V2) transformed by the node x world matrix), not the side
// the ray came from. Among equally near triangles the first in node order,
// then face order, wins. False (outputs untouched) when nothing is hit.
bool RayToMeshWithNormal(const std::vector<FwModelNode>& nodes, const Matrix& world, const Vector3& origin,
                         const Vector3& direction, float& distance, Vector3& normal);
bool RayToMeshWithNormal(const FwModel* model, const Matrix& world, const Vector3& origin,
                         const Vector3& direction, float& distance, Vector3& normal);

// Game scene wall push-out, one call per candidate object with the running
// nearest distance; returns the new running distance. Does nothing when the
// running distance is already below 5. Otherwise casts along `direction`:
// on a miss returns min(running, 100); on a hit at t returns min(running, t)
// and, when the origin lies within 2 of the face's plane and t is the nearest
// so far, sets `push` to the face normal scaled so the origin ends exactly 2
// in front of the plane. A face the ray meets from behind or edge-on (normal
// not facing the ray) never pushes.
float PushOutFromMesh(const std::vector<FwModelNode>& nodes, Matrix world, const Vector3& origin,
                      const Vector3& direction, float running, Vector3& push);
float PushOutFromMesh(const FwModel* model, Matrix world, const Vector3& origin, const Vector3& direction,
                      float running, Vector3& push);

// Broad phase and proximity tests: true when rA + rB is strictly greater
// than the distance between the centres (touching spheres do not overlap).
bool SphereOverlap(const Vector3& centerA, float radiusA, const Vector3& centerB, float radiusB);

// Hook gun chain angle: normalizes both vectors in place and returns the
// angle between them in degrees. The cosine is clamped to [-1, 1] so
// (anti)parallel directions give 0 or 180 instead of NaN; a zero vector
// gives 90.
float AngleBetweenDeg(Vector3& a, Vector3& b);
