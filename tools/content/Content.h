// The content tool: every file under Data/ is made by code in this folder.
//
// Geometry is authored in GAME coordinates (left-handed, y up, +z forward,
// the player starts at the origin looking along +z). A triangle (a, b, c) is
// front-facing on the side where cross(b - a, c - a) points (outward).
// WriteGltf converts to glTF's right-handed space: positions and normals get
// z negated and each triangle is written as (a, c, b). The game's loader undoes
// exactly that, so what is authored here is what the game sees.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ContentContext {
    std::string dataDir;    // ".../Data"
    std::string docsDir;    // ".../docs"
    std::string sourceDir;  // ".../tools/content" (stage descriptions etc.)
};

// Each writes its part of Data/ (and pictures into docs/). They return false
// and print the reason to stderr on failure.
bool WriteModelsAndImages(const ContentContext& ctx);  // models, textures, contact sheet
bool WriteSounds(const ContentContext& ctx);           // every WAV
bool WriteStages(const ContentContext& ctx);           // stage meshes, coordinate files, maps

// ---- shared mesh authoring (ContentMesh.cpp) ----
struct CMaterial {
    std::string name;
    std::array<float, 4> baseColor{1, 1, 1, 1};
    float metallic = 0.0f;
    float roughness = 0.8f;
    std::array<float, 3> emissive{0, 0, 0};
    std::string baseColorTexture;  // PNG file name next to the .gltf, or empty
    std::string emissiveTexture;   // PNG file name next to the .gltf, or empty
    bool blend = false;            // alphaMode BLEND
};

// One primitive: a material and indexed triangles in game coordinates.
struct CPrimitive {
    int material = 0;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::array<float, 2>> uvs;
    std::vector<uint32_t> indices;
};

struct CNode {
    std::string name;
    std::vector<CPrimitive> primitives;  // empty: a node without mesh
    std::array<float, 3> translation{0, 0, 0};  // game coordinates
};

struct CModel {
    std::vector<CMaterial> materials;
    std::vector<CNode> nodes;  // all root nodes, in order
};

// Writes a text glTF with one embedded base64 buffer, deterministic bytes.
bool WriteGltf(const std::string& path, const CModel& model);
