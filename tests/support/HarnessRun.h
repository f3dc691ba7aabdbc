// End-to-end runs of gilded_vault_harness for the gameplay tests: a script
// builder that turns "walk to, face, click" into input-script lines with the
// game's own per-frame rules, a runner that loads the JSON Lines trace, and a
// scratch data folder for runs on a hand-made coordinate file.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "game/gimmick/Box.h"
#include "game/player/Player.h"
#include "tests/support/HarnessCommand.h"
#include "tests/support/TempDir.h"

namespace gvrun {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr double kWalkStep = Player::kWalkSpeed;
constexpr double kEyeHeight = Player::kEyeHeight;
// Mouse look turns the view by one degree per this many pixels.
constexpr double kLookPixelsPerDegree = Player::kMousePixelsPerDegree;
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kFadeStep = 0.05;

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 Vec(const json& a) { return {a.at(0).get<double>(), a.at(1).get<double>(), a.at(2).get<double>()}; }
inline V3 operator-(const V3& a, const V3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator+(const V3& a, const V3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline double Len(const V3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
inline double FlatDistance(const V3& a, const V3& b) { return std::hypot(a.x - b.x, a.z - b.z); }
inline std::string Str(const V3& v) {
    std::ostringstream s;
    s << "(" << v.x << ", " << v.y << ", " << v.z << ")";
    return s.str();
}

// Builds an input script while tracking where the player should be: the
// planned feet position and the view angles as whole mouse pixels, so that
// the angles the game accumulates are exactly the ones planned here.
class Script {
public:
    Script& Comment(const std::string& text) {
        text_ << "# " << text << "\n";
        return *this;
    }
    // Holds `tokens` (may be empty) for `frames` frames.
    Script& Hold(int frames, const std::string& tokens = "") {
        if (frames <= 0) return *this;
        text_ << frames << (tokens.empty() ? "" : " ") << tokens << "\n";
        frames_ += frames;
        lastWasClick_ = tokens == "LMB";
        return *this;
    }
    Script& Wait(int frames) { return Hold(frames); }
    // One frame that turns the view to (yaw, pitch) in degrees: yaw from +z
    // toward +x, pitch positive looking down. No frame when nothing changes.
    Script& Face(double yawDeg, double pitchDeg) {
        const int yaw = static_cast<int>(std::lround(yawDeg * kLookPixelsPerDegree));
        const int pitch = static_cast<int>(std::lround(pitchDeg * kLookPixelsPerDegree));
        if (yaw == yawPx_ && pitch == pitchPx_) return *this;
        text_ << "1 look:" << yaw - yawPx_ << "," << pitch - pitchPx_ << "\n";
        ++frames_;
        yawPx_ = yaw;
        pitchPx_ = pitch;
        lastWasClick_ = false;
        return *this;
    }
    // Turns the view onto a point from the planned eye.
    Script& FacePoint(const V3& target) {
        const V3 d = target - Eye();
        const double yaw = std::atan2(d.x, d.z) * kRadToDeg;
        const double pitch = -std::atan2(d.y, std::hypot(d.x, d.z)) * kRadToDeg;
        return Face(yaw, pitch);
    }
    // Turns level toward (x, z) and walks there in a straight line at 0.3 a
    // frame (the last step may fall short by up to 0.15).
    Script& WalkTo(double x, double z) {
        const double dx = x - feet_.x, dz = z - feet_.z;
        const double dist = std::hypot(dx, dz);
        if (dist < kWalkStep / 2) return *this;
        Face(std::atan2(dx, dz) * kRadToDeg, PitchDeg());
        const int steps = static_cast<int>(std::lround(dist / kWalkStep));
        const double yaw = YawDeg() / kRadToDeg;
        Hold(steps, "W");
        feet_.x += std::sin(yaw) * kWalkStep * steps;
        feet_.z += std::cos(yaw) * kWalkStep * steps;
        return *this;
    }
    // A left click in one frame; a release frame comes first when the frame
    // before was a click too (the gun reacts to the press edge).
    Script& Click() {
        if (lastWasClick_) Hold(1);
        return Hold(1, "LMB");
    }
    // A new game scene: the player stands at the start again, facing +z.
    Script& NewScene() {
        feet_ = V3{};
        yawPx_ = 0;
        pitchPx_ = 0;
        return *this;
    }
    // Sets the planned position after a move the builder cannot follow
    // (a chain pull, a landing on a ledge).
    Script& SetFeet(const V3& feet) {
        feet_ = feet;
        return *this;
    }

    V3 Feet() const { return feet_; }
    V3 Eye() const { return feet_ + V3{0, kEyeHeight, 0}; }
    double YawDeg() const { return yawPx_ / kLookPixelsPerDegree; }
    double PitchDeg() const { return pitchPx_ / kLookPixelsPerDegree; }
    int Frames() const { return frames_; }
    std::string Text() const { return text_.str(); }

private:
    std::ostringstream text_;
    int frames_ = 0;
    int yawPx_ = 0;
    int pitchPx_ = 0;
    bool lastWasClick_ = false;
    V3 feet_;
};

// The frames of one harness run, frame 1 first.
class Trace {
public:
    std::vector<json> frames;

    const json& F(int n) const { return frames.at(static_cast<size_t>(n - 1)); }
    int Count() const { return static_cast<int>(frames.size()); }
    V3 Eye(int n) const { return Vec(F(n).at("player").at("pos")); }
    V3 BoxPos(int n, size_t box) const { return Vec(F(n).at("boxes").at(box)); }
    int HookState(int n) const { return F(n).at("hook").at("state").get<int>(); }
    double Fade(int n) const { return F(n).at("fade").get<double>(); }
    bool HasEvent(int n, const std::string& event) const {
        const json& events = F(n).at("events");
        return std::find(events.begin(), events.end(), event) != events.end();
    }
    // First frame in [from, Count()] for which pred(n) holds, or 0.
    template <typename Pred>
    int First(Pred pred, int from = 1) const {
        for (int n = std::max(from, 1); n <= Count(); ++n)
            if (pred(n)) return n;
        return 0;
    }
    int FirstEvent(const std::string& event, int from = 1) const {
        return First([&](int n) { return HasEvent(n, event); }, from);
    }
    int CountEvent(const std::string& event, int from = 1, int to = 1 << 30) const {
        int count = 0;
        for (int n = std::max(from, 1); n <= std::min(to, Count()); ++n) {
            const json& events = F(n).at("events");
            count += static_cast<int>(std::count(events.begin(), events.end(), event));
        }
        return count;
    }
};

// A scratch folder per test, removed afterwards.
class ScratchDir : public TempDir {
public:
    explicit ScratchDir(const std::string& tag) : TempDir("gv_" + tag) {}

    // Makes `Data/` here: the real models, textures and sounds linked in,
    // and the given coordinate files (stage number -> text) instead of the
    // real ones; stages not named keep their real file.
    void MakeData(const std::map<int, std::string>& coordinateFiles) const {
        const fs::path data = fs::path(GV_SOURCE_DIR) / "Data";
        fs::create_directories(path / "Data" / "CoordinateFile");
        for (const char* sub : {"Model", "Texture", "Sound"})
            fs::create_directory_symlink(data / sub, path / "Data" / sub);
        for (int stage : {1, 2}) {
            const std::string name = "Stage_" + std::to_string(stage) + ".txt";
            auto it = coordinateFiles.find(stage);
            if (it != coordinateFiles.end())
                std::ofstream(path / "Data" / "CoordinateFile" / name) << it->second;
            else
                fs::copy_file(data / "CoordinateFile" / name, path / "Data" / "CoordinateFile" / name);
        }
    }
};

// Runs the harness from `workDir` (the folder holding Data/) in logic-only
// mode with the input script file and the extra arguments, for `frames`
// frames (0: as many as the script covers), and loads the trace. Fails the
// test when the harness fails.
inline void RunHarnessFile(const ScratchDir& scratch, const std::string& workDir, const std::string& args,
                           const std::string& inputFile, int frames, Trace& trace) {
    const std::string traceFile = scratch.File("trace.jsonl");
    const std::string errors = scratch.File("stderr.txt");
    const std::string command = "cd " + Quote(workDir) + " && " + Quote(HarnessPath()) + " --no-render " + args +
                                (frames > 0 ? " --frames " + std::to_string(frames) : std::string()) +
                                " --input " + Quote(inputFile) + " --trace " + Quote(traceFile) + " >/dev/null 2>" +
                                Quote(errors);
    const int status = std::system(command.c_str());
    std::ifstream err(errors);
    const std::string stderrText(std::istreambuf_iterator<char>(err), {});
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "harness failed: " << stderrText;

    trace.frames.clear();
    std::ifstream in(traceFile);
    std::string line;
    while (std::getline(in, line)) trace.frames.push_back(json::parse(line));
    if (frames > 0) {
        ASSERT_EQ(trace.Count(), frames);
    }
    ASSERT_GT(trace.Count(), 0);
}

// The same with a script built here, run for its frames plus `tailFrames`.
inline void RunHarness(const ScratchDir& scratch, const std::string& workDir, const std::string& args,
                       const Script& script, int tailFrames, Trace& trace) {
    const std::string input = scratch.File("input.txt");
    std::ofstream(input) << script.Text();
    RunHarnessFile(scratch, workDir, args, input, script.Frames() + tailFrames, trace);
}

}  // namespace gvrun
