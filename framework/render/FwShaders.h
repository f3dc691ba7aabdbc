// Internal to framework/render: GLSL 4.50 sources of the game's three shader
// sets. Uniform block bindings and layouts match the CPU structs of
// FwShaderBlocks.h; docs/conventions.md lists them.
#pragma once

#include <string>

namespace FwShaders {
std::string ModelVertex();
std::string ModelFragment();
std::string EffectVertex();
std::string EffectFragment();
std::string SpriteVertex();
std::string SpriteFragment();
}  // namespace FwShaders
