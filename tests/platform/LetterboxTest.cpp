// Desktop fullscreen: the 1280 x 720 frame scaled into the screen between
// black bars, and the cursor mapped through the same rectangle.
#include <gtest/gtest.h>

#include "framework/platform/FwLetterbox.h"

namespace {
constexpr int kW = 1280;
constexpr int kH = 720;
}  // namespace

TEST(Letterbox, FitsTheFrameCentredWithBarsWhereTheAspectDiffers) {
    // Same aspect: the whole output, at any size.
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1280, 720), (FwRect{0, 0, 1280, 720}));
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1920, 1080), (FwRect{0, 0, 1920, 1080}));
    EXPECT_EQ(FwLetterboxRect(kW, kH, 3840, 2160), (FwRect{0, 0, 3840, 2160}));
    // 16:10 is taller: bars above and below.
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1920, 1200), (FwRect{0, 60, 1920, 1080}));
    // 4:3 is taller still; 1024 x 576 fits.
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1024, 768), (FwRect{0, 96, 1024, 576}));
    // 21:9 is wider: bars left and right.
    EXPECT_EQ(FwLetterboxRect(kW, kH, 2560, 1080), (FwRect{320, 0, 1920, 1080}));
    // Odd leftovers: the extra bar pixel goes to the right / bottom.
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1281, 720), (FwRect{0, 0, 1280, 720}));
    // 1366 x 768 is a hair wider than 16:9 (768 * 16 / 9 = 1365.3).
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1366, 768), (FwRect{0, 0, 1365, 768}));
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1367, 768), (FwRect{1, 0, 1365, 768}));
    // Portrait screens keep the whole frame visible.
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1080, 1920), (FwRect{0, 656, 1080, 608}));
}

TEST(Letterbox, EmptyOutputsAndFramesGiveAnEmptyRectangle) {
    EXPECT_EQ(FwLetterboxRect(kW, kH, 0, 0), FwRect{});
    EXPECT_EQ(FwLetterboxRect(kW, kH, 1920, 0), FwRect{});
    EXPECT_EQ(FwLetterboxRect(0, kH, 1920, 1080), FwRect{});
    EXPECT_EQ(FwLetterboxRect(kW, kH, -5, 1080), FwRect{});
    // A sliver of output still gets at least one pixel, never a negative size.
    FwRect thin = FwLetterboxRect(kW, kH, 1, 1080);
    EXPECT_EQ(thin.width, 1);
    EXPECT_GE(thin.height, 1);
}

TEST(Letterbox, CursorMapsIntoFramePixels) {
    // Windowed: the identity.
    const FwRect window{0, 0, kW, kH};
    for (FwPoint p : {FwPoint{0, 0}, FwPoint{640, 360}, FwPoint{1279, 719}, FwPoint{240, 560}}) {
        FwPoint f = FwWindowToFrame(p, window, kW, kH);
        EXPECT_EQ(f.x, p.x);
        EXPECT_EQ(f.y, p.y);
    }
    // 1920 x 1200 screen: 1.5x, 60-pixel bars above and below.
    const FwRect box = FwLetterboxRect(kW, kH, 1920, 1200);
    FwPoint centre = FwWindowToFrame({960, 600}, box, kW, kH);
    EXPECT_EQ(centre.x, 640);
    EXPECT_EQ(centre.y, 360);
    FwPoint topLeft = FwWindowToFrame({0, 60}, box, kW, kH);
    EXPECT_EQ(topLeft.x, 0);
    EXPECT_EQ(topLeft.y, 0);
    FwPoint bottomRight = FwWindowToFrame({1919, 1139}, box, kW, kH);
    EXPECT_EQ(bottomRight.x, 1279);
    EXPECT_EQ(bottomRight.y, 719);
    // The clear menu's buttons (frame y 560, x 240 / 640 / 1040) are where
    // they are drawn: 1.5 times further from the box's corner.
    for (int x : {240, 640, 1040}) {
        FwPoint f = FwWindowToFrame({x * 3 / 2, 60 + 560 * 3 / 2}, box, kW, kH);
        EXPECT_EQ(f.x, x);
        EXPECT_EQ(f.y, 560);
    }
}

TEST(Letterbox, CursorOnTheBarsClampsToTheNearestFrameEdge) {
    const FwRect box = FwLetterboxRect(kW, kH, 2560, 1080);  // bars 320 wide left and right
    FwPoint left = FwWindowToFrame({10, 540}, box, kW, kH);
    EXPECT_EQ(left.x, 0);
    EXPECT_EQ(left.y, 360);
    FwPoint right = FwWindowToFrame({2559, 1079}, box, kW, kH);
    EXPECT_EQ(right.x, 1279);
    EXPECT_EQ(right.y, 719);
    FwPoint outside = FwWindowToFrame({-40, -3}, box, kW, kH);
    EXPECT_EQ(outside.x, 0);
    EXPECT_EQ(outside.y, 0);
    // An empty box (minimised window) reads the frame centre, never divides by zero.
    FwPoint none = FwWindowToFrame({100, 100}, FwRect{}, kW, kH);
    EXPECT_EQ(none.x, 640);
    EXPECT_EQ(none.y, 360);
}

// Warping the real cursor to a frame pixel and reading it back gives the same
// pixel whenever the frame is shown at least at its own size, so the player's
// "warp to the centre, read the offset" sees no drift in fullscreen.
TEST(Letterbox, FrameToWindowRoundTripsAtEveryUpscale) {
    const int outputs[][2] = {{1280, 720}, {1920, 1080}, {1920, 1200}, {2560, 1080}, {1366, 768}, {3440, 1440}, {1600, 1200}};
    for (const auto& out : outputs) {
        const FwRect box = FwLetterboxRect(kW, kH, out[0], out[1]);
        for (int x = 0; x < kW; x += 7) {
            FwPoint w = FwFrameToWindow({x, x * kH / kW}, box, kW, kH);
            EXPECT_GE(w.x, box.x);
            EXPECT_LT(w.x, box.x + box.width);
            FwPoint back = FwWindowToFrame(w, box, kW, kH);
            ASSERT_EQ(back.x, x) << out[0] << "x" << out[1];
            ASSERT_EQ(back.y, x * kH / kW) << out[0] << "x" << out[1];
        }
    }
    // The centre the player warps to lands on the screen's centre.
    FwPoint centre = FwFrameToWindow({640, 360}, FwLetterboxRect(kW, kH, 1920, 1080), kW, kH);
    EXPECT_EQ(centre.x, 960);
    EXPECT_EQ(centre.y, 540);
}
