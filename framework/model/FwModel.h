// Runtime model: a glTF 2.0 file turned into a flat node list whose
// mesh-bearing nodes carry GPU buffers (drawing) and CPU copies of positions
// and faces (collision queries), plus the material list.
//
// Positions and normals are z-mirrored into the game's left-handed world and
// the triangle winding is reversed to keep front faces front.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/math/FwMath.h"
#include "framework/render/FwBuffer.h"

class FwTexture;

// 36 bytes, the vertex buffer layout of the model shader.
struct FwMeshVertex {
    Vector3 position;
    Vector2 uv;
    Vector3 normal;
    uint32_t color = 0xFFFFFFFF;  // RGBA8, red in the lowest byte
};
static_assert(sizeof(FwMeshVertex) == 36, "mesh vertex layout");

struct FwMeshFace {
    uint32_t idx[3] = {0, 0, 0};
};

struct FwMeshSubset {
    int32_t materialIndex = 0;
    int32_t firstFace = 0;
    int32_t faceCount = 0;
};

class FwMesh {
public:
    // Creates the GPU buffers and the CPU copies; releases previous content.
    bool Create(const std::vector<FwMeshVertex>& vertices, const std::vector<FwMeshFace>& faces,
                const std::vector<FwMeshSubset>& subsets);
    // Binds vertex buffer (stride 36), index buffer (32-bit) and triangle list.
    void SetToDevice() const;
    // Draws one subset's faces; invalid index or empty subset draws nothing.
    void DrawSubset(int subset) const;
    void Release();

    const std::vector<FwMeshSubset>& Subsets() const { return subsets_; }
    const std::vector<Vector3>& Positions() const { return positions_; }
    const std::vector<FwMeshFace>& Faces() const { return faces_; }
    const Vector3& BoxCenter() const { return boxCenter_; }
    const Vector3& BoxExtents() const { return boxExtents_; }
    const Vector3& SphereCenter() const { return sphereCenter_; }
    float SphereRadius() const { return sphereRadius_; }
    // FwShaderManager, sorting see-through subsets back to front: the centre
    // of the box around a subset's vertices (the origin for an invalid or
    // empty subset).
    Vector3 SubsetCenter(int subset) const;
    // FwShaderManager: true when every vertex colour has alpha 255, so the
    // colours never make a pixel see-through.
    bool OpaqueVertexColors() const { return opaqueVertexColors_; }

private:
    FwBuffer vertexBuffer_;
    FwBuffer indexBuffer_;
    std::vector<FwMeshSubset> subsets_;
    std::vector<Vector3> subsetCenters_;
    bool opaqueVertexColors_ = true;
    Vector3 boxCenter_, boxExtents_;
    Vector3 sphereCenter_;
    float sphereRadius_ = 0.0f;
    std::vector<Vector3> positions_;
    std::vector<FwMeshFace> faces_;
};

struct FwModelNode {
    std::string name;
    int32_t index = 0;
    Matrix matrix;                 // the node's local transform (left-handed)
    std::shared_ptr<FwMesh> mesh;  // empty when the node has no mesh
};

// How a material's alpha is meant (glTF alphaMode): Opaque and Mask draw
// among the solid parts; Blend is see-through, drawn after them.
enum class FwAlphaMode { Opaque, Mask, Blend };

struct FwModelMaterial {
    std::string name;
    FwAlphaMode alphaMode = FwAlphaMode::Opaque;
    std::shared_ptr<FwTexture> baseColorTexture;  // default white when missing
    Vector4 baseColor{1, 1, 1, 1};
    std::shared_ptr<FwTexture> metallicRoughnessTexture;
    float metallic = 1.0f;
    float roughness = 1.0f;
    std::shared_ptr<FwTexture> emissiveTexture;
    Vector3 emissive{0, 0, 0};
    std::shared_ptr<FwTexture> normalTexture;  // empty texture when missing

    // FwShaderManager: drawn after the model's other subsets, back to front,
    // without depth writes (alphaMode Blend, or a base colour alpha below 1).
    bool IsSeeThrough() const { return alphaMode == FwAlphaMode::Blend || baseColor.w < 1.0f; }
};

class FwModel {
public:
    // Clears, then loads a glTF file (text or binary). False when it does not
    // load: the model then stays empty (draws nothing, is never hit), and the
    // path with the reason is reported on standard error (FwReportLoadFailure).
    bool Load(const std::string& path);
    // Game scene, after a failed stage mesh: "<path>: <reason>" of the last
    // failed Load; empty after a success or Clear.
    const std::string& LoadError() const { return loadError_; }
    // Game scene, naming the stage mesh: the file of the last Load, loaded
    // or not; empty after Clear or for a model built in code.
    const std::string& Path() const { return path_; }
    // Game scene, checking the stage mesh: triangles over every node's mesh.
    size_t TriangleCount() const;
    void Clear();
    // Builds a model in code (tests, generated geometry): appends a node, and
    // to the mesh-node list as well when isRoot.
    void AddNode(const FwModelNode& node, bool isRoot = true);
    void AddMaterial(const FwModelMaterial& material);

    const std::vector<FwModelNode>& Nodes() const { return nodes_; }
    const std::vector<FwModelNode>& MeshNodes() const { return meshNodes_; }
    const std::vector<FwModelMaterial>& Materials() const { return materials_; }

private:
    std::vector<FwModelNode> nodes_;
    std::vector<FwModelNode> meshNodes_;
    std::vector<FwModelMaterial> materials_;
    std::string loadError_;
    std::string path_;
};
