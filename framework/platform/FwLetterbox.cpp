#include "framework/platform/FwLetterbox.h"

#include <algorithm>
#include <cstdint>

namespace {

// Rounds toward minus infinity (points left of or above the box are negative).
int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// One axis of FwWindowToFrame: the frame pixel whose span holds the centre of
// output pixel `window`.
int ToFrame(int window, int boxStart, int boxSize, int frameSize) {
    int64_t f = FloorDiv((2 * static_cast<int64_t>(window - boxStart) + 1) * frameSize, 2 * static_cast<int64_t>(boxSize));
    return static_cast<int>(std::clamp<int64_t>(f, 0, frameSize - 1));
}

// One axis of FwFrameToWindow: the output pixel that holds the centre of
// frame pixel `frame`.
int ToWindow(int frame, int boxStart, int boxSize, int frameSize) {
    int64_t f = std::clamp(frame, 0, frameSize - 1);
    return boxStart + static_cast<int>(FloorDiv((2 * f + 1) * boxSize, 2 * static_cast<int64_t>(frameSize)));
}

}  // namespace

FwRect FwLetterboxRect(int frameWidth, int frameHeight, int outputWidth, int outputHeight) {
    if (frameWidth <= 0 || frameHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) return {};
    const int64_t fw = frameWidth, fh = frameHeight, ow = outputWidth, oh = outputHeight;
    FwRect box;
    if (ow * fh <= oh * fw) {
        // The output is narrower than the frame (or the same shape): full
        // width, bars above and below.
        box.width = outputWidth;
        box.height = static_cast<int>((2 * ow * fh + fw) / (2 * fw));
    } else {
        box.height = outputHeight;
        box.width = static_cast<int>((2 * oh * fw + fh) / (2 * fh));
    }
    box.width = std::clamp(box.width, 1, outputWidth);
    box.height = std::clamp(box.height, 1, outputHeight);
    box.x = (outputWidth - box.width) / 2;
    box.y = (outputHeight - box.height) / 2;
    return box;
}

FwPoint FwWindowToFrame(FwPoint window, const FwRect& box, int frameWidth, int frameHeight) {
    if (frameWidth <= 0 || frameHeight <= 0) return {};
    if (box.width <= 0 || box.height <= 0) return {frameWidth / 2, frameHeight / 2};
    return {ToFrame(window.x, box.x, box.width, frameWidth), ToFrame(window.y, box.y, box.height, frameHeight)};
}

FwPoint FwFrameToWindow(FwPoint frame, const FwRect& box, int frameWidth, int frameHeight) {
    if (frameWidth <= 0 || frameHeight <= 0) return {box.x, box.y};
    return {ToWindow(frame.x, box.x, box.width, frameWidth), ToWindow(frame.y, box.y, box.height, frameHeight)};
}
