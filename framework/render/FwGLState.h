// Internal to framework/render: whether GL may be called right now.
//
// FwDirect3D::Init turns it on once the context is usable and Release turns it
// off. Buffers and textures check it before every GL call, so they work as
// plain CPU objects in tests without a GPU and can be destroyed safely after
// the device is gone. Each Init starts a new generation; a GL name created in
// an older generation belongs to a context that no longer exists and is never
// passed to GL again.
#pragma once

#include <cstdint>

namespace FwGL {
bool Live();
uint32_t Generation();
// FwDirect3D only.
void BeginGeneration();
void EndGeneration();
// True when GL is live and the name was created in the current generation.
inline bool Owns(uint32_t generation) { return Live() && generation == Generation(); }
}  // namespace FwGL
