#include <gtest/gtest.h>

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
