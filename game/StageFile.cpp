#include "game/StageFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <utility>

#include "framework/resource/FwDataRoot.h"

namespace {

// A real coordinate file is a few hundred bytes; anything this large is not
// one (the largest legal file, every section at its limit, stays far below).
constexpr std::size_t kMaxStageFileBytes = 4 * 1024 * 1024;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Sequential reader over the file text with the lenient whitespace rules.
// The first fault is kept; every later read then fails at once.
class StageTextReader {
public:
    StageTextReader(std::string_view text, const std::string& fileName) : text_(text) { error_.file = fileName; }

    void BeginSection(const char* name) { section_ = name; }

    // A record count: a whole number from 0 to kMaxStageRecords.
    bool ReadCount(int32_t& count) {
        size_t start = 0;
        if (!ReadInt(count, "the record count", &start)) return false;
        if (count < 0) return FailAt(start, "record count " + std::to_string(count) + " is negative");
        if (count > kMaxStageRecords)
            return FailAt(start, "record count " + std::to_string(count) + " exceeds the limit of " +
                                     std::to_string(kMaxStageRecords));
        return EndOfToken();
    }

    // The laser count of a return-laser group: at most kMaxLasersPerGroup;
    // 0 or less is allowed (a group without lasers).
    bool ReadLaserCount(int32_t& count) {
        size_t start = 0;
        if (!ReadInt(count, "the laser count", &start)) return false;
        if (count > kMaxLasersPerGroup)
            return FailAt(start, "laser count " + std::to_string(count) + " exceeds the limit of " +
                                     std::to_string(kMaxLasersPerGroup));
        return true;
    }

    // A whole number field; `start` receives where it began.
    bool ReadInt(int32_t& value, const char* what, size_t* start = nullptr) {
        if (!BeginNumber(what)) return false;
        size_t begin = pos_;
        size_t end = ScanInteger(pos_);
        if (start) *start = begin;
        if (end == begin) return FailAt(begin, std::string("expected ") + what + ", found " + Describe(begin));
        if (end < text_.size() && (text_[end] == '.' || text_[end] == 'e' || text_[end] == 'E'))
            return FailAt(begin, std::string("expected a whole number for ") + what + ", found " + Describe(begin));
        const char* first = text_.data() + begin;
        if (*first == '+') ++first;
        auto [ptr, ec] = std::from_chars(first, text_.data() + end, value);
        if (ec != std::errc() || ptr != text_.data() + end)
            return FailAt(begin, "number " + Describe(begin) + " is out of range");
        pos_ = end;
        return true;
    }

    // A decimal number that fits a finite float.
    bool ReadFloat(float& value) {
        if (!BeginNumber("a number")) return false;
        size_t begin = pos_;
        size_t end = ScanDecimal(pos_);
        if (end == begin) return FailAt(begin, "expected a number, found " + Describe(begin));
        const char* first = text_.data() + begin;
        if (*first == '+') ++first;
        float parsed = 0.0f;
        auto [ptr, ec] = std::from_chars(first, text_.data() + end, parsed, std::chars_format::general);
        if (ec != std::errc() || ptr != text_.data() + end || !std::isfinite(parsed))
            return FailAt(begin, "number " + Describe(begin) + " is out of range");
        value = parsed;
        pos_ = end;
        return true;
    }

    // The comma between two fields, directly after the previous number.
    bool ReadComma() {
        if (failed_) return false;
        size_t next = pos_;
        while (next < text_.size() && IsSpace(text_[next])) ++next;
        if (next >= text_.size()) return FailAtEnd("the file ends inside a record");
        if (text_[pos_] != ',') return FailAt(pos_, "expected ',' after a number, found " + Describe(pos_));
        ++pos_;
        return true;
    }

    // x,y,z
    bool ReadVector(Vector3& v) {
        return ReadFloat(v.x) && ReadComma() && ReadFloat(v.y) && ReadComma() && ReadFloat(v.z);
    }

    // A count or record ends at white space or at the end of the file.
    bool EndOfToken() {
        if (failed_) return false;
        if (pos_ < text_.size() && !IsSpace(text_[pos_]))
            return FailAt(pos_, "unexpected " + Describe(pos_) + " after the last field");
        return true;
    }

    const StageFileError& Error() const { return error_; }

private:
    // Skips white space; fails when the file ends before the number.
    bool BeginNumber(const char* what) {
        if (failed_) return false;
        while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
        if (pos_ >= text_.size()) return FailAtEnd(std::string("the file ends before ") + what);
        return true;
    }

    // [+-]digits; returns the end of the token (== from when none).
    size_t ScanInteger(size_t from) const {
        size_t i = from;
        if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) ++i;
        size_t digits = i;
        while (i < text_.size() && IsDigit(text_[i])) ++i;
        return i == digits ? from : i;
    }

    // [+-](digits[.digits]|.digits)[(e|E)[+-]digits]
    size_t ScanDecimal(size_t from) const {
        size_t i = from;
        if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) ++i;
        size_t mantissaDigits = 0;
        while (i < text_.size() && IsDigit(text_[i])) ++i, ++mantissaDigits;
        if (i < text_.size() && text_[i] == '.') {
            ++i;
            while (i < text_.size() && IsDigit(text_[i])) ++i, ++mantissaDigits;
        }
        if (mantissaDigits == 0) return from;
        if (i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {
            size_t e = i + 1;
            if (e < text_.size() && (text_[e] == '+' || text_[e] == '-')) ++e;
            size_t expDigits = e;
            while (e < text_.size() && IsDigit(text_[e])) ++e;
            if (e > expDigits) i = e;
        }
        return i;
    }

    // The token at `at` for messages, quoted and cut short.
    std::string Describe(size_t at) const {
        if (at >= text_.size()) return "the end of the file";
        if (text_[at] == '\n' || text_[at] == '\r') return "a line break";
        if (text_[at] == ' ') return "a space";
        if (IsSpace(text_[at])) return "white space";
        size_t end = at;
        while (end < text_.size() && end - at < 24 && !IsSpace(text_[end]) && (end == at || text_[end] != ','))
            ++end;
        if (end == at) end = at + 1;
        std::string token;
        for (size_t i = at; i < end; ++i) {
            unsigned char c = static_cast<unsigned char>(text_[i]);
            if (c >= 0x20 && c < 0x7F) {
                token += static_cast<char>(c);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof(hex), "\\x%02X", c);
                token += hex;
            }
        }
        return "'" + token + "'";
    }

    int LineAt(size_t at) const {
        int line = 1;
        for (size_t i = 0; i < at && i < text_.size(); ++i)
            if (text_[i] == '\n') ++line;
        return line;
    }

    bool FailAt(size_t at, std::string message) {
        failed_ = true;
        error_.section = section_;
        error_.line = LineAt(at);
        error_.message = std::move(message);
        return false;
    }

    // End-of-file faults point at the last line that holds anything.
    bool FailAtEnd(std::string message) {
        size_t last = text_.size();
        while (last > 0 && IsSpace(text_[last - 1])) --last;
        return FailAt(last > 0 ? last - 1 : 0, std::move(message));
    }

    std::string_view text_;
    size_t pos_ = 0;
    const char* section_ = "";
    bool failed_ = false;
    StageFileError error_;
};

bool ReadBox(StageTextReader& r, StageBoxRecord& box) { return r.ReadVector(box.position) && r.EndOfToken(); }

bool ReadDoor(StageTextReader& r, StageDoorRecord& door) {
    return r.ReadVector(door.buttonPosition) && r.ReadComma() && r.ReadVector(door.doorPosition) &&
           r.ReadComma() && r.ReadFloat(door.doorYawDeg) && r.EndOfToken();
}

bool ReadWindow(StageTextReader& r, StageWindowRecord& window) {
    return r.ReadVector(window.position) && r.ReadComma() && r.ReadVector(window.scale) && r.ReadComma() &&
           r.ReadFloat(window.yawDeg) && r.EndOfToken();
}

bool ReadTimeDoor(StageTextReader& r, StageTimeDoorRecord& door) {
    return r.ReadVector(door.buttonPosition) && r.ReadComma() && r.ReadVector(door.doorPosition) &&
           r.ReadComma() && r.ReadFloat(door.doorYawDeg) && r.ReadComma() &&
           r.ReadInt(door.openFrames, "the open time") && r.EndOfToken();
}

bool ReadLaserGroup(StageTextReader& r, StageLaserGroupRecord& group) {
    return r.ReadVector(group.buttonPosition) && r.ReadComma() && r.ReadLaserCount(group.laserCount) &&
           r.ReadComma() && r.ReadVector(group.firstLaser) && r.ReadComma() && r.ReadVector(group.step) &&
           r.ReadComma() && r.ReadFloat(group.yawDeg) && r.EndOfToken();
}

template <typename Record, typename ReadRecord>
bool ReadSection(StageTextReader& r, const char* name, std::vector<Record>& records, ReadRecord readRecord) {
    r.BeginSection(name);
    int32_t count = 0;
    if (!r.ReadCount(count)) return false;
    records.resize(static_cast<size_t>(count));
    for (Record& record : records)
        if (!readRecord(r, record)) return false;
    return true;
}

StageFileResult Refused(StageFileError error) {
    StageFileResult result;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::string StageFileError::ToString() const {
    if (line <= 0 || section.empty()) return file + ": " + message;
    return file + ": line " + std::to_string(line) + ", section \"" + section + "\": " + message;
}

StageFileResult ParseStageFile(std::string_view text, const std::string& fileName) {
    StageTextReader r(text, fileName);
    StageLayout layout;
    bool ok = ReadSection(r, "boxes", layout.boxes, ReadBox) &&
              ReadSection(r, "pushing doors", layout.pushingDoors, ReadDoor) &&
              ReadSection(r, "return doors", layout.returnDoors, ReadDoor) &&
              ReadSection(r, "windows", layout.windows, ReadWindow) &&
              ReadSection(r, "time doors", layout.timeDoors, ReadTimeDoor) &&
              ReadSection(r, "return lasers", layout.returnLasers, ReadLaserGroup);
    if (ok) {
        r.BeginSection("showcase");
        ok = r.ReadVector(layout.showcase.position) && r.EndOfToken();
    }
    if (!ok) return Refused(r.Error());

    for (size_t i = 0; i < layout.boxes.size(); ++i) layout.boxes[i].index = static_cast<int32_t>(i);
    StageFileResult result;
    result.layout = std::move(layout);
    return result;
}

StageFileResult LoadStageFile(const std::string& path) {
    StageFileError error;
    error.file = path;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error.message = "cannot open the file";
        return Refused(error);
    }
    std::string text;
    char chunk[4096];
    while (in.read(chunk, sizeof(chunk)) || in.gcount() > 0) {
        text.append(chunk, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxStageFileBytes) {
            error.message = "the file is larger than " + std::to_string(kMaxStageFileBytes) + " bytes";
            return Refused(error);
        }
    }
    if (in.bad()) {
        error.message = "cannot read the file";
        return Refused(error);
    }
    return ParseStageFile(text, path);
}

std::string StageFilePath(int stageNumber) {
    return FwDataRoot::Path("CoordinateFile/Stage_" + std::to_string(stageNumber) + ".txt");
}

namespace {

bool IsContentFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::string StageMeshName(int stageNumber) {
    return "GameScene/Stage/Stage_" + std::to_string(stageNumber) + ".gltf";
}

std::string StageMeshPath(int stageNumber) { return FwDataRoot::Path("Model/" + StageMeshName(stageNumber)); }

int StageCount() {
    // The folder is looked at once; a test that points FwDataRoot elsewhere
    // gets that folder's stages.
    static std::mutex mutex;
    static std::string countedRoot;
    static int count = 0;
    std::lock_guard<std::mutex> lock(mutex);
    if (count > 0 && countedRoot == FwDataRoot::Get()) return count;
    int n = 1;
    while (n < kMaxStages && IsContentFile(StageFilePath(n + 1))) ++n;
    countedRoot = FwDataRoot::Get();
    count = n;
    return count;
}

bool IsStageAvailable(int stage) { return stage >= 1 && stage <= StageCount(); }

std::string AvailableStagesText() {
    const int count = StageCount();
    return count == 1 ? "stage 1" : "stages 1 to " + std::to_string(count);
}

std::string StageMeshRefusal(int stageNumber, const std::string& meshError) {
    return meshError + " (stage " + std::to_string(stageNumber) + " is made of " + StageFilePath(stageNumber) +
           " and " + StageMeshPath(stageNumber) + ")";
}

std::string StageMusicName(int stageNumber) {
    const std::string own = "GameBGM_" + std::to_string(stageNumber) + ".wav";
    return IsContentFile(FwDataRoot::Path("Sound/" + own)) ? own : "GameBGM.wav";
}
