// Mouse hit test of the menus: the cursor, taken as a 32 x 32 pixel box,
// against a screen rectangle in sprite coordinates (pixels, origin at the
// client area's centre, x right, y up).
#pragma once

#include "framework/math/FwMath.h"

// Half the side of the box the cursor is taken as.
constexpr int kCursorHalfSize = 16;

// Stage-select menu (hover and tint), every frame: true when the cursor box
// overlaps the rectangle of the given centre and size. Edges that only touch
// do not count.
bool CursorOverRect(const Vector3& centre, float width, float height);
