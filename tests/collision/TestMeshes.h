// Small models built in code for the collision and scene-query tests. Meshes
// keep their CPU copies without a graphics device, which is all collision
// reads.
#pragma once

#include <memory>
#include <vector>

#include "framework/math/FwMath.h"
#include "framework/model/FwModel.h"

namespace testmesh {

inline std::shared_ptr<FwMesh> MakeMesh(const std::vector<Vector3>& positions, const std::vector<FwMeshFace>& faces) {
    std::vector<FwMeshVertex> vertices;
    for (const Vector3& p : positions) {
        FwMeshVertex v;
        v.position = p;
        vertices.push_back(v);
    }
    auto mesh = std::make_shared<FwMesh>();
    mesh->Create(vertices, faces, {FwMeshSubset{0, 0, static_cast<int32_t>(faces.size())}});
    return mesh;
}

inline FwModelNode MeshNode(std::shared_ptr<FwMesh> mesh, const Matrix& matrix = Matrix::Identity()) {
    FwModelNode node;
    node.matrix = matrix;
    node.mesh = std::move(mesh);
    return node;
}

// A square of half size `half` in the plane z = `z`, two triangles wound so
// that their winding normal points toward -z (toward a viewer at smaller z).
inline std::shared_ptr<FwMesh> SquareFacingMinusZ(float z, float half = 5.0f) {
    return MakeMesh({{-half, -half, z}, {-half, half, z}, {half, half, z}, {half, -half, z}},
                    {FwMeshFace{{0, 1, 2}}, FwMeshFace{{0, 2, 3}}});
}

// The same square wound the other way (normal toward +z).
inline std::shared_ptr<FwMesh> SquareFacingPlusZ(float z, float half = 5.0f) {
    return MakeMesh({{-half, -half, z}, {-half, half, z}, {half, half, z}, {half, -half, z}},
                    {FwMeshFace{{0, 2, 1}}, FwMeshFace{{0, 3, 2}}});
}

// A model of one mesh node.
inline FwModel ModelOf(std::shared_ptr<FwMesh> mesh, const Matrix& nodeMatrix = Matrix::Identity()) {
    FwModel model;
    model.AddNode(MeshNode(std::move(mesh), nodeMatrix));
    return model;
}

}  // namespace testmesh
