// What the harness writes while the game runs: the per-frame JSON trace and
// the requested screenshots. Installed as the application's frame observer.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/harness/HarnessOptions.h"

class BaseScene;

class HarnessRecorder {
public:
    explicit HarnessRecorder(const HarnessOptions& options);

    // Harness start-up: opens the trace file; false with a reason in error.
    bool Open(std::string& error);
    // Trace sink: an event of the frame in progress.
    void AddEvent(const std::string& event) { events_.push_back(event); }
    // Frame observer: records frame (after it was presented); returns false
    // once the last frame has run or writing failed.
    bool OnFrame(uint64_t frame);

    // After the run: the first write failure, or a requested shot that was
    // never taken. Empty when all went well.
    std::string Failure() const;
    uint64_t LastFrame() const { return lastFrame_; }

    // The trace object of one frame (scene may be null).
    static nlohmann::json FrameRecord(uint64_t frame, const BaseScene* scene, const std::vector<std::string>& events);

private:
    bool WriteShots(uint64_t frame);

    uint64_t frameLimit_;
    std::string traceFile_;
    std::vector<HarnessShot> shots_;
    std::vector<bool> shotTaken_;
    std::ofstream trace_;
    std::vector<std::string> events_;
    std::string failure_;
    uint64_t lastFrame_ = 0;
};

// Writes RGBA pixels (top row first) as an opaque RGB PNG.
bool HarnessWritePng(const std::string& file, const std::vector<uint8_t>& rgba, int width, int height);
