// The input recorder on the fake platform: what it writes for keys, mouse
// look, the shown cursor, focus, scene changes and the closed window, and
// that a replay of what it wrote on the headless platform gives the game the
// same input in every frame.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "framework/FwTrace.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "framework/platform/FwInputRecorder.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/InputScript.h"
#include "tests/support/TempDir.h"

namespace {

constexpr FwPoint kCentre{640, 360};

// The script lines of a recording: comments kept, the header dropped.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("# Re", 0) != 0) lines.push_back(line);
    return lines;
}

// What the scenes read in one frame, written out for readable failures:
// the held keys, whether the window is active, and either the client pixel
// (cursor shown: the menus) or the mouse-look offset the player takes from
// the centre before warping back (hidden and active; nothing when inactive).
std::string GameReads(FwPlatform& platform) {
    std::ostringstream out;
    for (int vk : {int{'W'}, int{'A'}, int{'S'}, int{'D'}, FwKey::Space, int{'R'}, int{'P'}, FwKey::LButton, FwKey::RButton})
        if (platform.IsKeyDown(vk)) out << vk << ' ';
    const bool active = platform.IsGameWindowActive();
    out << (active ? "active " : "inactive ");
    if (platform.IsCursorShown()) {
        FwPoint client = platform.ScreenToClient(platform.GetCursorPos());
        out << "at " << client.x << ',' << client.y;
    } else if (active) {
        FwPoint centre = platform.ClientToScreen(kCentre);
        FwPoint cursor = platform.GetCursorPos();
        out << "look " << cursor.x - centre.x << ',' << cursor.y - centre.y;
        platform.SetCursorPos(centre);
    }
    return out.str();
}

// A scene change as the scenes make it: the game scene hides the cursor and
// the player warps it to the centre; the title and clear scenes show it.
void ChangeScene(FwPlatform& platform, bool toGame, const std::string& event) {
    if (toGame) {
        platform.ShowCursor(false);
        platform.SetCursorPos(platform.ClientToScreen(kCentre));
    } else {
        platform.ShowCursor(true);
    }
    FwTraceEvent(event);
}

// A play on the fake platform, frame by frame in the frame loop's order.
class Play {
public:
    explicit Play(bool cursorShown = true) : recorder_(out_) {
        fake.cursorShown = cursorShown;
        recorder_.Start();
    }

    // One frame: the recorder reads the input right after the platform's
    // message pump, then the scene runs (scene, when given, after reading),
    // then the frame ends.
    std::string Frame(const std::function<void()>& scene = {}) {
        recorder_.RecordFrame();
        std::string reads = GameReads(fake);
        if (scene) scene();
        recorder_.EndFrame();
        return reads;
    }
    // Mouse motion reported by the pump: the hidden cursor is virtual and
    // moves by the motion, the shown one is wherever the pointer is.
    void Move(int dx, int dy) { fake.cursor = FwPoint{fake.cursor.x + dx, fake.cursor.y + dy}; }

    std::string Text() const { return out_.str(); }
    FwInputRecorder& Recorder() { return recorder_; }

    FakePlatform fake;

private:
    std::stringstream out_;
    FwInputRecorder recorder_;
};

}  // namespace

TEST(InputRecorder, IdenticalFramesShareOneLineWrittenAsTheyRun) {
    Play play(false);
    play.fake.Hold('W');
    play.Frame();
    play.Frame();
    // The span in progress is on the stream already, with its count so far.
    EXPECT_EQ(Lines(play.Text()), (std::vector<std::string>{"2 W"}));
    play.Frame();
    play.fake.Hold(FwKey::Space);
    play.Frame();
    play.Frame();
    play.fake.ReleaseAll();
    play.Frame();
    play.fake.Hold('W');
    for (int i = 0; i < 12; ++i) play.Frame();  // the count grows a digit in place
    play.fake.Hold(FwKey::LButton);
    play.fake.Hold(FwKey::RButton);
    play.fake.Hold('D');
    play.fake.Hold('R');
    play.fake.Hold('P');
    play.fake.Hold('A');
    play.fake.Hold('S');
    play.fake.Hold(FwKey::Space);
    play.Frame();
    EXPECT_EQ(Lines(play.Text()),
              (std::vector<std::string>{"3 W", "2 W SPACE", "1", "12 W", "1 W A S D SPACE R P LMB RMB"}));
    EXPECT_EQ(play.Recorder().Frames(), 19u);

    std::vector<FwInputSpan> spans;
    std::string error;
    ASSERT_TRUE(inputscript::Parse(play.Text(), spans, error)) << error;
    ASSERT_EQ(spans.size(), 5u);
    EXPECT_EQ(spans[3].frames, 12u);
}

TEST(InputRecorder, LookIsTheMotionSinceThePreviousFrameEndedCountedOnce) {
    Play play(false);
    // Several motions between two frames add up in the frame that sees them.
    play.Move(3, 1);
    play.Move(7, -4);
    play.Move(-2, 0);
    EXPECT_EQ(play.Frame(), "active look 8,-3");
    // The player's warp back to the centre is not motion; a still frame has
    // no look token.
    EXPECT_EQ(play.Frame(), "active look 0,0");
    play.Move(0, 5);
    play.Frame();
    play.Move(0, 5);
    play.Frame();
    // Inactive window: the game reads nothing and does not warp, so the
    // motion piles up; each frame records only its own share.
    play.fake.active = false;
    play.Move(4, 0);
    EXPECT_EQ(play.Frame(), "inactive ");
    play.Move(-1, 2);
    play.Frame();
    play.fake.active = true;
    play.Move(1, 1);
    EXPECT_EQ(play.Frame(), "active look 4,3");
    EXPECT_EQ(Lines(play.Text()),
              (std::vector<std::string>{"1 look:8,-3", "1", "2 look:0,5", "1 unfocused look:4,0",
                                        "1 unfocused look:-1,2", "1 look:1,1"}));
}

TEST(InputRecorder, ShownCursorIsRecordedAsItsClientPixelHeldAtTheEdges) {
    Play play(true);
    play.fake.cursor = {100, 200};
    play.Frame();
    play.Frame();
    play.fake.cursor = {640, 560};
    play.fake.Hold(FwKey::LButton);
    play.Frame();
    play.fake.ReleaseAll();
    play.fake.active = false;  // the menus read the cursor whatever the focus
    play.Frame();
    play.fake.active = true;
    play.fake.cursor = {-40, 900};
    play.Frame();
    play.fake.cursor = {1500, -3};
    play.Frame();
    EXPECT_EQ(Lines(play.Text()),
              (std::vector<std::string>{"2 mouse:100,200", "1 LMB mouse:640,560", "1 unfocused mouse:640,560",
                                        "1 mouse:0,719", "1 mouse:1279,0"}));
}

TEST(InputRecorder, SceneChangesEndTheLineWithACommentAndTheTraceStillFlows) {
    std::vector<std::string> seen;
    FwSetTraceSink([&seen](const std::string& event) { seen.push_back(event); });
    {
        Play play(true);
        play.Frame([] { FwTraceEvent("scene:title"); });
        play.Frame();
        play.Frame([&] { ChangeScene(play.fake, true, "scene:game:1"); });
        play.Frame([] { FwTraceEvent("sound:play:Player/Landing.wav"); });
        play.Frame();
        play.Frame([&] {
            ChangeScene(play.fake, false, "scene:title");
            FwTraceEvent("sound:stop:BGM.wav");
        });
        EXPECT_EQ(Lines(play.Text()),
                  (std::vector<std::string>{"1 mouse:640,360", "# frame 1: scene:title", "2 mouse:640,360",
                                            "# frame 3: scene:game:1", "3", "# frame 6: scene:title"}));
        play.Recorder().Finish();
        FwTraceEvent("scene:clear:1");  // after Finish: no longer recorded
        EXPECT_EQ(Lines(play.Text()).back(), "# frame 6: scene:title");
    }
    // The sink installed before the recording got every event, and has it back.
    EXPECT_EQ(seen, (std::vector<std::string>{"scene:title", "scene:game:1", "sound:play:Player/Landing.wav",
                                              "scene:title", "sound:stop:BGM.wav", "scene:clear:1"}));
    FwSetTraceSink({});
}

TEST(InputRecorder, ClosedWindowEndsTheScriptWithEscape) {
    Play play(false);
    play.fake.Hold('W');
    play.Frame();
    play.Frame();
    play.fake.alive = false;  // Escape or the close box, seen by the pump
    play.Frame();
    play.Frame();  // the loop has ended; nothing more is written
    EXPECT_EQ(Lines(play.Text()), (std::vector<std::string>{"2 W", "# frame 3: the window was closed", "1 ESC"}));
    EXPECT_EQ(play.Recorder().Frames(), 2u);
}

// The play: clicks on the title, mouse look with motions that arrive
// several at a time and while the window is inactive, a return to the
// title. The replay of the recording on the headless platform must hand the
// game the same input in every frame.
TEST(InputRecorder, ReplayOnTheHeadlessPlatformReadsWhatThePlayRead) {
    // Per frame: what happens on the desk before it, and after the scene ran.
    struct Step {
        std::function<void(Play&)> desk;
        std::function<void(FwPlatform&)> scene;
    };
    const auto toGame = [](FwPlatform& p) { ChangeScene(p, true, "scene:game:1"); };
    const auto toTitle = [](FwPlatform& p) { ChangeScene(p, false, "scene:title"); };
    std::vector<Step> steps{
        {[](Play& p) { p.fake.cursor = {300, 200}; }, {}},
        {[](Play& p) { p.fake.cursor = {310, 230}; }, {}},
        {[](Play& p) { p.fake.Hold(FwKey::LButton); }, toGame},
        {[](Play& p) {
             p.fake.ReleaseAll();
             p.fake.Hold('W');
             p.Move(5, 0);
             p.Move(5, 1);
         },
         {}},
        {[](Play& p) { p.Move(-3, 2); }, {}},
        {[](Play&) {}, {}},
        {[](Play& p) {
             p.fake.active = false;
             p.fake.ReleaseAll();
             p.Move(6, 6);
         },
         {}},
        {[](Play& p) { p.Move(1, -9); }, {}},
        {[](Play& p) {
             p.fake.active = true;
             p.Move(2, 2);
             p.fake.Hold(FwKey::Space);
         },
         {}},
        {[](Play& p) {
             p.fake.ReleaseAll();
             p.fake.Hold('P');
             p.Move(-4, 0);
         },
         toTitle},
        {[](Play& p) {
             p.fake.ReleaseAll();
             p.fake.cursor = {900, 650};
         },
         {}},
        {[](Play& p) { p.fake.Hold(FwKey::LButton); }, {}},
    };

    std::vector<std::string> played;
    std::string recording;
    {
        Play play(true);
        for (const Step& step : steps) {
            step.desk(play);
            played.push_back(play.Frame([&] {
                if (step.scene) step.scene(play.fake);
            }));
        }
        play.Recorder().Finish();
        recording = play.Text();
    }
    FwSetTraceSink({});

    std::vector<FwInputSpan> spans;
    std::string error;
    ASSERT_TRUE(inputscript::Parse(recording, spans, error)) << error << "\n" << recording;
    FwHeadlessPlatform headless;
    headless.SetScript(std::move(spans));
    ASSERT_EQ(headless.ScriptFrames(), steps.size()) << recording;
    FwSetPlatform(&headless);
    std::vector<std::string> replayed;
    for (const Step& step : steps) {
        headless.ProcessMessages();
        replayed.push_back(GameReads(headless));
        if (step.scene) step.scene(headless);
    }
    FwSetPlatform(nullptr);
    FwSetTraceSink({});
    EXPECT_EQ(replayed, played) << recording;
    // The play really looked around and was really inactive for a while.
    EXPECT_EQ(played[3], "87 active look 10,1");
    EXPECT_EQ(played[6], "inactive ");
    EXPECT_EQ(played[8], "32 active look 9,-1");
}

TEST(InputRecorder, FileHoldsEveryStartedFrameAndBadPathsAreRefused) {
    TempDir dir("gv_record");
    ASSERT_FALSE(dir.path.empty());
    const std::string file = (dir.path / "play.txt").string();
    FakePlatform fake;
    fake.cursorShown = false;
    FwInputRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.Open(file, error)) << error;
    recorder.Start();
    fake.Hold('W');
    for (int i = 0; i < 3; ++i) {
        recorder.RecordFrame();
        recorder.EndFrame();
    }
    // Before Finish (as after a crash) the file already covers the frames.
    const auto read = [&file] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(Lines(read()), (std::vector<std::string>{"3 W"}));
    recorder.Finish();
    EXPECT_TRUE(recorder.Good());
    EXPECT_EQ(Lines(read()), (std::vector<std::string>{"3 W"}));
    FwSetTraceSink({});

    FwInputRecorder refused;
    const std::string missing = (dir.path / "no such folder" / "play.txt").string();
    EXPECT_FALSE(refused.Open(missing, error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_FALSE(refused.Open(dir.path.string(), error)) << "a folder is not a recording";
}
