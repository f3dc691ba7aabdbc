// Shared fixture of the stage-object tests: a fake platform with its virtual
// sound device, and the trace events (sounds) collected per test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/FwTrace.h"
#include "framework/audio/FwAudio.h"
#include "framework/resource/FwResourceFactory.h"
#include "tests/support/FakePlatform.h"

struct StageObjectTest : ::testing::Test {
    FakePlatform platform;
    std::vector<std::string> events;

    void SetUp() override {
        FwAudioManager::GetInstance().Init();
        // Sounds cached by an earlier test belong to its device.
        FwResourceFactory::GetInstance().ClearForTests();
        FwSetTraceSink([this](const std::string& e) { events.push_back(e); });
    }
    void TearDown() override {
        FwSetTraceSink(nullptr);
        FwAudioManager::GetInstance().Release();
        FwResourceFactory::GetInstance().ClearForTests();
    }
    int Count(const std::string& e) const { return static_cast<int>(std::count(events.begin(), events.end(), e)); }
};

inline ::testing::AssertionResult MatrixNear(const Matrix& a, const Matrix& b, float eps) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (std::fabs(a.m[i][j] - b.m[i][j]) > eps)
                return ::testing::AssertionFailure()
                       << "element [" << i << "][" << j << "]: " << a.m[i][j] << " vs " << b.m[i][j];
    return ::testing::AssertionSuccess();
}
