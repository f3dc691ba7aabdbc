#include "game/profile/Progress.h"

#include <charconv>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "game/profile/ProfileFiles.h"

namespace {
constexpr uint64_t kFramesPerSecond = 60;

bool ValidStage(int stage) { return stage >= 1 && stage <= kMaxProgressStage; }
}  // namespace

bool Progress::RecordClear(int stage, uint64_t frames) {
    if (!ValidStage(stage)) return false;
    StageProgress& entry = stages[stage];
    entry.cleared = true;
    if (entry.bestFrames && *entry.bestFrames <= frames) return false;
    entry.bestFrames = frames;
    return true;
}

bool Progress::IsCleared(int stage) const {
    auto it = stages.find(stage);
    return it != stages.end() && it->second.cleared;
}

std::optional<uint64_t> Progress::BestFrames(int stage) const {
    auto it = stages.find(stage);
    return it != stages.end() ? it->second.bestFrames : std::nullopt;
}

std::vector<int> Progress::OfferedStages(int stageCount) const {
    std::vector<int> offered;
    bool nextAdded = false;
    for (int stage = 1; stage <= stageCount && stage <= kMaxProgressStage; ++stage) {
        if (IsCleared(stage)) {
            offered.push_back(stage);
        } else if (!nextAdded) {
            offered.push_back(stage);
            nextAdded = true;
        }
    }
    return offered;
}

std::string FormatClearTime(uint64_t frames) {
    // Split before multiplying, so no frame count overflows.
    const uint64_t seconds = frames / kFramesPerSecond;
    const uint64_t hundredths = frames % kFramesPerSecond * 100 / kFramesPerSecond;
    char text[48];
    std::snprintf(text, sizeof text, "%llu:%02llu.%02llu", static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60), static_cast<unsigned long long>(hundredths));
    return text;
}

std::string ProgressToText(const Progress& progress) {
    nlohmann::ordered_json stages = nlohmann::ordered_json::object();
    for (const auto& [stage, entry] : progress.stages) {
        nlohmann::ordered_json item = {{"cleared", entry.cleared}};
        if (entry.bestFrames) item["bestFrames"] = *entry.bestFrames;
        stages[std::to_string(stage)] = item;
    }
    nlohmann::ordered_json file = {{"version", Progress::kVersion}, {"stages", stages}};
    return file.dump(2) + "\n";
}

bool ParseProgress(std::string_view text, Progress& out, std::string& error) {
    nlohmann::json file;
    if (!ParseJsonObject(text, file, error)) return false;
    if (auto it = file.find("version"); it != file.end()) {
        if (!it->is_number()) {
            error = "'version' is not a number";
            return false;
        }
        if (it->get<double>() != Progress::kVersion) {
            error = "unknown version " + it->dump();
            return false;
        }
    }
    Progress progress;
    if (auto it = file.find("stages"); it != file.end()) {
        if (!it->is_object()) {
            error = "'stages' is not an object";
            return false;
        }
        for (const auto& [name, value] : it->items()) {
            int stage = 0;
            auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), stage);
            if (ec != std::errc() || end != name.data() + name.size() || !ValidStage(stage)) continue;
            const std::string where = "stages." + name;
            if (!value.is_object()) {
                error = "'" + where + "' is not an object";
                return false;
            }
            StageProgress entry;
            if (auto c = value.find("cleared"); c != value.end()) {
                if (!c->is_boolean()) {
                    error = "'" + where + ".cleared' is not true or false";
                    return false;
                }
                entry.cleared = c->get<bool>();
            }
            if (auto b = value.find("bestFrames"); b != value.end()) {
                if (!b->is_number_unsigned()) {
                    error = "'" + where + ".bestFrames' is not a whole number of frames";
                    return false;
                }
                entry.bestFrames = b->get<uint64_t>();
                entry.cleared = true;
            }
            if (entry != StageProgress{}) progress.stages[stage] = entry;
        }
    }
    out = std::move(progress);
    return true;
}
