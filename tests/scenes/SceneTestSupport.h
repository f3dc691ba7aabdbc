// Shared set-up of the scene tests: a fake platform, a data folder with
// small generated WAV files (so music and the confirm sound really play on
// the virtual audio device), a trace sink that records events per frame and
// a frame driver that mirrors the frame loop (audio update, scene update).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakePlatform.h"

// The one platform of the test process (installed by the test environment).
FakePlatform& TestPlatform();

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One frame of the game loop; returns the trace events of that frame.
    std::vector<std::string> RunFrame();
    // Runs n frames, dropping their events into allEvents_.
    void RunFrames(int n);
    // How often an event was reported since SetUp.
    int CountEvents(const std::string& event) const;

    FakePlatform& platform_ = TestPlatform();
    std::vector<std::string> frameEvents_;
    std::vector<std::string> allEvents_;
};
