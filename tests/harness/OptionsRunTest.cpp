// The options screen through the harness: opened and closed from the title
// and from a stage, the stage paused while it is open, a refused and an
// accepted key binding, and the binding kept in the profile's settings.
#include "HarnessFixture.h"

namespace {
// A frame's stage state: everything the trace holds but the frame number,
// its events and the options screen itself.
nlohmann::json StageState(nlohmann::json frame) {
    frame.erase("frame");
    frame.erase("events");
    frame.erase("options");
    frame.erase("settings");  // the rebinding made while paused shows here
    return frame;
}
}  // namespace

TEST_F(HarnessRun, OptionsOpenFromTitleAndPauseAStageWhileRebinding) {
    // Title: the OPTIONS button opens the card, Tab closes it, and a click
    // elsewhere still starts stage 1.
    std::string script = WriteScript(
        "25\n1 mouse:970,560 LMB\n4 mouse:970,560\n1 TAB mouse:970,560\n2 mouse:970,560\n"
        "3 mouse:200,300\n1 mouse:200,300 LMB\n60\n");
    ASSERT_EQ(Run("--no-render --input " + Quote(script) + " --trace " + Quote(File("trace.jsonl"))), 0) << stderr_;
    std::vector<nlohmann::json> frames = ReadTrace();
    ASSERT_GE(frames.size(), 97u);
    EXPECT_FALSE(frames[24].contains("options"));
    for (int i = 25; i < 30; ++i) {
        ASSERT_TRUE(frames[i].contains("options")) << "frame " << i + 1;
        EXPECT_EQ(frames[i]["options"]["open"], true);
    }
    EXPECT_FALSE(frames[30].contains("options")) << "Tab closes it";
    EXPECT_EQ(frames[25].at("clicked"), false) << "the OPTIONS click does not start the game";
    bool started = false;
    for (const auto& frame : frames) started = started || HasEvent(frame, "scene:game:1");
    EXPECT_TRUE(started);

    // Stage: Tab opens the card over a walking player; nothing moves while
    // it is open, though W stays held. The walk-forward key cap (client
    // 1060,170) waits for a key: S is refused (walk back has it), I is taken.
    fs::create_directories(File("profile"));
    script = WriteScript(
        "25\n5 W\n1 W TAB\n5 W\n1 mouse:1060,170\n1 mouse:1060,170 LMB\n1 mouse:1060,170\n1 mouse:1060,170 S\n"
        "2 mouse:1060,170\n1 mouse:1060,170 I\n2 mouse:1060,170\n1 TAB\n5 W\n5 I\n");
    ASSERT_EQ(Run("--no-render --stage 1 --profile " + Quote(File("profile")) + " --input " + Quote(script) +
                  " --trace " + Quote(File("trace.jsonl"))),
              0)
        << stderr_;
    frames = ReadTrace();
    ASSERT_EQ(frames.size(), 56u);
    EXPECT_NE(frames[24]["player"]["pos"], frames[29]["player"]["pos"]) << "walking before";
    const int opened = 30;  // frame 31, index 30
    const int closed = 45;  // frame 46
    for (int i = opened; i < closed; ++i) {
        ASSERT_TRUE(frames[i].contains("options")) << "frame " << i + 1;
        EXPECT_EQ(StageState(frames[i]), StageState(frames[opened - 1])) << "frame " << i + 1 << " moved";
    }
    EXPECT_EQ(frames[37]["options"]["item"], "walkForward");
    EXPECT_EQ(frames[39]["options"]["message"], "S is already bound to walkBack");
    EXPECT_EQ(frames[43]["options"]["message"], "");
    EXPECT_FALSE(frames[closed].contains("options"));
    EXPECT_EQ(StageState(frames[closed]), StageState(frames[opened - 1])) << "the closing frame is still paused";

    const auto z = [&](int i) { return frames[i]["player"]["pos"][2].get<double>(); };
    EXPECT_EQ(z(closed + 4), z(closed - 1)) << "W no longer walks";
    EXPECT_GT(z(closed + 9), z(closed + 4)) << "I walks forward";
    nlohmann::json settings = nlohmann::json::parse(ReadText("profile/settings.json"));
    EXPECT_EQ(settings["keys"]["walkForward"], "I");
}
