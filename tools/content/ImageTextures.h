// Procedural surface textures for the models: seeded, tileable where a
// surface repeats them, small (64 to 256 pixels a side).
#pragma once

#include <cstdint>

#include "tools/content/ImageCanvas.h"

// Polished marble floor: 2 x 2 tiles per image with thin joints.
Canvas TexMarbleTiles(int size, Rgba base, Rgba vein, uint32_t seed);
// Plain marble without joints (pedestals, slabs).
Canvas TexMarble(int size, Rgba base, Rgba vein, uint32_t seed);
// Dressed stone blocks in running bond, 4 courses per image.
Canvas TexStoneBlocks(int size, Rgba stone, Rgba mortar, uint32_t seed);
// Brushed dark metal with faint scratches.
Canvas TexBrushedMetal(int size, Rgba base, uint32_t seed);
// Gold or brass: a warm metal with soft mottling.
Canvas TexGold(int size, Rgba base, uint32_t seed);
// Polished wood with grain along x.
Canvas TexWood(int size, Rgba base, uint32_t seed);
// Velvet cloth.
Canvas TexVelvet(int size, Rgba base, uint32_t seed);
// A wooden crate face with a dark steel rim, corner rivets and a brass plate.
Canvas TexCrate(int size, uint32_t seed);
// A vault door panel: steel plates, brass bands and rivets, hazard hem.
Canvas TexDoorPanel(int size, uint32_t seed);
// Riveted steel wall plates (2 x 2 per image) with a thin gold seam.
Canvas TexVaultWall(int size, uint32_t seed);
// A clock dial: ivory face, twelve ticks, a dark rim (no hand).
Canvas TexClockFace(int size);
// A button cap: grey concentric grooves for tinting by the material colour.
Canvas TexButtonCap(int size);
// A framed-canvas painting; `theme` picks one of four subjects.
Canvas TexPainting(int w, int h, int theme, uint32_t seed);
// Coffered ceiling panel.
Canvas TexCeiling(int size, Rgba base, uint32_t seed);
// Glass: almost white with faint diagonal streaks (tinted by the material).
Canvas TexGlass(int size, uint32_t seed);
// Warm light panel for emissive fixtures: bright centre, soft edge.
Canvas TexLightPanel(int size);
