#include <gtest/gtest.h>

#include <cmath>

#include "app/AdaptiveRenderScale.h"
#include "app/Application.h"

// The frame loop sleeps whatever is left of the integer 16 ms budget (60 fps).
TEST(FramePacing, SleepsTheRestOfTheBudget) {
    EXPECT_EQ(Application::PacingSleepMs(1000, 1005, 60), 11u);  // 5 ms of work
    EXPECT_EQ(Application::PacingSleepMs(1000, 1000, 60), 16u);  // no measurable work
    EXPECT_EQ(Application::PacingSleepMs(1000, 1015, 60), 1u);
}

TEST(FramePacing, OverrunFramesAreNotCompensated) {
    EXPECT_EQ(Application::PacingSleepMs(1000, 1016, 60), 0u);
    EXPECT_EQ(Application::PacingSleepMs(1000, 1020, 60), 0u);  // a 20 ms frame: next one starts at once
    EXPECT_EQ(Application::PacingSleepMs(1000, 900000, 60), 0u);
}

TEST(FramePacing, ClockWrapAroundKeepsTheElapsedTime) {
    // 0xFFFFFFFA -> 0x00000001 is 7 ms, not four billion.
    EXPECT_EQ(Application::PacingSleepMs(0xFFFFFFFAu, 0x00000001u, 60), 9u);
    EXPECT_EQ(Application::PacingSleepMs(0xFFFFFFF0u, 0x00000000u, 60), 0u);  // exactly 16 ms
    EXPECT_EQ(Application::PacingSleepMs(0xFFFFFFFFu, 0xFFFFFFFFu, 60), 16u);
}

TEST(FramePacing, BudgetIsWholeMillisecondsOfTheTarget) {
    EXPECT_EQ(Application::PacingSleepMs(0, 0, 30), 33u);
    EXPECT_EQ(Application::PacingSleepMs(0, 0, 1000), 1u);
    EXPECT_EQ(Application::PacingSleepMs(0, 0, 2000), 0u);  // budget rounds down to 0
    EXPECT_EQ(Application::PacingSleepMs(0, 0, 0), 0u);     // no target: never sleep
}

// The automatic render scale against a simulated machine: a frame costs a
// fixed part plus a part that goes with the 3D pass's pixels.
namespace {
double SimulatedFrameMs(float scale, double fixedMs, double fullFillMs) {
    return fixedMs + fullFillMs * static_cast<double>(scale) * static_cast<double>(scale);
}
// Runs `frames` frames; returns how often the scale changed in the last half.
uint64_t Drive(AdaptiveRenderScale& scaler, int frames, double fixedMs, double fullFillMs) {
    uint64_t changesAtHalf = 0;
    for (int i = 0; i < frames; ++i) {
        if (i == frames / 2) changesAtHalf = scaler.Changes();
        scaler.OnFrame(SimulatedFrameMs(scaler.Scale(), fixedMs, fullFillMs));
    }
    return scaler.Changes() - changesAtHalf;
}
}  // namespace

TEST(AdaptiveScale, SettlesWhereFramesFitAndReturnsWhenFree) {
    AdaptiveRenderScale scaler;
    // 3 ms fixed + 22 ms of fill at full scale (25 ms frames): 0.7 gives
    // 13.8 ms, 0.8 would give 17.1 ms.
    EXPECT_EQ(Drive(scaler, 2000, 3.0, 22.0), 0u) << "the scale kept moving: it pumps";
    EXPECT_FLOAT_EQ(scaler.Scale(), 0.7f);
    EXPECT_LT(SimulatedFrameMs(scaler.Scale(), 3.0, 22.0), AdaptiveRenderScale::kBudgetMs);
    // The machine becomes free: back to full scale, one step at a time.
    Drive(scaler, 2000, 2.0, 8.0);
    EXPECT_FLOAT_EQ(scaler.Scale(), 1.0f);
    // Far too slow: never below the floor.
    Drive(scaler, 2000, 5.0, 200.0);
    EXPECT_FLOAT_EQ(scaler.Scale(), AdaptiveRenderScale::kMinScale);
}

TEST(AdaptiveScale, LoneSlowFramesAndBadTimesDoNotMoveIt) {
    AdaptiveRenderScale scaler;
    for (int i = 0; i < 3000; ++i) {
        double ms = 9.0;
        if (i % 30 == 7) ms = 250.0;   // a load or a hitch twice a second
        if (i % 97 == 3) ms = -4.0;    // a clock that went back
        if (i % 89 == 5) ms = std::nan("");
        scaler.OnFrame(ms);
    }
    EXPECT_FLOAT_EQ(scaler.Scale(), 1.0f);
    EXPECT_EQ(scaler.Changes(), 0u);
}
