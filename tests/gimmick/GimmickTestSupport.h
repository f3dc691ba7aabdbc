// Shared set-up of the gimmick tests: a fake platform whose virtual sound
// device runs on a hand-advanced clock, and the trace events of every frame
// (sound plays and stops) collected for counting.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/FwTrace.h"
#include "framework/audio/FwAudio.h"
#include "tests/support/FakePlatform.h"

class GimmickTest : public ::testing::Test {
protected:
    static constexpr uint32_t kFrameMs = 16;

    void SetUp() override {
        FwAudioManager::GetInstance().Init();
        ASSERT_NE(FwAudioManager::GetInstance().Device(), nullptr) << "the fake platform's virtual device";
        FwSetTraceSink([this](const std::string& e) { events.push_back(e); });
    }
    void TearDown() override {
        FwSetTraceSink(nullptr);
        FwAudioManager::GetInstance().Release();
    }

    // End of one game frame: the clock moves on and finished sounds are
    // pruned, as in the frame loop. Returns the events of that frame.
    std::vector<std::string> EndFrame() {
        std::vector<std::string> frame(events.begin() + static_cast<long>(frameStart_), events.end());
        frameStart_ = events.size();
        platform.clockMs += kFrameMs;
        FwAudioManager::GetInstance().Update();
        return frame;
    }

    int Count(const std::string& e) const { return static_cast<int>(std::count(events.begin(), events.end(), e)); }
    static bool Has(const std::vector<std::string>& frame, const std::string& e) {
        return std::find(frame.begin(), frame.end(), e) != frame.end();
    }

    FakePlatform platform;
    std::vector<std::string> events;

private:
    size_t frameStart_ = 0;
};
