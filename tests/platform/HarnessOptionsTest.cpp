#include <gtest/gtest.h>

#include "tools/harness/HarnessOptions.h"

namespace {
std::string ErrorOf(const std::vector<std::string>& args) {
    HarnessOptions options;
    std::string error;
    EXPECT_FALSE(ParseHarnessOptions(args, options, error));
    return error;
}
}  // namespace

TEST(HarnessOptions, ParsesEveryOption) {
    HarnessOptions options;
    std::string error;
    ASSERT_TRUE(ParseHarnessOptions({"--frames", "120", "--input", "in.txt", "--stage", "2", "--trace", "t.jsonl",
                                     "--shot", "60:a.png", "--shot", "7:C:/dir/b.png", "--record", "play.txt",
                                     "--profile", "saves"},
                                    options, error))
        << error;
    EXPECT_EQ(options.frames, 120u);
    EXPECT_EQ(options.inputFile, "in.txt");
    EXPECT_EQ(options.stage, 2);
    EXPECT_EQ(options.traceFile, "t.jsonl");
    EXPECT_EQ(options.recordFile, "play.txt");
    EXPECT_EQ(options.profileDir, "saves");
    ASSERT_EQ(options.shots.size(), 2u);
    EXPECT_EQ(options.shots[0].frame, 60u);
    EXPECT_EQ(options.shots[0].file, "a.png");
    EXPECT_EQ(options.shots[1].frame, 7u);
    EXPECT_EQ(options.shots[1].file, "C:/dir/b.png");  // only the first ':' separates
    EXPECT_FALSE(options.help);
}

TEST(HarnessOptions, RunLengthComesFromFramesOrTheScript) {
    HarnessOptions options;
    std::string error;
    EXPECT_TRUE(ParseHarnessOptions({"--input", "in.txt"}, options, error));
    EXPECT_EQ(options.frames, 0u);  // run to the script's end
    EXPECT_TRUE(ParseHarnessOptions({"--help"}, options, error));
    EXPECT_TRUE(options.help);
    EXPECT_NE(ErrorOf({}).find("--frames"), std::string::npos);
    EXPECT_NE(ErrorOf({"--trace", "t.jsonl"}).find("--frames"), std::string::npos);
}

TEST(HarnessOptions, RejectsUnknownOptionsAndBadValues) {
    EXPECT_NE(ErrorOf({"--frames", "10", "--fps", "30"}).find("unknown option '--fps'"), std::string::npos);
    EXPECT_NE(ErrorOf({"frames", "10"}).find("unknown option"), std::string::npos);
    EXPECT_NE(ErrorOf({"--frames"}).find("needs a value"), std::string::npos);
    for (const char* frames : {"0", "-5", "ten", "10x", "", "1000000001", "99999999999999999999999"})
        EXPECT_NE(ErrorOf({"--frames", frames}).find("--frames expects"), std::string::npos) << frames;
    for (const char* stage : {"0", "100", "x", "-1"})
        EXPECT_NE(ErrorOf({"--frames", "1", "--stage", stage}).find("--stage expects"), std::string::npos) << stage;
    for (const char* shot : {"60", "60:", ":a.png", "0:a.png", "x:a.png", "-1:a.png"})
        EXPECT_NE(ErrorOf({"--frames", "1", "--shot", shot}).find("--shot expects"), std::string::npos) << shot;
    EXPECT_NE(ErrorOf({"--frames", "1", "--trace", ""}).find("needs a file name"), std::string::npos);
    EXPECT_NE(ErrorOf({"--frames", "1", "--record", ""}).find("needs a file name"), std::string::npos);
    EXPECT_NE(ErrorOf({"--frames", "1", "--record"}).find("needs a value"), std::string::npos);
    EXPECT_NE(ErrorOf({"--frames", "1", "--profile", ""}).find("--profile needs a folder"), std::string::npos);
}
