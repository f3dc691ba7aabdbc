// The game's shaders are written once, in GLSL 4.50 (FwShaders). The web build
// (WebGL 2) needs GLSL ES 3.00 and gets it from the same text here:
// - "#version 450 core" becomes "#version 300 es" with high default precision;
// - "binding = N" leaves the layout qualifiers (ES 3.00 has none) and is
//   returned instead, for the caller to set after linking (uniform block
//   bindings and sampler units);
// - a vertex shader's main is wrapped: ES has no glClipControl, so the 0..1
//   clip depth the game's projections produce is mapped onto ES's -1..1
//   there (z' = 2z - w), which the default depth range maps back to the same
//   0..1 window depth. Front faces stay clockwise through glFrontFace.
// Pure text work, compiled into every build so the tests check it.
#pragma once

#include <string>
#include <vector>

struct FwShaderBinding {
    std::string name;  // the uniform block's or the sampler's name
    int binding = 0;
    bool sampler = false;
};

struct FwEsShader {
    std::string source;
    std::vector<FwShaderBinding> bindings;
};

// False with a reason in error when the text does not start with the version
// line the game's shaders use.
bool FwToEsShader(const std::string& desktopSource, bool vertex, FwEsShader& out, std::string& error);
