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

// FwModel::Load: parses the file. A file starting with the 4-byte magic
// "glTF" is read as binary glTF, anything else as text. Returns null (after
// printing the reason to standard output) when the file is missing, does not
// parse, or refers to data outside its buffers.
std::shared_ptr<FwGLTFModel> FwLoadGLTFModel(const std::string& path);
