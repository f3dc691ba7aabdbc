// Every input kept for a fuzz target goes through the target's entry point
// without libFuzzer: the reproducers of faults found so far
// (tests/fuzz/regressions/<target>/, see scripts/fuzz.sh) and the seed corpora
// (tests/fuzz/corpus/<target>/). A fault that comes back shows here as a
// failed promise, or as a crash or sanitizer report in the GV_SANITIZE build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzTargets.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesUnder(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().filename() != "README.md") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class FuzzReplay : public testing::TestWithParam<gvfuzz::Target> {
protected:
    // Feeds every file under folder to the target; returns how many there were.
    size_t Replay(const fs::path& folder) {
        const std::vector<fs::path> files = FilesUnder(folder);
        for (const fs::path& file : files) {
            SCOPED_TRACE(file.string());
            const std::vector<uint8_t> bytes = ReadBytes(file);
            std::string problem;
            EXPECT_TRUE(GetParam().entry(bytes.data(), bytes.size(), problem)) << problem;
        }
        return files.size();
    }
};

const fs::path kFuzzDir = fs::path(GV_SOURCE_DIR) / "tests" / "fuzz";

}  // namespace

TEST_P(FuzzReplay, EveryRegressionInputPasses) { Replay(kFuzzDir / "regressions" / GetParam().name); }

TEST_P(FuzzReplay, EverySeedPasses) {
    // Each target has a corpus to start from; an empty one would fuzz blind.
    EXPECT_GT(Replay(kFuzzDir / "corpus" / GetParam().name), 0u);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, testing::ValuesIn(gvfuzz::kTargets),
                         [](const testing::TestParamInfo<gvfuzz::Target>& test) { return std::string(test.param.name); });
