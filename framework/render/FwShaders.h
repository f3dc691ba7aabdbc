// Internal to framework/render: GLSL 4.50 sources of the game's three shader
// sets. Uniform block bindings and layouts match the CPU structs of
// FwShaderBlocks.h; docs/conventions.md lists them.
#pragma once

#include <cstdint>
#include <string>

namespace FwShaders {

// What a specialised model fragment shader computes; everything left out is
// what the general shader would compute from a default (1x1 white texture,
// zero emissive factor, no point light, no fog), so both give the same pixels.
namespace ModelFeature {
constexpr uint32_t BaseTexture = 1u << 0;       // samples g_baseTex (else white)
constexpr uint32_t MetalRoughTexture = 1u << 1;  // samples g_mrTex (else white)
constexpr uint32_t EmissiveFactor = 1u << 2;     // adds the emissive factor (else zero)
constexpr uint32_t EmissiveTexture = 1u << 3;    // ... times g_emissiveTex (with EmissiveFactor)
constexpr uint32_t EmissiveIsBase = 1u << 4;     // ... times the base sample (same image)
constexpr uint32_t PointLights = 1u << 5;        // runs the point-light loop
constexpr uint32_t Fog = 1u << 6;                // applies distance fog
constexpr uint32_t NoAlphaTest = 1u << 7;        // never discards: for colours whose alpha is 1 everywhere
constexpr uint32_t Count = 1u << 8;              // number of feature sets
}  // namespace ModelFeature

std::string ModelVertex();
// The general model shader: every texture read, the point-light loop and fog.
std::string ModelFragment();
// A specialised model shader with only the given ModelFeature bits.
std::string ModelFragment(uint32_t features);
// Depth pre-pass of solid model subsets: writes nothing but depth (used with
// ModelVertex, so positions match the colour pass exactly).
std::string ModelDepthFragment();
std::string EffectVertex();
std::string EffectFragment();
std::string SpriteVertex();
std::string SpriteFragment();
}  // namespace FwShaders
