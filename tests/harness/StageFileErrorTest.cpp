// A refused coordinate file ends a harness run with a non-zero exit and the
// reason on standard error; the game itself falls back to the title.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/HarnessRun.h"

using namespace gvrun;

TEST(HarnessStageFile, BrokenCoordinateFileExitsNonZeroAndNamesTheLine) {
    // A scratch data folder: the real content linked in, one broken stage file.
    ScratchDir root("stagefile");
    root.MakeData({{1, "1\n0.0,2.5\n"}});

    std::string log = root.File("stderr.txt");
    std::string command = "cd " + Quote(root.Path().string()) + " && " + Quote(HarnessPath()) +
                          " --no-render --stage 1 --frames 3 --trace trace.jsonl 2>" + Quote(log);
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);

    std::stringstream err;
    err << std::ifstream(log).rdbuf();
    EXPECT_NE(err.str().find("Stage_1.txt"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("line 2"), std::string::npos) << err.str();

    // The game went back to the title instead of building a half stage.
    std::ifstream trace(root.File("trace.jsonl"));
    std::string line, last;
    while (std::getline(trace, line)) last = line;
    EXPECT_NE(last.find("\"scene\":\"title\""), std::string::npos) << last;
}
