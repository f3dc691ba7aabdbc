#include "framework/collision/FwCollision.h"

#include <cmath>
#include <limits>

#include "framework/model/FwModel.h"

namespace {

// (p, 1) x M without a divide by w.
Vector3 TransformPoint(const Vector3& p, const Matrix& M) {
    return {p.x * M.m[0][0] + p.y * M.m[1][0] + p.z * M.m[2][0] + M.m[3][0],
            p.x * M.m[0][1] + p.y * M.m[1][1] + p.z * M.m[2][1] + M.m[3][1],
            p.x * M.m[0][2] + p.y * M.m[1][2] + p.z * M.m[2][2] + M.m[3][2]};
}

// (v, 0) x M.
Vector3 TransformDirection(const Vector3& v, const Matrix& M) {
    return {v.x * M.m[0][0] + v.y * M.m[1][0] + v.z * M.m[2][0],
            v.x * M.m[0][1] + v.y * M.m[1][1] + v.z * M.m[2][1],
            v.x * M.m[0][2] + v.y * M.m[1][2] + v.z * M.m[2][2]};
}

// Zero for a zero vector, NaNs when the squared length overflows.
Vector3 NormalizeOrZero(const Vector3& v) {
    float lengthSq = Dot(v, v);
    if (lengthSq == 0.0f) return {};
    if (std::isinf(lengthSq)) {
        float nan = std::numeric_limits<float>::quiet_NaN();
        return {nan, nan, nan};
    }
    float length = std::sqrt(lengthSq);
    return {v.x / length, v.y / length, v.z / length};
}

// The ray moved into one node's local space.
struct LocalRay {
    Vector3 origin;
    Vector3 direction;  // unit length (or zero / NaN for a degenerate ray)
    float length;       // length of the world direction in local units
};

// Two-sided triangle test. Returns the hit distance along the world ray in
// `h`. A triangle (nearly) parallel to the ray is missed.
bool HitTriangle(const LocalRay& ray, const Vector3& v0, const Vector3& v1, const Vector3& v2, float& h) {
    Vector3 e1 = v1 - v0;
    Vector3 e2 = v2 - v0;
    Vector3 p = Cross(ray.direction, e2);
    float det = Dot(e1, p);
    bool front = det >= kFwRayEpsilon;
    bool back = det <= -kFwRayEpsilon;
    if (!front && !back) return false;

    Vector3 s = ray.origin - v0;
    float u = Dot(s, p);
    Vector3 q = Cross(s, e1);
    float v = Dot(ray.direction, q);
    float t = Dot(e2, q);
    if (front) {
        if (u < 0.0f || u > det || v < 0.0f || u + v > det || t < 0.0f) return false;
    } else {
        if (u > 0.0f || u < det || v > 0.0f || u + v < det || t > 0.0f) return false;
    }
    h = (t / det) / ray.length;
    return true;
}

// Walks every face of every mesh node and calls onHit(h, nodeMatrix, v0, v1,
// v2) for each triangle hit, in node order, then face order.
template <typename OnHit>
void ForEachHit(const std::vector<FwModelNode>& nodes, const Matrix& world, const Vector3& origin,
                const Vector3& direction, OnHit&& onHit) {
    for (const FwModelNode& node : nodes) {
        if (!node.mesh) continue;
        Matrix M = node.matrix * world;
        Matrix inv;
        // A singular node cannot be hit: skip it rather than test its
        // triangles with a meaningless transform.
        if (!MatrixTryInverse(M, inv)) continue;
        Vector3 localDir = TransformDirection(direction, inv);
        LocalRay ray{TransformPoint(origin, inv), NormalizeOrZero(localDir), Length(localDir)};

        const std::vector<Vector3>& positions = node.mesh->Positions();
        const size_t vertexCount = positions.size();
        for (const FwMeshFace& face : node.mesh->Faces()) {
            // Indices are checked so a corrupt mesh cannot read out of bounds.
            if (face.idx[0] >= vertexCount || face.idx[1] >= vertexCount || face.idx[2] >= vertexCount) continue;
            const Vector3& v0 = positions[face.idx[0]];
            const Vector3& v1 = positions[face.idx[1]];
            const Vector3& v2 = positions[face.idx[2]];
            float h;
            if (HitTriangle(ray, v0, v1, v2, h)) onHit(h, M, v0, v1, v2);
        }
    }
}

const std::vector<FwModelNode>& NodesOf(const FwModel* model) {
    static const std::vector<FwModelNode> kNone;
    return model ? model->Nodes() : kNone;
}

}  // namespace

bool RayToMesh(const std::vector<FwModelNode>& nodes, const Matrix& world, const Vector3& origin,
               const Vector3& direction, float& distance) {
    float best = distance;
    bool improved = false;
    ForEachHit(nodes, world, origin, direction,
               [&](float h, const Matrix&, const Vector3&, const Vector3&, const Vector3&) {
                   if (h < best) {
                       best = h;
                       improved = true;
                   }
               });
    if (improved) distance = best;
    return improved;
}

bool RayToMesh(const FwModel* model, const Matrix& world, const Vector3& origin, const Vector3& direction,
               float& distance) {
    return RayToMesh(NodesOf(model), world, origin, direction, distance);
}

bool RayToMeshWithNormal(const std::vector<FwModelNode>& nodes, const Matrix& world, const Vector3& origin,
                         const Vector3& direction, float& distance, Vector3& normal) {
    float best = kFloatMax;
    Vector3 bestV0, bestV1, bestV2;
    Matrix bestMatrix;
    ForEachHit(nodes, world, origin, direction,
               [&](float h, const Matrix& M, const Vector3& v0, const Vector3& v1, const Vector3& v2) {
                   if (h < best) {
                       best = h;
                       bestV0 = v0;
                       bestV1 = v1;
                       bestV2 = v2;
                       bestMatrix = M;
                   }
               });
    if (best == kFloatMax) return false;
    distance = best;
    Vector3 faceNormal = Cross(bestV0 - bestV2, bestV1 - bestV2);
    normal = NormalizeOrZero(TransformDirection(faceNormal, bestMatrix));
    return true;
}

bool RayToMeshWithNormal(const FwModel* model, const Matrix& world, const Vector3& origin,
                         const Vector3& direction, float& distance, Vector3& normal) {
    return RayToMeshWithNormal(NodesOf(model), world, origin, direction, distance, normal);
}

float PushOutFromMesh(const std::vector<FwModelNode>& nodes, Matrix world, const Vector3& origin,
                      const Vector3& direction, float running, Vector3& push) {
    if (running < kFwPushOutNearLimit) return running;

    float t = kFwPushOutMissDistance;
    Vector3 normal;
    if (RayToMeshWithNormal(nodes, world, origin, direction, t, normal)) {
        // t * k is the origin's distance from the face's plane along its normal.
        float k = Dot(-direction, normal);
        float reach = kFwPushOutRadius / k;
        // k > 0 keeps a face met edge-on (k == 0, reach infinite) from
        // writing a NaN push.
        if (k > 0.0f && reach >= t && running > t) push = normal * ((reach - t) * k);
    }
    return running > t ? t : running;
}

float PushOutFromMesh(const FwModel* model, Matrix world, const Vector3& origin, const Vector3& direction,
                      float running, Vector3& push) {
    return PushOutFromMesh(NodesOf(model), world, origin, direction, running, push);
}

bool SphereOverlap(const Vector3& centerA, float radiusA, const Vector3& centerB, float radiusB) {
    Vector3 d = centerA - centerB;
    float distance = std::sqrt(Dot(d, d));
    return radiusA + radiusB > distance;
}

float AngleBetweenDeg(Vector3& a, Vector3& b) {
    a = NormalizeOrZero(a);
    b = NormalizeOrZero(b);
    double cosine = static_cast<double>(Dot(a, b));
    if (cosine > 1.0) cosine = 1.0;
    if (cosine < -1.0) cosine = -1.0;
    return static_cast<float>(std::acos(cosine)) * kFwDegreesPerRadian;
}
