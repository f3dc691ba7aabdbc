// The whole game cleared from the title: full_game.txt (beside this file)
// replayed through gilded_vault_harness, and its trace checked for what a
// player must get through: the guide's lessons in stage 1, every kind of
// gimmick working in stage 2, stage 3's combinations, every stage cleared,
// no failure on the way, and the menu back to the title. The replay keeps
// its progress in a scratch profile folder, so each clear's time is checked
// in the clear scene and in progress.json.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "tests/support/HarnessRun.h"

namespace {

using namespace gvrun;

const std::string kPlaythrough = std::string(GV_SOURCE_DIR) + "/tests/playthroughs/full_game.txt";

class Playthrough : public testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = new ScratchDir("playthrough");
        trace_ = new Trace;
        RunHarnessFile(*scratch_, GV_SOURCE_DIR, "--profile " + Quote(scratch_->File("profile")), kPlaythrough, 0,
                       *trace_);
    }
    static void TearDownTestSuite() {
        delete trace_;
        delete scratch_;
        trace_ = nullptr;
        scratch_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(trace_ && trace_->Count() > 0) << "the replay did not run"; }

    // First and last frame of the game scene of `stage` (the first visit).
    std::pair<int, int> StageSpan(int stage) const {
        const Trace& t = *trace_;
        const int start = t.FirstEvent("scene:game:" + std::to_string(stage));
        const int clear = t.FirstEvent("scene:clear:" + std::to_string(stage), start);
        return {start, clear > 0 ? clear - 1 : t.Count()};
    }

    static ScratchDir* scratch_;
    static Trace* trace_;
};
ScratchDir* Playthrough::scratch_ = nullptr;
Trace* Playthrough::trace_ = nullptr;

TEST_F(Playthrough, EveryStageIsClearedInOrderAndTheMenuReturnsToTheTitle) {
    const Trace& t = *trace_;
    std::vector<std::string> scenes;
    for (int n = 1; n <= t.Count(); ++n)
        for (const json& e : t.F(n).at("events"))
            if (e.get<std::string>().rfind("scene:", 0) == 0) scenes.push_back(e.get<std::string>());
    const std::vector<std::string> expected{"scene:title",   "scene:game:1",  "scene:clear:1", "scene:game:2",
                                            "scene:clear:2", "scene:game:3",  "scene:clear:3", "scene:title"};
    EXPECT_EQ(scenes, expected) << "no restart, no detour";
    EXPECT_EQ(t.F(t.Count()).at("scene"), "title");
    for (int n = 1; n <= t.Count(); ++n) {
        if (t.F(n).at("scene") != "game") continue;
        ASSERT_FALSE(t.F(n).at("player").at("failed").get<bool>()) << "failed in frame " << n;
        ASSERT_FALSE(t.F(n).at("lasers").is_array() &&
                     std::any_of(t.F(n).at("lasers").begin(), t.F(n).at("lasers").end(),
                                 [](const json& g) { return g.at("hit").get<bool>(); }))
            << "a beam hit the player in frame " << n;
    }
    // The clear menu: three buttons after every stage but the last, two
    // after stage 3; next stage after stages 1 and 2, title after 3.
    for (int stage = 1; stage <= 3; ++stage) {
        const int clear = t.FirstEvent("scene:clear:" + std::to_string(stage));
        ASSERT_GT(clear, 0) << "stage " << stage;
        EXPECT_EQ(t.F(clear).at("menu").at("buttons").size(), stage < 3 ? 3u : 2u) << "after stage " << stage;
    }
    const int game2 = t.FirstEvent("scene:game:2");
    EXPECT_EQ(t.F(game2 - 1).at("menu").at("choice"), 0);
    const int game3 = t.FirstEvent("scene:game:3");
    ASSERT_GT(game3, game2);
    EXPECT_EQ(t.F(game3 - 1).at("scene"), "clear");
    EXPECT_EQ(t.F(game3 - 1).at("stage"), 2);
    EXPECT_EQ(t.F(game3 - 1).at("menu").at("choice"), 0) << "NEXT STAGE after stage 2 leads to stage 3";
    const int title = t.FirstEvent("scene:title", game3);
    EXPECT_EQ(t.F(title - 1).at("menu").at("choice"), 2);
}

TEST_F(Playthrough, StageOneTeachesEveryLessonOfTheGuide) {
    const Trace& t = *trace_;
    const auto [start, end] = StageSpan(1);
    ASSERT_GT(start, 0);
    // Pages only move 0 -> 1 -> 2 -> 1 -> 3 -> 4 (with loops back to 1).
    std::vector<int> pages;
    for (int n = start; n <= end; ++n) {
        const int page = t.F(n).at("guide").at("page").get<int>();
        if (pages.empty() || pages.back() != page) pages.push_back(page);
    }
    EXPECT_EQ(pages, (std::vector<int>{0, 1, 2, 1, 3, 4}));
    EXPECT_TRUE(t.F(end).at("jewel").at("taken").get<bool>());
}

TEST_F(Playthrough, StageTwoWorksEveryKindOfGimmick) {
    const Trace& t = *trace_;
    const auto [start, end] = StageSpan(2);
    ASSERT_GT(start, 0);
    std::set<std::string> buttonsOn, doorsOpened;
    bool clockTicked = false, beamsWentOut = false;
    for (int n = start; n <= end; ++n) {
        const json& f = t.F(n);
        for (const json& b : f.at("buttons"))
            if (b.at("on").get<bool>()) buttonsOn.insert(b.at("kind").get<std::string>());
        for (const json& d : f.at("doors"))
            if (d.at("y").get<double>() >= 7.5) doorsOpened.insert(d.at("kind").get<std::string>());
        for (const json& c : f.at("clocks")) clockTicked |= c.at("ticking").get<bool>();
        const json& fence = f.at("lasers").at(0);
        beamsWentOut |= fence.at("active").get<bool>() &&
                        std::all_of(fence.at("width").begin(), fence.at("width").end(),
                                    [](const json& w) { return w.get<double>() <= 0.0; });
    }
    EXPECT_EQ(buttonsOn, (std::set<std::string>{"pushing", "return", "time", "laser"}));
    EXPECT_EQ(doorsOpened, (std::set<std::string>{"pushing", "return", "time"}));
    EXPECT_TRUE(clockTicked);
    EXPECT_TRUE(beamsWentOut) << "the fence was switched off";
    EXPECT_GT(t.CountEvent("sound:play:Door/Time/Timer1.wav", start, end), 0);
    EXPECT_TRUE(t.F(end).at("jewel").at("taken").get<bool>());
    // The time door was still open when the player went through it: he ends
    // in the vault, north of the door.
    EXPECT_GT(t.Eye(end).z, 290.8);
}

TEST_F(Playthrough, StageThreeCombinesWhatTheOthersTaught) {
    const Trace& t = *trace_;
    const auto [start, end] = StageSpan(3);
    ASSERT_GT(start, 0);
    // buttons: return R0, R1, R2, time T0, laser L0 (sealed room), L1 (fence)
    bool bothLocksOpen = false, boxCrossed = false, timeDoorOpened = false;
    for (int n = start; n <= end; ++n) {
        const json& f = t.F(n);
        const json& doors = f.at("doors");
        // the foyer's two return doors stand open together
        bothLocksOpen |= doors.at(0).at("y").get<double>() >= 7.5 && doors.at(1).at("y").get<double>() >= 7.5;
        // box 2 rests beyond the chasm (z 84 to 102) on the third button
        const json& box2 = f.at("boxes").at(2);
        boxCrossed |= box2.at(2).get<double>() > 102.0 && f.at("buttons").at(2).at("on").get<bool>();
        // the time door opens while its button lies behind the fence, which
        // never goes out: a box, not the player, holds it
        if (doors.at(3).at("y").get<double>() >= 7.5) {
            timeDoorOpened = true;
            EXPECT_TRUE(f.at("buttons").at(3).at("on").get<bool>() || f.at("clocks").at(0).at("ticking").get<bool>());
        }
        ASSERT_FALSE(f.at("buttons").at(5).at("on").get<bool>()) << "the fence was switched off in frame " << n;
    }
    EXPECT_TRUE(bothLocksOpen);
    EXPECT_TRUE(boxCrossed) << "box 2 was carried over the chasm";
    EXPECT_TRUE(timeDoorOpened);
    const json& box3 = t.F(end).at("boxes").at(3);
    EXPECT_GT(box3.at(2).get<double>(), 226.0) << "box 3 rests beyond the fence";
    // The player ends in the vault, east of the time door's wall.
    EXPECT_GT(t.Eye(end).x, 16.8);
    EXPECT_TRUE(t.F(end).at("jewel").at("taken").get<bool>());
}

TEST_F(Playthrough, EachClearKeepsItsTimeAndTheTitleThenOffersAll) {
    const Trace& t = *trace_;
    std::ifstream file(scratch_->File("profile/progress.json"));
    ASSERT_TRUE(file) << "no progress.json in the profile folder";
    const json progress = json::parse(file);
    for (int stage = 1; stage <= 3; ++stage) {
        const std::string name = std::to_string(stage);
        const auto [start, end] = StageSpan(stage);
        const int taken = t.First([&](int n) { return t.F(n).at("jewel").at("taken").get<bool>(); }, start);
        ASSERT_GT(taken, start) << "stage " << stage;
        // From the scene's first frame to the frame the jewel was taken.
        const json& time = t.F(end + 1).at("time");
        const uint64_t frames = static_cast<uint64_t>(taken - start + 1);
        EXPECT_EQ(time.at("frames").get<uint64_t>(), frames) << "stage " << stage;
        EXPECT_EQ(time.at("best").get<uint64_t>(), frames) << "stage " << stage;
        EXPECT_TRUE(time.at("newBest").get<bool>()) << "the first clear is the best";
        EXPECT_TRUE(progress.at("stages").at(name).at("cleared").get<bool>());
        EXPECT_EQ(progress.at("stages").at(name).at("bestFrames").get<uint64_t>(), frames) << "stage " << stage;
    }
    // The fresh profile offered stage 1 alone; after the three clears the
    // title offers them all.
    EXPECT_EQ(t.F(1).at("stages"), json::array({1}));
    EXPECT_EQ(t.F(t.Count()).at("stages"), json::array({1, 2, 3}));
    // The settings in use are in every frame: the defaults, since the
    // profile folder had no settings file.
    const json defaults = {{"mouseSensitivity", 1.0}, {"invertLook", false},  {"musicVolume", 100},
                           {"effectsVolume", 100},    {"fullscreen", false},  {"renderScale", 1.0}, {"renderScaleAuto", false},
                           {"controllerLookSpeed", 1.0},
                           {"keys", {{"walkForward", "W"}, {"walkBack", "S"}, {"walkLeft", "A"}, {"walkRight", "D"},
                                     {"jump", "SPACE"}, {"stopPull", "R"}, {"backToTitle", "P"}}}};
    for (int n = 1; n <= t.Count(); ++n) ASSERT_EQ(t.F(n).at("settings"), defaults) << "frame " << n;
}

// A recorded play of stage 3 by someone who had not seen the scripted route:
// it takes other ways through every room (see the file's head), so a change
// that only the scripted route survives shows here.
TEST(StageThreeFirstPlay, ARecordedUnscriptedPlayStillClearsIt) {
    ScratchDir scratch("first-play");
    Trace t;
    RunHarnessFile(scratch, GV_SOURCE_DIR, "--stage 3",
                   std::string(GV_SOURCE_DIR) + "/tests/playthroughs/stage3_first_play.txt", 0, t);
    ASSERT_GT(t.Count(), 0);
    const int clear = t.FirstEvent("scene:clear:3");
    ASSERT_GT(clear, 0) << "stage 3 was not cleared";
    for (int n = 1; n < clear; ++n) ASSERT_FALSE(t.F(n).at("player").at("failed").get<bool>()) << "frame " << n;
    // The way it went: box 2 carried over the chasm, box 3 through the fence.
    EXPECT_GT(t.F(clear - 1).at("boxes").at(2).at(2).get<double>(), 102.0);
    EXPECT_GT(t.F(clear - 1).at("boxes").at(3).at(2).get<double>(), 226.0);
}

}  // namespace
