// CPU copies of the uniform blocks the shaders read. Each mirrors a std140
// block of FwShaders.cpp byte for byte (checked below and against the GL
// program's reported offsets by FwShaderManager::VerifyBlockLayouts).
// Matrices are stored row-major and read by row_major blocks, so the game's
// row-vector products hold unchanged in GLSL.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/math/FwMath.h"

// GL uniform buffer binding points. Each shader set numbers its blocks from
// its own slot 0 (the comments below give that slot: the sprite, object and
// effect blocks all sit in their set's slot 0); GL bindings are global, so
// each block gets its own point.
namespace FwBlockBinding {
constexpr uint32_t Object = 0;      // cbObject     (model shader slot 0)
constexpr uint32_t Material = 1;    // cbMaterial   (model shader slot 1)
constexpr uint32_t PerObject = 2;   // cbPerObject  (effect shader slot 0)
constexpr uint32_t Sprite = 3;      // cbSprite     (sprite shader slot 0)
constexpr uint32_t Projection = 4;  // cbProjection (sprite shader slot 1)
constexpr uint32_t Camera = 7;      // cbCamera     (slot 7, every shader)
constexpr uint32_t Light = 8;       // cbLight      (slot 8, every shader)
}  // namespace FwBlockBinding

struct FwCbSprite {
    Matrix g_mTransform;
    Vector4 g_color{1, 1, 1, 1};
};
static_assert(sizeof(FwCbSprite) == 80);
static_assert(offsetof(FwCbSprite, g_color) == 64);

struct FwCbProjection {
    Matrix g_mProj;
};
static_assert(sizeof(FwCbProjection) == 64);

struct FwCbCamera {
    Matrix g_mV;
    Matrix g_mP;
    Vector3 g_CamPos{0, 0, 0};
    int32_t g_DistanceFogEnable = 0;
    Vector3 g_DistanceFogColor{1, 1, 1};
    float g_DistanceFogDensity = 0.001f;
};
static_assert(sizeof(FwCbCamera) == 160);
static_assert(offsetof(FwCbCamera, g_mP) == 64);
static_assert(offsetof(FwCbCamera, g_CamPos) == 128);
static_assert(offsetof(FwCbCamera, g_DistanceFogEnable) == 140);
static_assert(offsetof(FwCbCamera, g_DistanceFogColor) == 144);
static_assert(offsetof(FwCbCamera, g_DistanceFogDensity) == 156);

constexpr int kMaxPointLights = 100;

struct FwPointLight {
    Vector3 color{3, 3, 3};
    float radius = 0.0f;
    Vector3 position{0, 0, 0};
    float filler = 0.0f;
};
static_assert(sizeof(FwPointLight) == 32);
static_assert(offsetof(FwPointLight, radius) == 12);
static_assert(offsetof(FwPointLight, position) == 16);

struct FwCbLight {
    Vector3 g_AmbientLight{0, 0, 0};
    float pad0 = 0.0f;
    Vector3 g_DL_Dir{0, -1, 0};
    float pad1 = 0.0f;
    Vector3 g_DL_Color{1, 1, 1};
    float pad2 = 0.0f;
    FwPointLight g_PL[kMaxPointLights];
    int32_t g_PL_Num = 0;
    int32_t pad3[3] = {0, 0, 0};
};
static_assert(sizeof(FwCbLight) == 3264);
static_assert(offsetof(FwCbLight, g_DL_Dir) == 16);
static_assert(offsetof(FwCbLight, g_DL_Color) == 32);
static_assert(offsetof(FwCbLight, g_PL) == 48);
static_assert(offsetof(FwCbLight, g_PL_Num) == 3248);

struct FwCbObject {
    Matrix g_mW;
    Vector2 g_UVOffset{0, 0};
    Vector2 g_UVTiling{1, 1};
    int32_t g_LightEnable = 1;
    float g_AlphaTestThreshold = 0.0f;
    float pad[2] = {0, 0};
};
static_assert(sizeof(FwCbObject) == 96);
static_assert(offsetof(FwCbObject, g_UVOffset) == 64);
static_assert(offsetof(FwCbObject, g_UVTiling) == 72);
static_assert(offsetof(FwCbObject, g_LightEnable) == 80);
static_assert(offsetof(FwCbObject, g_AlphaTestThreshold) == 84);

// g_Material of cbMaterial: the material of the subset being drawn.
struct FwCbMaterial {
    Vector4 baseColor{0, 0, 0, 0};
    Vector3 emissive{0, 0, 0};
    float metallic = 0.0f;
    float roughness = 0.0f;
    float pad[3] = {0, 0, 0};
};
static_assert(sizeof(FwCbMaterial) == 48);
static_assert(offsetof(FwCbMaterial, emissive) == 16);
static_assert(offsetof(FwCbMaterial, metallic) == 28);
static_assert(offsetof(FwCbMaterial, roughness) == 32);

struct FwCbPerObject {
    Matrix g_mW;
    Vector2 g_UVOffset{0, 0};
    Vector2 g_UVTiling{1, 1};
    float g_AlphaTestThreshold = 0.0f;
    float pad[3] = {0, 0, 0};
};
static_assert(sizeof(FwCbPerObject) == 96);
static_assert(offsetof(FwCbPerObject, g_UVOffset) == 64);
static_assert(offsetof(FwCbPerObject, g_UVTiling) == 72);
static_assert(offsetof(FwCbPerObject, g_AlphaTestThreshold) == 80);
