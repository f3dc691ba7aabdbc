// --record: a scripted play recorded through the game's recording path (the
// frame loop's input recorder), then the recording replayed with --input.
// The two traces must be the same, frame for frame, and the recording's
// scene comments must name the frames the trace shows the scenes change in.
#include <regex>
#include <sstream>

#include "HarnessFixture.h"

namespace {

// Title: the cursor wanders, a click while the window is inactive is ignored,
// then a real click. Stage 1: walk while turning, jump, look while the window
// is inactive (the motion waits for the focus), fire the hook. P goes back to
// the title, whose cursor is moved and clicked again; Escape ends the run.
constexpr const char* kPlay =
    "3 mouse:200,300\n"
    "2 unfocused LMB mouse:210,310\n"
    "2 mouse:220,320\n"
    "1 LMB\n"
    "45\n"
    "20 W look:3,1\n"
    "1 W SPACE\n"
    "10 W look:-2,0\n"
    "3 unfocused W look:5,5\n"
    "1 LMB look:1,0\n"
    "25\n"
    "1 P\n"
    "20 mouse:400,500\n"
    "5 mouse:640,600\n"
    "1 mouse:640,600 LMB\n"
    "50 W\n"
    "1 ESC\n";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "# frame N: scene:..." lines of a recording, as "N scene:...".
std::vector<std::string> SceneComments(const std::string& recording) {
    std::vector<std::string> out;
    std::istringstream in(recording);
    std::string line;
    const std::regex comment("# frame ([0-9]+): (scene:.*)");
    std::smatch m;
    while (std::getline(in, line))
        if (std::regex_match(line, m, comment)) out.push_back(m[1].str() + " " + m[2].str());
    return out;
}

// The scene events of a trace, as "N scene:...".
std::vector<std::string> SceneEvents(const std::vector<nlohmann::json>& frames) {
    std::vector<std::string> out;
    for (const auto& frame : frames)
        for (const auto& e : frame.at("events"))
            if (e.get<std::string>().rfind("scene:", 0) == 0)
                out.push_back(std::to_string(frame.at("frame").get<int>()) + " " + e.get<std::string>());
    return out;
}

}  // namespace

TEST_F(HarnessRun, RecordedPlayReplaysToTheSameTrace) {
    const std::string script = WriteScript(kPlay);
    const std::string recording = File("recording.txt");
    ASSERT_EQ(Run("--no-render --input " + Quote(script) + " --record " + Quote(recording) + " --trace " +
                  Quote(File("trace.jsonl"))),
              0)
        << stderr_;
    const std::string playedTrace = ReadText("trace.jsonl");
    const std::vector<nlohmann::json> played = ReadTrace();
    const std::string recorded = ReadText("recording.txt");

    // The play did what it was meant to: both scene changes each way, and the
    // inactive click on the title was ignored (the real one came later).
    const std::vector<std::string> scenes = SceneEvents(played);
    ASSERT_EQ(scenes.size(), 4u) << recorded;
    EXPECT_EQ(scenes[0], "1 scene:title");
    EXPECT_EQ(scenes[1].substr(scenes[1].find(' ')), " scene:game:1");
    EXPECT_EQ(scenes[2].substr(scenes[2].find(' ')), " scene:title");
    EXPECT_EQ(scenes[3].substr(scenes[3].find(' ')), " scene:game:1");
    EXPECT_FALSE(played.at(4).at("clicked").get<bool>()) << "frame 5: the inactive click must not count";
    EXPECT_FALSE(played.at(6).at("clicked").get<bool>());
    EXPECT_TRUE(played.at(7).at("clicked").get<bool>()) << "frame 8: the click";
    bool fired = false;
    for (const auto& frame : played)
        if (frame.at("scene") == "game" && frame.at("hook").at("state") != 0) fired = true;
    EXPECT_TRUE(fired);

    // The recording is a script of merged spans: the title's cursor, mouse
    // look, the inactive frames, and the closed window at the end.
    EXPECT_NE(recorded.find("\n2 LMB unfocused mouse:210,310\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("\n20 W look:3,1\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("\n3 W unfocused look:5,5\n"), std::string::npos) << recorded;
    // The title's first frame ends a line with its scene comment.
    EXPECT_NE(recorded.find("\n1 mouse:400,500\n# frame "), std::string::npos) << recorded;
    EXPECT_NE(recorded.find(": scene:title\n19 mouse:400,500\n"), std::string::npos) << recorded;
    EXPECT_TRUE(EndsWith(recorded, "\n1 ESC\n")) << recorded;
    EXPECT_EQ(SceneComments(recorded), scenes) << recorded;

    // The replay of the recording gives the same trace, byte for byte.
    ASSERT_EQ(Run("--no-render --input " + Quote(recording) + " --trace " + Quote(File("trace.jsonl"))), 0)
        << stderr_;
    EXPECT_EQ(ReadTrace().size(), played.size());
    EXPECT_TRUE(ReadText("trace.jsonl") == playedTrace) << "the replay's trace differs from the play's";
}

TEST_F(HarnessRun, RecordingFromAStageNotesItAndEndsWithTheRun) {
    const std::string script = WriteScript("10 W look:4,0\n1 LMB\n20 D\n");
    ASSERT_EQ(Run("--no-render --stage 1 --frames 40 --input " + Quote(script) + " --record " +
                  Quote(File("recording.txt")) + " --trace " + Quote(File("trace.jsonl"))),
              0)
        << stderr_;
    const std::string playedTrace = ReadText("trace.jsonl");
    const std::string recorded = ReadText("recording.txt");
    EXPECT_NE(recorded.find("# started in stage 1: replay with --stage 1\n"), std::string::npos) << recorded;
    // --frames ended the run, not Escape: the last 9 frames held nothing.
    EXPECT_TRUE(EndsWith(recorded, "\n20 D\n9\n")) << recorded;

    ASSERT_EQ(Run("--no-render --stage 1 --input " + Quote(File("recording.txt")) + " --trace " +
                  Quote(File("trace.jsonl"))),
              0)
        << stderr_;
    EXPECT_EQ(ReadTrace().size(), 40u);
    EXPECT_TRUE(ReadText("trace.jsonl") == playedTrace) << "the replay's trace differs from the play's";
}

TEST_F(HarnessRun, RecordingThatCannotBeCreatedStopsTheRun) {
    const std::string missing = File("no such folder/recording.txt");
    EXPECT_EQ(Run("--no-render --frames 5 --record " + Quote(missing)), 1);
    EXPECT_NE(stderr_.find("cannot create the recording"), std::string::npos) << stderr_;
    EXPECT_NE(stderr_.find(missing), std::string::npos) << stderr_;
}
