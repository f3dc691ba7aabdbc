// The end of a stage played through gilded_vault_harness: the hook catches
// the jewel, the cut-in plays, the scene fades into the clear scene, and the
// clear menu (driven with mouse:X,Y) leads to the next stage, the same stage
// again or the title. The stages here are hand-made layouts on the real stage
// meshes with the showcase a few steps from the start.
#include <gtest/gtest.h>

#include "tests/support/HarnessRun.h"

namespace {

using namespace gvrun;

// No boxes, doors, windows or lasers; the showcase 12 ahead of the start.
constexpr const char* kNearJewel = "0\n0\n0\n0\n0\n0\n0.0,0.0,12.0\n";
const V3 kJewel{0.0, 6.0, 12.0};

constexpr int kCutInFrames = 102;
constexpr int kFadeFrames = 20;
// From the click at the jewel until the clear scene has faded in: the
// flight, the catch, the cut-in, the fade-out and the clear scene's fade-in.
constexpr int kClickToMenu = 20 + kCutInFrames + kFadeFrames + 25;

// Client pixels of the menu buttons' centres (screen-centre coordinates
// (x, -200) are client (640 + x, 560)).
constexpr int kMenuY = 560;
constexpr int kNextStageX3 = 240, kPlayAgainX2 = 440, kTitleX2 = 840;

// Hooks the jewel from the start and waits until the clear menu is up.
void ClearTheStage(Script& s) {
    s.NewScene().Wait(5);
    s.Comment("hook the jewel on its showcase");
    s.FacePoint(kJewel).Click().Wait(kClickToMenu);
}

// Moves the cursor onto a menu button, clicks, and waits for the next scene.
void Choose(Script& s, int clientX) {
    const std::string at = "mouse:" + std::to_string(clientX) + "," + std::to_string(kMenuY);
    s.Hold(2, at).Hold(1, at + " LMB").Wait(kFadeFrames + 5);
}

class ClearRun : public testing::Test {
protected:
    ScratchDir scratch_{"clear"};
    Trace t_;

    void Play(const Script& s, int tail) {
        scratch_.MakeData({{1, kNearJewel}, {2, kNearJewel}});
        ASSERT_NO_FATAL_FAILURE(RunHarness(scratch_, scratch_.Path().string(), "--stage 1", s, tail, t_));
    }
    bool Taken(int n) const {
        return t_.F(n).contains("jewel") && t_.F(n).at("jewel").at("taken").get<bool>();
    }
};

TEST_F(ClearRun, HookingTheJewelClearsTheStageAfterTheCutInAndTheMenuLeadsOn) {
    Script s;
    ClearTheStage(s);
    s.Comment("clear menu after stage 1: next stage");
    Choose(s, kNextStageX3);
    ClearTheStage(s);
    s.Comment("clear menu after stage 2: play again");
    Choose(s, kPlayAgainX2);
    ClearTheStage(s);
    s.Comment("clear menu after stage 2: back to the title");
    Choose(s, kTitleX2);
    ASSERT_NO_FATAL_FAILURE(Play(s, 5));

    // Stage 1: caught one frame, taken the next, then the 102-frame cut-in
    // and the 20-frame fade before the clear scene is current.
    const int caught = t_.First([&](int n) { return t_.F(n).at("jewel").at("caught").get<bool>(); });
    ASSERT_GT(caught, 0) << "the jewel was never caught; hook state at the end " << t_.HookState(s.Frames());
    EXPECT_TRUE(t_.HasEvent(caught, "sound:play:Jewel/JewelGet.wav"));
    EXPECT_FALSE(Taken(caught));
    const int taken = caught + 1;
    EXPECT_TRUE(Taken(taken));
    const int finished = t_.First([&](int n) { return t_.F(n).at("cutin").at("finished").get<bool>(); });
    EXPECT_EQ(finished - taken + 1, kCutInFrames) << "finished on the 102nd update";
    const int clear1 = t_.FirstEvent("scene:clear:1");
    ASSERT_GT(clear1, 0);
    EXPECT_NEAR(clear1 - taken, kCutInFrames + kFadeFrames, 1);
    for (int n = taken; n < clear1; ++n) {
        EXPECT_EQ(t_.F(n).at("scene"), "game");
        EXPECT_FALSE(t_.F(n).at("player").at("failed").get<bool>());
    }
    // The player is frozen while the cut-in plays.
    EXPECT_EQ(Len(t_.Eye(taken) - t_.Eye(clear1 - 1)), 0.0);

    // The clear menu after stage 1 has three buttons; the next stage follows.
    const json& menu1 = t_.F(clear1).at("menu");
    EXPECT_EQ(t_.F(clear1).at("stage"), 1);
    ASSERT_EQ(menu1.at("buttons").size(), 3u);
    EXPECT_EQ(menu1.at("buttons").at(0).at(0).get<double>(), -400.0);
    const int game2 = t_.FirstEvent("scene:game:2", clear1);
    ASSERT_GT(game2, clear1);
    EXPECT_EQ(t_.F(game2 - 1).at("menu").at("choice"), 0);
    EXPECT_FALSE(t_.F(game2 - 1).at("menu").at("accepting").get<bool>());

    // Stage 2 cleared: two buttons; play again restarts stage 2.
    const int clear2 = t_.FirstEvent("scene:clear:2", game2);
    ASSERT_GT(clear2, game2);
    ASSERT_EQ(t_.F(clear2).at("menu").at("buttons").size(), 2u);
    const int again = t_.FirstEvent("scene:game:2", clear2);
    ASSERT_GT(again, clear2);
    EXPECT_EQ(t_.F(again - 1).at("menu").at("choice"), 1);

    // Cleared again: the title button returns to the title.
    const int clear3 = t_.FirstEvent("scene:clear:2", again);
    ASSERT_GT(clear3, again);
    const int title = t_.FirstEvent("scene:title", clear3);
    ASSERT_GT(title, clear3);
    EXPECT_EQ(t_.F(title - 1).at("menu").at("choice"), 2);
    EXPECT_EQ(t_.F(t_.Count()).at("scene"), "title");
    EXPECT_EQ(t_.CountEvent("sound:play:Jewel/JewelGet.wav"), 3);
    EXPECT_EQ(t_.FirstEvent("scene:game:1", 2), 0) << "no restart on the way";
}

// The menu's click takes the latch the hook gun shares: still held when the
// next stage starts, it fires nothing until it has been released.
TEST_F(ClearRun, AMenuClickHeldIntoTheNextStageFiresNoHook) {
    Script s;
    ClearTheStage(s);
    const std::string at = "mouse:" + std::to_string(kNextStageX3) + "," + std::to_string(kMenuY);
    s.Hold(2, at).Hold(kFadeFrames + 15, at + " LMB");
    const int released = s.Frames() + 1;
    s.Wait(3).Click().Wait(5);
    ASSERT_NO_FATAL_FAILURE(Play(s, 0));

    const int game2 = t_.FirstEvent("scene:game:2");
    ASSERT_GT(game2, 0);
    ASSERT_LT(game2 + 5, released) << "the button must still be held in the new stage";
    // The hook stays ready while the button is held; released, a new click
    // fires it as usual.
    const int fired = t_.First([&](int n) { return t_.HookState(n) != 0; }, game2);
    EXPECT_GT(fired, released) << "fired while the menu's click was still held";
}

}  // namespace
