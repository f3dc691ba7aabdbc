// The player's progress: which stages are cleared and the best clear time
// of each. Plain data and its rules; Profile (Profile.h) keeps it in
// progress.json. Stages are numbered from 1; how many exist is the
// caller's to say (the content decides, not this file).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Stage numbers a progress file may name; larger ones are ignored.
constexpr int kMaxProgressStage = 9999;

struct StageProgress {
    bool cleared = false;
    std::optional<uint64_t> bestFrames;  // fastest clear, in frames of 1/60 s
    bool operator==(const StageProgress&) const = default;
};

struct Progress {
    static constexpr int kVersion = 1;

    std::map<int, StageProgress> stages;  // only stages with something recorded

    // A clear of stage (1..kMaxProgressStage) that took frames: marks the
    // stage cleared and keeps the time if it is the first or a faster one.
    // Returns whether it is a new best. A stage out of range records nothing.
    bool RecordClear(int stage, uint64_t frames);
    bool IsCleared(int stage) const;
    std::optional<uint64_t> BestFrames(int stage) const;
    // The stages the title offers, ascending: every stage cleared so far and
    // the first one not cleared, all within 1..stageCount (stage 1 at least,
    // when stageCount >= 1).
    std::vector<int> OfferedStages(int stageCount) const;
    bool operator==(const Progress&) const = default;
};

// A frame count (60 a second) as m:ss.cc for the clear scene: 3723 frames
// -> "1:02.05". Hundredths are rounded down; minutes grow past 59.
std::string FormatClearTime(uint64_t frames);

// progress.json's text: {"version":1,"stages":{"1":{"cleared":true,"bestFrames":3723}}}.
std::string ProgressToText(const Progress& progress);
// Reads progress.json's text. False, with the reason, for a damaged file
// (not JSON, not an object, a member of the wrong type, a version other
// than 1). Unknown members and stage names that are not numbers from 1 to
// kMaxProgressStage are ignored; a stage with a time counts as cleared.
bool ParseProgress(std::string_view text, Progress& progress, std::string& error);
