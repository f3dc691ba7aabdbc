// Stage 2's gimmicks played through gilded_vault_harness: the foyer's return
// door held by a box, the laser fence that fails a careless player and lets
// a careful one through once a box sits on its button, and (on a hand-made
// layout) the time door with its clock and a window that stops the player and
// a beam. Every run checks the trace frame by frame.
#include <gtest/gtest.h>

#include "tests/support/HarnessRun.h"

namespace {

using namespace gvrun;

// Stage 2 places (docs/stage2.md).
const V3 kBox0{10.0, 2.5, 24.0};
const V3 kBox0OnButton{-4.98, 2.5, 23.19};  // where the reel in from (-12, 24) drops it
const V3 kReturnButton{-6.0, 0.0, 24.0};
const V3 kBox1{5.0, 2.5, 98.0};
const V3 kLaserButton{5.0, 0.0, 76.5};
constexpr double kFenceZ = 74.0;
constexpr double kDoorOpen = 7.5;

constexpr int kHookFlight = 30;  // frames to wait for the hook to attach
constexpr int kReel = 20;        // frames to reel a box in and let it land

// The foyer: from the start to (-12, 24), hook box 0 and reel it onto the
// return button, then wait for the door to open.
void FoyerBoxOnButton(Script& s) {
    s.Comment("walk west, then north to (-12, 24), keeping off the button");
    s.WalkTo(-12, 0).WalkTo(-12, 24);
    s.Comment("hook box 0 and reel it onto the return button");
    s.FacePoint(kBox0).Click().Wait(kHookFlight).Click().Wait(kReel);
    s.Comment("the button sinks (15 frames), the door rises (15 frames)");
    s.Wait(40);
}

// Through the open foyer door to (4, 70), just south of the fence.
void ToTheFence(Script& s) {
    s.Comment("north through the foyer door to just south of the fence");
    s.WalkTo(0, 30).WalkTo(4, 70);
}

const json& Button(const Trace& t, int n, const std::string& kind, int which = 0) {
    int seen = 0;
    for (const json& b : t.F(n).at("buttons"))
        if (b.at("kind") == kind && seen++ == which) return b;
    throw std::runtime_error("no " + kind + " button");
}
const json& Door(const Trace& t, int n, const std::string& kind) {
    for (const json& d : t.F(n).at("doors"))
        if (d.at("kind") == kind) return d;
    throw std::runtime_error("no " + kind + " door");
}
// The return button's top: the box's sphere (2.5) must reach its press
// sphere (2.25) about it.
V3 ButtonTop(const Trace& t, int n) {
    return {kReturnButton.x, Button(t, n, "return").at("top").get<double>(), kReturnButton.z};
}
bool ReturnOn(const Trace& t, int n) { return Button(t, n, "return").at("on").get<bool>(); }
double ReturnDoorY(const Trace& t, int n) { return Door(t, n, "return").at("y").get<double>(); }
bool Failed(const Trace& t, int n) { return t.F(n).at("player").at("failed").get<bool>(); }

class GimmickRun : public testing::Test {
protected:
    ScratchDir scratch_{"gimmick"};
    Trace trace_;

    void PlayStage2(const Script& script, int tail) {
        ASSERT_NO_FATAL_FAILURE(RunHarness(scratch_, GV_SOURCE_DIR, "--stage 2", script, tail, trace_));
    }
    void PlayLayout(const std::string& layout, const Script& script, int tail) {
        scratch_.MakeData({{2, layout}});
        ASSERT_NO_FATAL_FAILURE(RunHarness(scratch_, scratch_.Path().string(), "--stage 2", script, tail, trace_));
    }
};

TEST_F(GimmickRun, ABoxOnTheReturnButtonHoldsTheDoorOpenAndPullingItAwayClosesIt) {
    Script s;
    FoyerBoxOnButton(s);
    const int boxOn = s.Frames();
    s.Comment("step back to (-14, 12) and reel the box off the button toward you");
    s.WalkTo(-14, 12).FacePoint(kBox0OnButton).Click().Wait(kHookFlight).Click().Wait(kReel + 30);
    ASSERT_NO_FATAL_FAILURE(PlayStage2(s, 0));
    const Trace& t = trace_;

    // The door stays shut, and blocks, until the box presses the button.
    const int on = t.First([&](int n) { return ReturnOn(t, n); });
    ASSERT_GT(on, 0) << "the button never came on; box 0 at " << Str(t.BoxPos(boxOn, 0));
    EXPECT_LT(Len(t.BoxPos(on, 0) - ButtonTop(t, on)), 4.75) << "the box itself presses it";
    for (int n = 1; n < on; ++n) ASSERT_EQ(ReturnDoorY(t, n), 0.0) << "frame " << n;
    EXPECT_EQ(t.CountEvent("sound:play:Button/Button.wav", 1, on), 1) << "one press sound on the way down";
    const int opening = t.FirstEvent("sound:play:Door/DoorOpen.wav");
    ASSERT_GT(opening, 0);
    EXPECT_LE(opening, on + 1);
    EXPECT_EQ(ReturnDoorY(t, opening + 14), kDoorOpen) << "opens in 15 frames of 0.5";
    EXPECT_TRUE(Door(t, opening + 14, "return").at("lamp").get<bool>());
    EXPECT_EQ(t.CountEvent("sound:play:Door/DoorOpen.wav"), 1);

    // The reel takes the box off: the button goes off in the first frame the
    // box no longer presses it, the door starts down in that frame with its
    // sound and is shut 15 frames later.
    const int off = t.First([&](int n) { return !ReturnOn(t, n); }, on);
    ASSERT_GT(off, 0) << "the button never went off; box 0 ends at " << Str(t.BoxPos(t.Count(), 0));
    EXPECT_GT(Len(t.BoxPos(off, 0) - ButtonTop(t, off)), 4.75);
    EXPECT_TRUE(t.HasEvent(off, "sound:play:Door/DoorClose.wav"));
    EXPECT_TRUE(t.HasEvent(off, "sound:play:Button/Button.wav")) << "one press sound on the way up";
    EXPECT_FALSE(Door(t, off, "return").at("lamp").get<bool>());
    ASSERT_LE(off + 14, t.Count());
    EXPECT_EQ(ReturnDoorY(t, off + 14), 0.0);
    EXPECT_EQ(t.CountEvent("sound:play:Door/DoorClose.wav"), 1);
    EXPECT_EQ(t.CountEvent("sound:play:Button/Button.wav"), 2);
}

TEST_F(GimmickRun, WalkingIntoTheLiveFenceFailsAndRestartsTheStage) {
    Script s;
    FoyerBoxOnButton(s);
    ToTheFence(s);
    const int atFence = s.Frames();
    s.Comment("straight on into the beams");
    s.WalkTo(4, 80);
    ASSERT_NO_FATAL_FAILURE(PlayStage2(s, 30));
    const Trace& t = trace_;

    EXPECT_NEAR(t.Eye(atFence).z, 70.0, 0.3) << "through the foyer door";
    const json& fence = t.F(atFence).at("lasers").at(0);
    EXPECT_TRUE(fence.at("active").get<bool>());
    for (const json& length : fence.at("length")) EXPECT_NEAR(length.get<double>(), 30.0, 0.5) << "east wall";

    const int hit = t.First([&](int n) { return t.F(n).at("lasers").at(0).at("hit").get<bool>(); });
    ASSERT_GT(hit, atFence) << "no beam hit; player at the end " << Str(t.Eye(t.Count()));
    EXPECT_LT(std::abs(t.Eye(hit).z - kFenceZ), 2.6) << "hit where the beams run";
    EXPECT_TRUE(t.HasEvent(hit, "sound:play:Laser/LaserHit.wav"));
    EXPECT_EQ(t.CountEvent("sound:play:Laser/LaserHit.wav"), 1) << "the hit sounds once";
    ASSERT_LT(hit + 1, t.Count());
    EXPECT_TRUE(Failed(t, hit + 1)) << "the player fails in the next frame";
    const int restart = t.FirstEvent("scene:game:2", hit);
    EXPECT_EQ(restart, hit + 1 + 21) << "a 20-frame fade, then the stage is built anew";
}

TEST_F(GimmickRun, ABoxOnTheLaserButtonSwitchesTheFenceOffAndLetsThePlayerThrough) {
    Script s;
    FoyerBoxOnButton(s);
    ToTheFence(s);
    s.Comment("reel box 1 from beyond the fence onto the fence's button");
    s.FacePoint(kBox1).Click().Wait(kHookFlight).Click().Wait(kReel);
    s.Comment("the button sinks (15 frames), the beams thin out (20 frames)");
    s.Wait(40);
    const int beamsGone = s.Frames();
    s.Comment("cross the fence line west of the box and walk north");
    s.WalkTo(-8, 70).WalkTo(-8, 90);
    ASSERT_NO_FATAL_FAILURE(PlayStage2(s, 5));
    const Trace& t = trace_;

    auto laserOn = [&](int n) { return Button(t, n, "laser").at("on").get<bool>(); };
    const int on = t.First(laserOn);
    ASSERT_GT(on, 0) << "the fence's button never came on; box 1 at " << Str(t.BoxPos(t.Count(), 1));
    EXPECT_LT(Len(t.BoxPos(on, 1) - V3{kLaserButton.x, Button(t, on, "laser").at("top").get<double>(), kLaserButton.z}),
              4.75);
    // Every beam thins by 0.01 a frame from the button's frame and is gone
    // within about 20 frames.
    for (const json& w : t.F(on + 20).at("lasers").at(0).at("width")) EXPECT_LE(w.get<double>(), 1e-6);
    EXPECT_LE(on + 20, beamsGone);

    for (int n = 1; n <= t.Count(); ++n) ASSERT_FALSE(Failed(t, n)) << "frame " << n;
    EXPECT_FALSE(t.F(t.Count()).at("lasers").at(0).at("hit").get<bool>());
    EXPECT_GT(t.Eye(t.Count()).z, kFenceZ + 10.0) << "through the fence";
    EXPECT_EQ(t.CountEvent("sound:play:Laser/LaserHit.wav"), 0);
}

// Stage 2's mesh with a time door in the foyer's north doorway, its button
// close to the start, and nothing else.
std::string TimeDoorLayout(int openFrames) {
    return "0\n0\n0\n0\n1\n-8.0,0.0,10.0,0.0,0.0,37.0,0.0," + std::to_string(openFrames) + "\n0\n0.0,0.0,314.0\n";
}

TEST_F(GimmickRun, TheTimeDoorOpensAndShutsOnTimeWithItsClock) {
    constexpr int kOpen = 300;
    Script s;
    s.Comment("onto the time button at (-8, 10) and off it again, then stand still");
    s.WalkTo(-8, 0).WalkTo(-8, 10).WalkTo(-8, 4);
    ASSERT_NO_FATAL_FAILURE(PlayLayout(TimeDoorLayout(kOpen), s, kOpen + 120));
    const Trace& t = trace_;

    auto remaining = [&](int n) { return t.F(n).at("clocks").at(0).at("remaining").get<int>(); };
    auto timeOn = [&](int n) { return Button(t, n, "time").at("on").get<bool>(); };
    auto doorY = [&](int n) { return Door(t, n, "time").at("y").get<double>(); };
    auto angle = [&](int n) { return t.F(n).at("clocks").at(0).at("angle").get<double>(); };

    const int pressed = t.First([&](int n) { return remaining(n) > 0; });
    ASSERT_GT(pressed, 0) << "the button never noticed the player at " << Str(t.Eye(s.Frames()));
    EXPECT_EQ(remaining(pressed), kOpen);
    const int on = t.First(timeOn);
    EXPECT_GE(on - pressed, 14);
    EXPECT_LE(on - pressed, 17) << "sinks in 15 or 16 frames";
    EXPECT_TRUE(t.HasEvent(on, "sound:play:Door/DoorOpen.wav"));
    EXPECT_EQ(doorY(on + 14), kDoorOpen);

    // The hand winds back a full turn at 10 degrees a frame, then ticks.
    const int ticking = t.FirstEvent("sound:play:Door/Time/Timer1.wav");
    ASSERT_GT(ticking, on);
    EXPECT_NEAR(ticking - on, 35, 1);
    EXPECT_LE(angle(ticking), -360.0 + 1e-3);
    const int second = t.FirstEvent("sound:play:Door/Time/Timer2.wav");
    ASSERT_GT(second, ticking);
    EXPECT_TRUE(t.HasEvent(second, "sound:stop:Door/Time/Timer1.wav"));
    EXPECT_GE(angle(second), -90.0 - 3.0);
    EXPECT_EQ(t.CountEvent("sound:play:Door/Time/Timer2.wav"), 1);

    // The bell within a frame of the button going off; the door then shuts.
    const int off = t.First([&](int n) { return !timeOn(n); }, on);
    ASSERT_GT(off, 0);
    EXPECT_EQ(off - pressed, kOpen) << "the countdown runs from the frame after the press";
    const int bell = t.FirstEvent("sound:play:Door/Time/Bell.wav");
    ASSERT_GT(bell, 0);
    EXPECT_LE(std::abs(bell - off), 1);
    EXPECT_TRUE(t.HasEvent(bell, "sound:stop:Door/Time/Timer2.wav"));
    EXPECT_EQ(t.CountEvent("sound:play:Door/Time/Bell.wav"), 1);
    EXPECT_TRUE(t.HasEvent(off, "sound:play:Door/DoorClose.wav"));
    EXPECT_EQ(doorY(off + 14), 0.0);
    EXPECT_FALSE(t.F(t.Count()).at("clocks").at(0).at("ticking").get<bool>());
    EXPECT_EQ(angle(t.Count()), 0.0);
}

// A closing panel sets a body in its way back on the side it stands nearer
// to (here the south, where it came from): moved at most the panel's 0.5 a
// frame, never lifted, clear before the panel reaches it.
constexpr double kDoorZ = 37.0;
constexpr double kShoveStep = 0.5;

TEST_F(GimmickRun, ATimeDoorClosingOnThePlayerSetsHimBackOnTheFloor) {
    constexpr int kOpen = 300;
    Script s;
    s.Comment("press the time button, then stand in the doorway until the door shuts");
    s.WalkTo(-8, 0).WalkTo(-8, 10).WalkTo(0, 30).WalkTo(0, kDoorZ - 0.2);
    ASSERT_NO_FATAL_FAILURE(PlayLayout(TimeDoorLayout(kOpen), s, kOpen));
    const Trace& t = trace_;
    const int arrived = s.Frames();
    ASSERT_EQ(Door(t, arrived, "time").at("y").get<double>(), kDoorOpen) << "the door must be open on arrival";
    ASSERT_NEAR(t.Eye(arrived).z, kDoorZ - 0.2, 0.3) << "standing in the doorway";
    const int shut = t.First([&](int n) { return Door(t, n, "time").at("y").get<double>() == 0.0; }, arrived);
    ASSERT_GT(shut, arrived) << "the door never shut";
    for (int n = arrived + 1; n <= t.Count(); ++n) {
        ASSERT_FALSE(Failed(t, n)) << "frame " << n;
        ASSERT_NEAR(t.Eye(n).y, 3.0, 1e-4) << "lifted in frame " << n;
        ASSERT_LE(Len(t.Eye(n) - t.Eye(n - 1)), kShoveStep + 1e-4) << "jumped in frame " << n;
    }
    EXPECT_LE(t.Eye(shut).z, kDoorZ - 0.25 - 0.5 + 1e-4) << "on the south side, clear of the panel";
    EXPECT_EQ(t.Eye(t.Count()).z, t.Eye(shut).z);
}

TEST_F(GimmickRun, ADoorClosingOnABoxPushesItOutOntoTheFloor) {
    // A box in the foyer's north doorway, under the return door.
    const std::string layout = "1\n0.0,2.5,36.5\n0\n1\n-6.0,0.0,24.0,0.0,0.0,37.0,0.0\n0\n0\n0\n0.0,0.0,314.0\n";
    Script s;
    s.Comment("stand on the return button until the door is open, then step off");
    s.WalkTo(-6, 0).WalkTo(-6, 24).Wait(40).WalkTo(-6, 14);
    ASSERT_NO_FATAL_FAILURE(PlayLayout(layout, s, 60));
    const Trace& t = trace_;
    auto box = [&](int n) { return Vec(t.F(n).at("boxes").at(0)); };
    const int open = t.First([&](int n) { return ReturnDoorY(t, n) == kDoorOpen; });
    ASSERT_GT(open, 0) << "the door never opened";
    const int shut = t.First([&](int n) { return ReturnDoorY(t, n) == 0.0; }, open);
    ASSERT_GT(shut, open) << "the door never shut";
    for (int n = 2; n <= t.Count(); ++n) {
        ASSERT_NEAR(box(n).y, 2.5, 1e-4) << "lifted in frame " << n;
        ASSERT_LE(Len(box(n) - box(n - 1)), kShoveStep + 1e-4) << "jumped in frame " << n;
    }
    EXPECT_NEAR(box(open).z, 36.5, 1e-4) << "still in the doorway while the door is open";
    EXPECT_LE(box(shut).z, kDoorZ - 0.25 - 2.5 + 1e-4) << "on the south side, clear of the panel";
    EXPECT_NEAR(box(t.Count()).x, 0.0, 1e-4);
}

// A window across the way north of the start, a second one turned 90
// degrees in the line of a laser that would otherwise reach the east wall.
const char* kWindowLayout =
    "0\n0\n0\n"
    "2\n0.0,5.0,10.0,0.85,0.85,1.0,0.0\n0.0,5.0,24.0,0.85,0.85,1.0,90.0\n"
    "0\n"
    "1\n12.0,0.0,-6.0,1,-15.0,3.0,24.0,0.0,0.0,0.0,90.0\n"
    "0.0,0.0,314.0\n";

TEST_F(GimmickRun, AWindowStopsThePlayerAndALaserBeam) {
    Script s;
    s.Comment("walk north into the window");
    s.WalkTo(0, 12);
    ASSERT_NO_FATAL_FAILURE(PlayLayout(kWindowLayout, s, 5));
    const Trace& t = trace_;

    // The pane is 0.5 thick about z = 10; walls hold the eye 2 away.
    EXPECT_NEAR(t.Eye(t.Count()).z, 10.0 - 0.25 - 2.0, 0.35) << "stopped in front of the window";
    for (int n = 1; n <= t.Count(); ++n) ASSERT_FALSE(Failed(t, n));
    // The beam starts at x = -14 and ends on the turned pane, within its
    // 0.5 thickness about x = 0, instead of on the east wall 30 away.
    const json& group = t.F(t.Count()).at("lasers").at(0);
    ASSERT_TRUE(group.at("active").get<bool>());
    const double endX = -14.0 + group.at("length").at(0).get<double>();
    EXPECT_GE(endX, -0.25);
    EXPECT_LE(endX, 0.25);
}

}  // namespace
