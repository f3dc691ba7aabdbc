#include "tools/harness/HarnessRecorder.h"

#include <stb_image_write.h>

#include <cmath>

#include "scene/BaseScene.h"
#include "scene/SceneManager.h"
#include "framework/render/FwDirect3D.h"
#include "game/profile/Profile.h"

namespace {
// The settings in use as settings.json names them (its "version" aside).
// Built again only when they change, which is seldom.
const nlohmann::json& SettingsRecord(const Settings& settings) {
    static Settings traced;
    static nlohmann::json record;
    if (record.is_null() || !(settings == traced)) {
        record = nlohmann::json::parse(SettingsToText(settings));
        record.erase("version");
        traced = settings;
    }
    return record;
}
}  // namespace

HarnessRecorder::HarnessRecorder(const HarnessOptions& options)
    : frameLimit_(options.frames), traceFile_(options.traceFile), shots_(options.shots),
      shotTaken_(options.shots.size(), false) {}

bool HarnessRecorder::Open(std::string& error) {
    if (traceFile_.empty()) return true;
    trace_.open(traceFile_, std::ios::out | std::ios::trunc);
    if (!trace_) {
        error = "cannot write trace file '" + traceFile_ + "'";
        return false;
    }
    return true;
}

nlohmann::json HarnessRecorder::FrameRecord(uint64_t frame, const BaseScene* scene,
                                            const std::vector<std::string>& events) {
    nlohmann::json record;
    record["frame"] = frame;
    record["events"] = events;
    record["settings"] = SettingsRecord(Profile::Active().Current());
    if (!scene) {
        record["scene"] = nullptr;
        return record;
    }
    std::string kind = scene->KindName();
    record["scene"] = kind;
    if (kind != "title") record["stage"] = scene->StageNumber();
    // Six decimals: 0.95f reads as 0.95, not 0.949999988079071.
    record["fade"] = std::round(static_cast<double>(scene->FadeAlpha()) * 1e6) / 1e6;
    scene->AppendTrace(record);
    return record;
}

bool HarnessRecorder::OnFrame(uint64_t frame) {
    lastFrame_ = frame;
    if (trace_.is_open()) {
        // Flushed per frame: a run that hangs or crashes still leaves its
        // trace up to the last finished frame.
        trace_ << FrameRecord(frame, SceneManager::GetInstance().Current(), events_).dump() << '\n' << std::flush;
        if (!trace_) {
            failure_ = "writing trace file '" + traceFile_ + "' failed";
            return false;
        }
    }
    events_.clear();
    if (!WriteShots(frame)) return false;
    return frameLimit_ == 0 || frame < frameLimit_;
}

bool HarnessRecorder::WriteShots(uint64_t frame) {
    for (size_t i = 0; i < shots_.size(); ++i) {
        if (shots_[i].frame != frame) continue;
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        if (!FwDirect3D::GetInstance().ReadBackBuffer(rgba, width, height)) {
            failure_ = "reading the back buffer of frame " + std::to_string(frame) + " failed";
            return false;
        }
        if (!HarnessWritePng(shots_[i].file, rgba, width, height)) {
            failure_ = "cannot write screenshot '" + shots_[i].file + "'";
            return false;
        }
        shotTaken_[i] = true;
    }
    return true;
}

std::string HarnessRecorder::Failure() const {
    if (!failure_.empty()) return failure_;
    for (size_t i = 0; i < shots_.size(); ++i) {
        if (!shotTaken_[i]) {
            return "screenshot of frame " + std::to_string(shots_[i].frame) + " not taken: the run ended after frame " +
                   std::to_string(lastFrame_);
        }
    }
    return {};
}

bool HarnessWritePng(const std::string& file, const std::vector<uint8_t>& rgba, int width, int height) {
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * height * 4) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t p = 0, n = static_cast<size_t>(width) * height; p < n; ++p) {
        rgb[p * 3 + 0] = rgba[p * 4 + 0];
        rgb[p * 3 + 1] = rgba[p * 4 + 1];
        rgb[p * 3 + 2] = rgba[p * 4 + 2];
    }
    return stbi_write_png(file.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}
