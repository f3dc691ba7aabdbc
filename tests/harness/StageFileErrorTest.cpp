// A refused coordinate file ends a harness run with a non-zero exit and the
// reason on standard error; the game itself falls back to the title.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string Harness() {
    const char* env = std::getenv("GV_HARNESS");
    return env ? env : std::string(GV_BINARY_DIR) + "/gilded_vault_harness";
}
}  // namespace

TEST(HarnessStageFile, BrokenCoordinateFileExitsNonZeroAndNamesTheLine) {
    // A scratch data folder: the real content linked in, one broken stage file.
    fs::path root = fs::temp_directory_path() / ("gv_stagefile_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "Data" / "CoordinateFile");
    const fs::path data = fs::path(GV_SOURCE_DIR) / "Data";
    for (const char* sub : {"Model", "Texture", "Sound"}) fs::create_directory_symlink(data / sub, root / "Data" / sub);
    std::ofstream(root / "Data" / "CoordinateFile" / "Stage_1.txt") << "1\n0.0,2.5\n";

    std::string log = (root / "stderr.txt").string();
    std::string command = "cd '" + root.string() + "' && '" + Harness() + "' --no-render --stage 1 --frames 3 --trace trace.jsonl 2>'" +
                          log + "'";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);

    std::stringstream err;
    err << std::ifstream(log).rdbuf();
    EXPECT_NE(err.str().find("Stage_1.txt"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("line 2"), std::string::npos) << err.str();

    // The game went back to the title instead of building a half stage.
    std::ifstream trace(root / "trace.jsonl");
    std::string line, last;
    while (std::getline(trace, line)) last = line;
    EXPECT_NE(last.find("\"scene\":\"title\""), std::string::npos) << last;
    fs::remove_all(root);
}
