// Damaged content: for each kind of file the game loads, the file missing,
// empty, cut in half or replaced by random bytes, in a scratch copy of
// Data/. Each harness run ends with the documented outcome and a message
// naming the file: a stand-in for models, textures and sounds (the run goes
// on), a refusal for the stage mesh and the coordinate file (back to the
// title, exit 1). Never a signal, a hang or memory out of bounds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/HarnessCommand.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A run that does not end by itself within this is a hang.
constexpr auto kRunLimit = std::chrono::seconds(120);
// Peak resident memory allowed to a run. A normal run of stage 1 without
// drawing peaks near 110 MB; the sanitizers' shadow memory multiplies that.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMaxRssMb = 2000;
#else
constexpr long kMaxRssMb = 300;
#endif
// Frames of each run, walking forward: the stage is built in the first, the
// music and the first footstep start there, a refused stage is left for the
// title in the second.
constexpr int kFrames = 30;

// The harness arguments of every run, with its walking script written to dir.
std::vector<std::string> RunArguments(const fs::path& dir) {
    std::ofstream(dir / "walk.txt") << kFrames << " W\n";
    return {"--no-render", "--stage", "1", "--input", "walk.txt", "--trace", "trace.jsonl"};
}

enum class Damage { Missing, Empty, Truncated, RandomBytes };

struct Kind {
    const char* name;
    const char* file;            // under Data/
    bool refused;                // the stage is refused (else a stand-in follows)
    const char* sound;           // a sound that would play in the run, or null
    size_t truncatedLength = 0;  // where a cut file ends; 0: half the file
};

// Stage 1 loads all of these; its box, footsteps and music play or show in
// the first frame. The coordinate file is cut inside its records (its
// second half is notes the reader never reaches).
const Kind kKinds[] = {
    {"StageMesh", "Model/GameScene/Stage/Stage_1.gltf", true, nullptr},
    {"GimmickModel", "Model/GameScene/Gimmick/Box/newBox.gltf", false, nullptr},
    {"Texture", "Texture/GameScene/StageNo/Stage.png", false, nullptr},
    {"Sound", "Sound/Player/FootStep.wav", false, "Player/FootStep.wav"},
    {"Music", "Sound/GameBGM.wav", false, "GameBGM.wav"},
    {"CoordinateFile", "CoordinateFile/Stage_1.txt", true, nullptr, 40},
};

struct Case {
    Kind kind;
    Damage damage;
};

const char* DamageName(Damage d) {
    switch (d) {
        case Damage::Missing: return "Missing";
        case Damage::Empty: return "Empty";
        case Damage::Truncated: return "Truncated";
        case Damage::RandomBytes: return "RandomBytes";
    }
    return "";
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (const Kind& kind : kKinds)
        for (Damage damage : {Damage::Missing, Damage::Empty, Damage::Truncated, Damage::RandomBytes})
            cases.push_back({kind, damage});
    return cases;
}

// Data/ under target with the real content linked in entry by entry, except
// along the way to the damaged file: those folders are real, and the damaged
// file's own folder holds copies, so the repository is never touched.
void MirrorData(const fs::path& source, const fs::path& target, const fs::path& damaged) {
    fs::create_directories(target);
    const fs::path first = *damaged.begin();
    const bool last = std::next(damaged.begin()) == damaged.end();
    for (const auto& entry : fs::directory_iterator(source)) {
        const fs::path name = entry.path().filename();
        if (name != first)
            last ? fs::copy(entry.path(), target / name, fs::copy_options::recursive)
                 : fs::create_symlink(entry.path(), target / name);
        else if (!last)
            MirrorData(entry.path(), target / name, damaged.lexically_relative(first));
        else
            fs::copy_file(entry.path(), target / name);
    }
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Damage(const fs::path& file, Damage damage, size_t truncatedLength) {
    const std::string original = ReadText(file);
    ASSERT_FALSE(original.empty()) << file;
    std::string text;
    switch (damage) {
        case Damage::Missing: fs::remove(file); return;
        case Damage::Empty: break;
        case Damage::Truncated:
            text = original.substr(0, truncatedLength ? truncatedLength : original.size() / 2);
            break;
        case Damage::RandomBytes: {
            std::mt19937 random(static_cast<uint32_t>(original.size()));
            text.resize(original.size());
            for (char& c : text) c = static_cast<char>(random() & 0xFF);
            break;
        }
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

struct RunResult {
    bool exited = false;
    int code = -1;
    int signal = 0;
    bool timedOut = false;
    long maxRssMb = 0;
};

// Runs the harness in dir with its standard error in dir/stderr.txt and
// watches it: exit status, a signal, the time limit, its peak memory.
RunResult RunHarness(const fs::path& dir, const std::vector<std::string>& args) {
    const std::string harness = HarnessPath();
    const std::string errors = (dir / "stderr.txt").string();
    std::vector<std::string> argStrings{harness};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    RunResult result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int out = ::open("/dev/null", O_WRONLY);
        if (::chdir(dir.c_str()) != 0 || err < 0 || out < 0) ::_exit(126);
        ::dup2(err, 2);
        ::dup2(out, 1);
        ::execv(harness.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) return result;
    int status = 0;
    struct rusage usage {};
    const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
    while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    result.exited = WIFEXITED(status);
    result.code = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.maxRssMb = usage.ru_maxrss / 1024;  // kilobytes on Linux
    return result;
}

std::vector<nlohmann::json> ReadTrace(const fs::path& path) {
    std::vector<nlohmann::json> frames;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) frames.push_back(nlohmann::json::parse(line));
    return frames;
}

int CountOccurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

class BadContent : public testing::TestWithParam<Case> {};

}  // namespace

TEST_P(BadContent, EndsWithTheDocumentedOutcomeAndNamesTheFile) {
    const Kind& kind = GetParam().kind;
    TempDir scratch("gv_badcontent");
    ASSERT_FALSE(scratch.path.empty());
    MirrorData(fs::path(GV_SOURCE_DIR) / "Data", scratch.path / "Data", kind.file);
    const fs::path damaged = scratch.path / "Data" / kind.file;
    ASSERT_FALSE(fs::is_symlink(damaged));
    ASSERT_FALSE(fs::is_symlink(damaged.parent_path()));
    Damage(damaged, GetParam().damage, kind.truncatedLength);

    const RunResult run = RunHarness(scratch.path, RunArguments(scratch.path));
    const std::string err = ReadText(scratch.path / "stderr.txt");
    ASSERT_FALSE(run.timedOut) << "no end within the time limit\n" << err;
    ASSERT_EQ(run.signal, 0) << "killed by signal " << run.signal << "\n" << err;
    ASSERT_TRUE(run.exited) << err;
    EXPECT_LT(run.maxRssMb, kMaxRssMb) << err;

    const std::string name = std::string("Data/") + kind.file;
    const std::vector<nlohmann::json> trace = ReadTrace(scratch.path / "trace.jsonl");
    ASSERT_EQ(trace.size(), static_cast<size_t>(kFrames)) << err;
    if (kind.refused) {
        EXPECT_EQ(run.code, 1) << err;
        EXPECT_NE(err.find(name), std::string::npos) << err;
        // a refused mesh also names the coordinate file it belongs with
        if (std::string(kind.name) == "StageMesh") {
            EXPECT_NE(err.find("Data/CoordinateFile/Stage_1.txt"), std::string::npos) << err;
        }
        EXPECT_EQ(trace.back().at("scene"), "title");
    } else {
        // Reported once, in one line naming the file; the run goes on.
        EXPECT_EQ(run.code, 0) << err;
        EXPECT_EQ(CountOccurrences(err, "cannot load " + name + ": "), 1) << err;
        EXPECT_EQ(CountOccurrences(err, "\n"), 1) << err;
        EXPECT_EQ(trace.back().at("scene"), "game");
        if (kind.sound) {
            for (const nlohmann::json& frame : trace)
                for (const auto& event : frame.at("events"))
                    EXPECT_NE(event, std::string("sound:play:") + kind.sound) << "a silent stand-in never plays";
        }
    }
}

// The same runs with the files intact: every sound above plays, nothing is
// reported and the stage stays, so the outcomes above come from the damage.
TEST(BadContentBaseline, IntactFilesLoadQuietly) {
    TempDir scratch("gv_badcontent");
    ASSERT_FALSE(scratch.path.empty());
    MirrorData(fs::path(GV_SOURCE_DIR) / "Data", scratch.path / "Data", "CoordinateFile/Stage_1.txt");
    const RunResult run = RunHarness(scratch.path, RunArguments(scratch.path));
    const std::string err = ReadText(scratch.path / "stderr.txt");
    ASSERT_TRUE(run.exited) << err;
    EXPECT_EQ(run.code, 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_LT(run.maxRssMb, kMaxRssMb);
    const std::vector<nlohmann::json> trace = ReadTrace(scratch.path / "trace.jsonl");
    ASSERT_EQ(trace.size(), static_cast<size_t>(kFrames));
    EXPECT_EQ(trace.back().at("scene"), "game");
    for (const Kind& kind : kKinds) {
        if (!kind.sound) continue;
        bool played = false;
        for (const nlohmann::json& frame : trace)
            for (const auto& event : frame.at("events")) played = played || event == std::string("sound:play:") + kind.sound;
        EXPECT_TRUE(played) << kind.sound;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BadContent, testing::ValuesIn(AllCases()), [](const testing::TestParamInfo<Case>& test) {
    return std::string(test.param.kind.name) + DamageName(test.param.damage);
});
