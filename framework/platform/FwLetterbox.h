// Showing the game's fixed-size frame in a window of another size (desktop
// fullscreen): the frame is scaled uniformly to the largest size that fits,
// centred, with black bars where the aspect ratios differ. The mouse is
// mapped through the same rectangle, so the game always sees cursor
// positions in frame pixels (0..width-1, 0..height-1) wherever it is shown.
//
// Pure functions: FwDirect3D::Present places its blit with FwLetterboxRect,
// the SDL platform maps the cursor with the other two.
#pragma once

#include "framework/platform/FwPlatform.h"

// A rectangle in output pixels, (x, y) its top left, y growing downwards.
struct FwRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const FwRect&) const = default;
};

// Where a frame of frameWidth x frameHeight shows in an output of
// outputWidth x outputHeight: the largest rectangle of the frame's aspect
// ratio (rounded to whole pixels) centred in the output; the whole output
// when the ratios match, an empty rectangle for an empty output or frame.
FwRect FwLetterboxRect(int frameWidth, int frameHeight, int outputWidth, int outputHeight);

// The frame pixel under the output pixel `window` when the frame is shown in
// `box`. Points on the bars map to the nearest frame edge pixel.
FwPoint FwWindowToFrame(FwPoint window, const FwRect& box, int frameWidth, int frameHeight);

// The output pixel at the centre of frame pixel `frame` shown in `box` (used
// to place the real cursor); FwWindowToFrame of it gives `frame` back.
FwPoint FwFrameToWindow(FwPoint frame, const FwRect& box, int frameWidth, int frameHeight);
