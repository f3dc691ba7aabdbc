// glTF 2.0 reader: parses a text or binary glTF file with tinygltf and turns
// it into an intermediate model in the game's conventions (left-handed, z
// mirrored, winding reversed), one flattened vertex/face list per node.
// FwModel::Load builds the runtime model from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/math/FwMath.h"
#include "framework/model/FwModel.h"

struct FwGLTFNode {
    std::string name;
    int32_t index = 0;                                // position in the node list (= glTF index)
    std::vector<std::shared_ptr<FwGLTFNode>> children;  // glTF order
    Matrix localMatrix;                               // own transform, left-handed
    Matrix combinedMatrix;                            // local x parent's combined (nothing reads it yet)
    bool hasMesh = false;
    std::vector<FwMeshVertex> vertices;  // every triangle primitive, concatenated
    std::vector<FwMeshFace> faces;       // indices already offset into vertices
    std::vector<FwMeshSubset> subsets;   // one per primitive, sorted by material
};

struct FwGLTFMaterial {
    std::string name;
    std::string alphaMode = "OPAQUE";
    float alphaCutoff = 0.5f;
    bool doubleSided = false;
    std::string baseColorTexture;  // image URI; empty when there is none
    float baseColorFactor[4] = {1, 1, 1, 1};
    std::string metallicRoughnessTexture;
    float metallicFactor = 1.0f;
    float roughnessFactor = 1.0f;
    std::string emissiveTexture;
    float emissiveFactor[3] = {0, 0, 0};
    std::string normalTexture;
    std::string occlusionTexture;
};

struct FwGLTFModel {
    std::vector<std::shared_ptr<FwGLTFNode>> nodes;      // glTF order
    std::vector<std::shared_ptr<FwGLTFNode>> rootNodes;  // the first scene's nodes, in scene order
    std::vector<FwGLTFMaterial> materials;               // glTF order
};

// What a model file may hold. The game's largest model is under 1 MB with
// about 12,000 vertices; these leave ample room while keeping a hostile file
// from taking the machine's memory (every node holds its own copy of its
// mesh, so a small file can name one large mesh many times).
struct FwGLTFLimits {
    static constexpr uint64_t kMaxFileBytes = 16u << 20;  // the model file and each buffer file
    static constexpr uint64_t kMaxVertices = 1u << 20;    // over every node of the model
    static constexpr uint64_t kMaxTriangles = 1u << 20;
};

// FwModel::Load: reads and parses the file. A file starting with the 4-byte
// magic "glTF" is read as binary glTF, anything else as text. Returns null
// when the file is missing or not a regular file, is larger than the limits,
// does not parse, or refers to data outside its buffers; error (when given)
// then holds the reason in one line, without the path. Prints nothing.
std::shared_ptr<FwGLTFModel> FwLoadGLTFModel(const std::string& path, std::string* error = nullptr);

// FwLoadGLTFModel and the glTF fuzz target: the same from the file's bytes.
// Buffer files named by relative URIs are read from directory (ending in
// '/'), never from outside it; an empty directory reads no file at all.
std::shared_ptr<FwGLTFModel> FwParseGLTFModel(const std::vector<unsigned char>& bytes, const std::string& directory,
                                              std::string* error = nullptr);
