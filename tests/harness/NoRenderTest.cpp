// --no-render: the scenes run their logic without drawing, the trace stays the
// same as a drawing run's, and the frames named by --shot are drawn anyway.
#include "HarnessFixture.h"

namespace {
// Title: click in frame 5, stage 1 from frame 44; then walk while turning,
// jump, fire the hook and let it fly.
constexpr const char* kPlay =
    "4\n"
    "1 LMB\n"
    "40\n"
    "10 W look:3,1\n"
    "1 W SPACE\n"
    "5 W\n"
    "1 LMB\n"
    "8\n";
constexpr int kPlayFrames = 70;
constexpr int kTitleShot = 30;
}  // namespace

TEST_F(HarnessRun, NoRenderKeepsTheTraceAndStillDrawsTheShotFrames) {
    std::string script = WriteScript(kPlay);
    const std::string shots = " --shot " + std::to_string(kTitleShot) + ":" + Quote(File("title_drawn.png")) +
                              " --shot " + std::to_string(kPlayFrames) + ":" + Quote(File("game_drawn.png"));
    ASSERT_EQ(Run("--input " + Quote(script) + " --trace " + Quote(File("trace.jsonl")) + shots), 0) << stderr_;
    const std::string drawnTrace = ReadText("trace.jsonl");

    const std::string logicShots = " --shot " + std::to_string(kTitleShot) + ":" + Quote(File("title_logic.png")) +
                                   " --shot " + std::to_string(kPlayFrames) + ":" + Quote(File("game_logic.png"));
    ASSERT_EQ(Run("--no-render --input " + Quote(script) + " --trace " + Quote(File("trace.jsonl")) + logicShots), 0)
        << stderr_;
    const std::string logicTrace = ReadText("trace.jsonl");

    // The play must have reached the game scene and fired, or the comparison
    // says little.
    std::vector<nlohmann::json> frames = ReadTrace();
    ASSERT_EQ(frames.size(), static_cast<size_t>(kPlayFrames));
    EXPECT_EQ(frames.back().at("scene"), "game");
    EXPECT_NE(frames.back().at("hook").at("state"), 0);
    EXPECT_EQ(logicTrace, drawnTrace);

    // Each shot frame draws everything from that frame's state, so it matches
    // the drawing run's image although no frame before it was drawn.
    for (const char* name : {"title", "game"}) {
        int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        std::vector<uint8_t> drawn = ReadPng(std::string(name) + "_drawn.png", w1, h1);
        std::vector<uint8_t> logic = ReadPng(std::string(name) + "_logic.png", w2, h2);
        ASSERT_FALSE(drawn.empty()) << name;
        ASSERT_EQ(w1, w2);
        ASSERT_EQ(h1, h2);
        EXPECT_TRUE(drawn == logic) << name << ": the shot of the --no-render run differs";
    }
}

TEST_F(HarnessRun, NoRenderTakesNoValueAndIsListedInTheHelp) {
    ASSERT_EQ(Run("--help > " + Quote(File("help.txt"))), 0);
    EXPECT_NE(ReadText("help.txt").find("--no-render"), std::string::npos);
    // A value after the switch is not swallowed: it is an unknown argument.
    EXPECT_EQ(Run("--frames 3 --no-render 1"), 2);
    EXPECT_NE(stderr_.find("unknown option '1'"), std::string::npos) << stderr_;
}
