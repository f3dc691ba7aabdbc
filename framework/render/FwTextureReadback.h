// Tests and tools: what the device holds in one level of a texture.
#pragma once

#include <cstdint>
#include <vector>

class FwTexture;

// The RGBA8 texels of mipmap level `level` of an image texture, top row
// first, with the level's size. False for an empty texture, a target or a
// level the texture does not have.
bool FwReadTextureLevel(const FwTexture& texture, int level, std::vector<uint8_t>& rgba, int& width, int& height);
