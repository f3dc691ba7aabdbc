// The size of the frame the game draws, in pixels. The window's client area,
// the render targets, the sprites' screen space and the input scripts'
// cursor coordinates all use it; a larger screen shows the frame scaled.
#pragma once

constexpr int kFwFrameWidth = 1280;
constexpr int kFwFrameHeight = 720;
