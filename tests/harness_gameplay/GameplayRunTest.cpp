// End-to-end play of stage 1 through gilded_vault_harness: scripted input,
// checked frame by frame in the JSON Lines trace (player, hook, boxes,
// fade, scene events). The runs use the harness's logic-only mode; the one
// that looks at pixels names its frame with --shot.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/math/FwMath.h"
#include "game/StageFile.h"
#include "tests/support/HarnessRun.h"

namespace {

using namespace gvrun;

// Per-frame rules of the player and the hook gun that the runs check.
constexpr double kJumpSpeed = 1.5;
constexpr double kJumpDecay = 0.1;
constexpr double kGravity = 0.03;
constexpr double kMaxFall = -1.0;
constexpr double kSnapRange = 3.5;  // eye height + 0.5
constexpr double kFailDepth = -150.0;
constexpr double kHookFlight = 1.0;
constexpr double kReelSpeed = 1.5;
constexpr double kHookRange = 35.0;
constexpr double kBoxHalfHeight = 2.5;

// Stage 1 geometry that the coordinate file does not hold (docs/stage1.md):
// the ceiling height, the inner face of the start hall's east wall, the
// barrier across the start hall and the near edge of the pit in the gap hall.
constexpr double kStage1Ceiling = 24.0;
constexpr double kStage1EastWallX = 12.0;
constexpr double kStage1BarrierNearZ = 20.0;
constexpr double kStage1PitNearZ = 84.0;


// Whole pixels of mouse motion that turn the view by about `degrees`.
int LookPixels(double degrees) { return static_cast<int>(std::lround(degrees * kLookPixelsPerDegree)); }
double LookDegrees(int pixels) { return pixels / kLookPixelsPerDegree; }

// The eye 3.0 above a floor at y = 0 (the landing snap leaves float noise).
bool Standing(const V3& eye) { return std::abs(eye.y - kEyeHeight) < 1e-4; }

// Stage 1 from the start to (0, 42) beyond the barrier: walk north, jump the
// barrier on the way (the jump starts 2 units before it and the walk goes on
// in the air), then hook box 0 at the far end of the hall and reel it onto
// the return button; wait for the door to open.
void Stage1BoxOnButton(Script& s, const Vector3& box) {
    s.Comment("north over the barrier to (0, 42)");
    s.Hold(52, "W").Hold(1, "W SPACE").Hold(87, "W").SetFeet({0, 0, 42});
    s.Comment("hook box 0 and reel it onto the door's button");
    s.FacePoint({box.x, box.y, box.z}).Click().Wait(30).Click().Wait(20);
    s.Comment("the button sinks (15 frames), the door rises (15 frames)");
    s.Wait(35);
}

class GameplayRun : public testing::Test {
protected:
    // Runs stage 1 with the script for `frames` frames from the repository
    // root (the harness reads Data/ from there) and loads the trace. The
    // first element is frame 1.
    void PlayStage1(const std::string& script, int frames, const std::string& extraArgs = "") {
        const std::string input = File("input.txt");
        std::ofstream(input) << script;
        Trace trace;
        RunHarnessFile(scratch_, GV_SOURCE_DIR, "--stage 1 " + extraArgs, input, frames, trace);
        frames_ = std::move(trace.frames);
        for (size_t i = 0; i < frames_.size(); ++i) ASSERT_EQ(frames_[i].at("frame"), i + 1);
    }

    // The trace record of frame n (1-based).
    const json& F(int n) const { return frames_.at(static_cast<size_t>(n - 1)); }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    V3 Eye(int n) const { return Vec(F(n).at("player").at("pos")); }
    V3 Hook(int n) const { return Vec(F(n).at("hook").at("pos")); }
    int HookState(int n) const { return F(n).at("hook").at("state").get<int>(); }
    V3 BoxPos(int n, size_t box) const { return Vec(F(n).at("boxes").at(box)); }
    double Fade(int n) const { return F(n).at("fade").get<double>(); }
    bool HasEvent(int n, const std::string& event) const {
        const json& events = F(n).at("events");
        return std::find(events.begin(), events.end(), event) != events.end();
    }
    // First frame at or after `from` whose hook state is `state`, or 0.
    int FirstHookState(int state, int from = 1) const {
        for (int n = from; n <= FrameCount(); ++n)
            if (HookState(n) == state) return n;
        return 0;
    }

    static StageLayout Stage1Layout() {
        StageFileResult file = LoadStageFile(std::string(GV_SOURCE_DIR) + "/" + StageFilePath(1));
        EXPECT_TRUE(file.Ok()) << file.error.ToString();
        return file.layout.value_or(StageLayout{});
    }

    std::string File(const std::string& name) const { return scratch_.File(name); }

    ScratchDir scratch_{"gameplay"};
    std::vector<json> frames_;
};

// The eye height of each frame of a jump from the floor, by the jump and
// gravity rules: the rise is min(jump speed, ceiling room) and slows by 0.1 a
// frame; gravity acts once the eye is more than 3.5 above the floor (falling
// at the speed of the previous frame, 0.03 faster each frame, at most 1.0);
// within 3.5 the eye snaps to 3.0 and the jump ends.
struct JumpModel {
    double ceiling;
    double y = kEyeHeight;
    double jumpSpeed = kJumpSpeed;
    double fallSpeed = 0.0;
    bool jumping = true;

    void Step() {
        if (jumping) {
            double room = std::max(ceiling - y - 1.0, 0.0);
            double rise = std::min(jumpSpeed, room);
            y += rise;
            jumpSpeed = std::max(rise - kJumpDecay, 0.0);
        }
        if (y > kSnapRange) {
            y += fallSpeed;
            fallSpeed = std::max(fallSpeed - kGravity, kMaxFall);
        } else {
            y = kEyeHeight;
            fallSpeed = 0.0;
            jumping = false;
        }
    }
};

TEST_F(GameplayRun, HoldingWWalksPointThreePerFrameAlongZAndStopsOnRelease) {
    ASSERT_NO_FATAL_FAILURE(PlayStage1("40 W\n5\n", 45, "--shot 45:" + Quote(File("walk.png"))));

    EXPECT_TRUE(HasEvent(1, "scene:game:1"));
    EXPECT_TRUE(HasEvent(1, "sound:play:Player/FootStep.wav"));
    EXPECT_NEAR(Eye(1).z, kWalkStep, 1e-5) << "the first frame already walks";
    int standingPairs = 0;
    for (int n = 2; n <= 40; ++n) {
        V3 a = Eye(n - 1), b = Eye(n);
        if (!Standing(a) || !Standing(b)) continue;  // only while standing on the floor
        ++standingPairs;
        EXPECT_NEAR(b.z - a.z, kWalkStep, 1e-4) << "frame " << n;
        EXPECT_EQ(b.x, a.x) << "frame " << n;
        EXPECT_EQ(F(n).at("player").at("yaw").get<double>(), 0.0);
    }
    EXPECT_EQ(standingPairs, 39) << "the player should stand on the floor the whole walk";
    EXPECT_NEAR(Eye(40).z, 40 * kWalkStep, 1e-3);
    for (int n = 41; n <= 45; ++n) EXPECT_EQ(Eye(n).z, Eye(40).z) << "frame " << n << ": W was released";
    EXPECT_TRUE(HasEvent(41, "sound:stop:Player/FootStep.wav"));

    // The picture of the last frame shows the enclosed hall: many colours,
    // and almost none of the grey the back buffer is cleared to (visible
    // clear colour would mean missing or inside-out walls).
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load(File("walk.png").c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    ASSERT_EQ(width, 1280);
    ASSERT_EQ(height, 720);
    std::set<uint32_t> colours;
    int clearGrey = 0, samples = 0;
    for (int i = 0; i < width * height; i += 37, ++samples) {
        const stbi_uc* p = pixels + i * 3;
        colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
        bool grey = true;
        for (int c = 0; c < 3; ++c) grey = grey && (p[c] == 76 || p[c] == 77);
        clearGrey += grey;
    }
    stbi_image_free(pixels);
    EXPECT_GE(colours.size(), 256u) << "the stage should not be a flat picture";
    EXPECT_LT(clearGrey, samples / 50) << "the clear colour shows through the stage";
}

TEST_F(GameplayRun, AJumpFollowsTheRiseAndGravityRulesAndHoldingSpaceJumpsOnce) {
    // Space held for 45 frames (one jump, landing around frame 30), released
    // for one frame, pressed again: a second jump.
    ASSERT_NO_FATAL_FAILURE(PlayStage1("45 SPACE\n1\n1 SPACE\n3\n", 50));

    EXPECT_NEAR(Eye(1).y - kEyeHeight, 1.5, 1e-5) << "first jump frame rises by the full jump speed";
    EXPECT_NEAR(Eye(2).y - Eye(1).y, 1.4 - 0.03, 1e-5) << "then 1.4, less the first gravity step";

    JumpModel model{kStage1Ceiling};
    int landing = 0;
    for (int n = 1; n <= 45 && !landing; ++n) {
        model.Step();
        EXPECT_NEAR(Eye(n).y, model.y, 1e-3) << "frame " << n;
        EXPECT_EQ(F(n).at("player").at("jumping").get<bool>(), model.jumping) << "frame " << n;
        EXPECT_EQ(Eye(n).x, 0.0);
        EXPECT_EQ(Eye(n).z, 0.0);
        if (!model.jumping) landing = n;
    }
    ASSERT_GT(landing, 20) << "the jump never landed";
    EXPECT_TRUE(HasEvent(landing, "sound:play:Player/Landing.wav"));
    double apex = 0.0;
    for (int n = 1; n < landing; ++n) apex = std::max(apex, Eye(n).y);
    EXPECT_GT(apex - kEyeHeight, 9.0);
    EXPECT_LT(apex - kEyeHeight, 12.0);

    for (int n = landing; n <= 46; ++n) {
        EXPECT_TRUE(Standing(Eye(n))) << "frame " << n << ": Space still held, no second jump";
        EXPECT_FALSE(F(n).at("player").at("jumping").get<bool>());
    }
    EXPECT_TRUE(F(47).at("player").at("jumping").get<bool>()) << "a new press jumps again";
    EXPECT_NEAR(Eye(47).y, kEyeHeight + kJumpSpeed, 1e-5);
}

TEST_F(GameplayRun, AShotAtAWallAttachesShortOfItAndASecondClickReelsItIn) {
    // Turn to face the east wall (yaw 90), fire, wait, click again.
    const int turn = LookPixels(90.0);
    ASSERT_NO_FATAL_FAILURE(
        PlayStage1("1 look:" + std::to_string(turn) + ",0\n1\n1 LMB\n20\n1 LMB\n20\n", 44));
    ASSERT_NEAR(F(1).at("player").at("yaw").get<double>(), 90.0, 1e-4);

    EXPECT_EQ(HookState(2), 0);
    EXPECT_EQ(HookState(3), 1) << "the click fires";
    EXPECT_TRUE(HasEvent(3, "sound:play:HookGun/Chain.wav"));
    int attach = FirstHookState(2);
    ASSERT_GT(attach, 3) << "the hook never attached";
    for (int n = 4; n <= attach; ++n) {
        EXPECT_EQ(HookState(n), n < attach ? 1 : 2);
        EXPECT_NEAR(Len(Hook(n) - Hook(n - 1)), kHookFlight, 1e-3) << "frame " << n << ": flies 1 per frame";
    }
    EXPECT_TRUE(HasEvent(attach, "sound:play:HookGun/HookHit.wav"));
    V3 flight = Hook(attach) - Hook(attach - 1);
    double shortOfWall = (kStage1EastWallX - Hook(attach).x) / (flight.x / Len(flight));
    EXPECT_GE(shortOfWall, 1.0) << "hook at " << Str(Hook(attach));
    EXPECT_LT(shortOfWall, 2.0) << "hook at " << Str(Hook(attach));
    EXPECT_EQ(F(attach).at("hook").at("box"), -1) << "a wall is not a box";

    // Attached until the second click (frame 24), then reeled in at 1.5 per
    // frame until it is within 2 of the gun.
    for (int n = attach; n <= 23; ++n) EXPECT_EQ(HookState(n), 2) << "frame " << n;
    for (int n = attach; n <= 24; ++n) EXPECT_EQ(Len(Hook(n) - Hook(attach)), 0.0) << "frame " << n;
    EXPECT_EQ(HookState(24), 4) << "the second click reels in";
    int ready = FirstHookState(0, 24);
    ASSERT_GT(ready, 25) << "the hook never came back";
    for (int n = 25; n <= ready; ++n)
        EXPECT_NEAR(Len(Hook(n) - Hook(n - 1)), kReelSpeed, 1e-3) << "frame " << n;
    for (int n = ready; n <= 44; ++n) EXPECT_EQ(HookState(n), 0);
    EXPECT_LT(Len(Hook(44) - Eye(44)), 2.5) << "the hook rests at the gun";
}

TEST_F(GameplayRun, AShotAtBoxZeroReelsTheBoxInWithTheHook) {
    StageLayout layout = Stage1Layout();
    ASSERT_FALSE(layout.boxes.empty());
    const V3 box{layout.boxes[0].position.x, layout.boxes[0].position.y, layout.boxes[0].position.z};

    // The box stands behind the barrier and beyond the hook's 35 from the
    // start, so walk up first: W, jump the barrier while walking, land, stop
    // within range. Walking straight along +z keeps x = 0.
    const int walkBeforeJump = 52, walkAfterJump = 64;
    const double shotZ = (walkBeforeJump + 1 + walkAfterJump) * kWalkStep;
    ASSERT_LT(walkBeforeJump * kWalkStep, kStage1BarrierNearZ - 2.0);
    ASSERT_LT(box.z - kBoxHalfHeight - shotZ, kHookRange) << "the box face must be within the hook's range";
    const int yaw = LookPixels(std::atan2(box.x, box.z - shotZ) * kRadToDeg);
    const int pitch = LookPixels(std::atan2(kEyeHeight - box.y, std::hypot(box.x, box.z - shotZ)) * kRadToDeg);
    const int shotFrame = walkBeforeJump + 1 + walkAfterJump + 3 + 2;
    std::ostringstream script;
    script << walkBeforeJump << " W\n1 W SPACE\n" << walkAfterJump << " W\n3\n1 look:" << yaw << "," << pitch
           << "\n1 LMB\n40\n1 LMB\n40\n";
    ASSERT_NO_FATAL_FAILURE(PlayStage1(script.str(), shotFrame + 81));

    V3 eye = Eye(shotFrame);
    ASSERT_NEAR(eye.z, shotZ, 0.05) << "the player did not get over the barrier as planned: " << Str(eye);
    ASSERT_NEAR(eye.x, 0.0, 1e-4);
    ASSERT_TRUE(Standing(eye)) << Str(eye);
    EXPECT_NEAR(F(shotFrame).at("player").at("pitch").get<double>(), LookDegrees(pitch), 1e-4);
    EXPECT_EQ(HookState(shotFrame), 1);

    int attach = FirstHookState(2, shotFrame);
    ASSERT_GT(attach, shotFrame) << "the hook never attached to the box";
    EXPECT_EQ(F(attach).at("hook").at("box"), 0) << "the hook should hold box 0";
    double shortOfBox = (box.z - kBoxHalfHeight) - Hook(attach).z;
    EXPECT_GE(shortOfBox, 1.0);
    EXPECT_LT(shortOfBox, 2.0);
    const int reelClick = shotFrame + 41;
    for (int n = attach; n < reelClick; ++n) {
        EXPECT_EQ(HookState(n), 2);
        EXPECT_EQ(Len(BoxPos(n, 0) - box), 0.0) << "frame " << n << ": the box waits for the second click";
    }

    ASSERT_EQ(HookState(reelClick), 4) << "a click on the ground reels in";
    int ready = FirstHookState(0, reelClick);
    ASSERT_GT(ready, reelClick + 5);
    for (int n = reelClick + 1; n < ready; ++n) {
        EXPECT_EQ(F(n).at("hook").at("box"), 0);
        V3 boxStep = BoxPos(n, 0) - BoxPos(n - 1, 0);
        V3 hookStep = Hook(n) - Hook(n - 1);
        EXPECT_NEAR(Len(boxStep), kReelSpeed, 1e-3) << "frame " << n;
        EXPECT_NEAR(Len(boxStep - hookStep), 0.0, 1e-3) << "frame " << n << ": the box moves with the hook";
    }

    // Released near the player, the box settles on the floor and stays.
    const int last = FrameCount();
    V3 rest = BoxPos(last, 0);
    EXPECT_NEAR(rest.y, kBoxHalfHeight, 1e-4) << "the box rests 2.5 above the floor";
    EXPECT_GT(box.z - rest.z, 20.0) << "the box came along: " << Str(rest);
    EXPECT_GT(rest.z, Eye(last).z) << "and stays in front of the player";
    for (int n = ready + 1; n <= last; ++n) EXPECT_EQ(Len(BoxPos(n, 0) - rest), 0.0) << "frame " << n;
}

TEST_F(GameplayRun, TheDoorStaysShutUntilBoxZeroSitsOnItsButton) {
    StageLayout layout = Stage1Layout();
    ASSERT_FALSE(layout.returnDoors.empty());
    const Vector3 door = layout.returnDoors[0].doorPosition;
    Script s;
    s.Comment("over the barrier, then west into the shut door");
    s.Hold(52, "W").Hold(1, "W SPACE").Hold(87, "W").SetFeet({0, 0, 42});
    s.WalkTo(-6, 42).WalkTo(-6, door.z).WalkTo(-20, door.z);
    ASSERT_NO_FATAL_FAILURE(PlayStage1(s.Text(), s.Frames() + 5));
    for (int n = 1; n <= FrameCount(); ++n) {
        ASSERT_EQ(F(n).at("doors").at(0).at("y").get<double>(), 0.0) << "frame " << n;
        ASSERT_FALSE(F(n).at("buttons").at(0).at("on").get<bool>()) << "frame " << n;
    }
    // The 0.8-thick panel about x = -12.4 holds the eye 2 away.
    EXPECT_NEAR(Eye(FrameCount()).x, door.x + 0.4 + 2.0, 0.35) << "stopped by the panel";
}

TEST_F(GameplayRun, WalkingIntoThePitFailsAndTheStageRestartsBehindAFade) {
    StageLayout layout = Stage1Layout();
    ASSERT_FALSE(layout.returnDoors.empty());
    ASSERT_FALSE(layout.boxes.empty());
    const Vector3 door = layout.returnDoors[0].doorPosition;  // the opening in the hall's west wall

    // Route: over the barrier, box 0 reeled onto the door's button, then
    // around the box to the opening, west through it into the gap hall and
    // north over the edge of the pit.
    Script s;
    Stage1BoxOnButton(s, layout.boxes[0].position);
    const int doorOpen = s.Frames();
    s.Comment("to the open door, west through it, north into the pit");
    s.WalkTo(-6, 42).WalkTo(-6, door.z).WalkTo(-30, door.z).WalkTo(-30, kStage1PitNearZ + 3.0);
    // Falling from the floor to below -150 takes about 155 frames, the fade 20.
    const int walkFrames = s.Frames();
    ASSERT_NO_FATAL_FAILURE(PlayStage1(s.Text(), walkFrames + 190));

    EXPECT_TRUE(F(doorOpen).at("buttons").at(0).at("on").get<bool>()) << "box 0 at " << Str(BoxPos(doorOpen, 0));
    EXPECT_EQ(F(doorOpen).at("doors").at(0).at("y").get<double>(), 7.5) << "the door is open";
    int throughDoor = 0;
    for (int n = 1; n <= FrameCount() && !throughDoor; ++n)
        if (Eye(n).x < door.x - 1.0 && Standing(Eye(n))) throughDoor = n;
    ASSERT_GT(throughDoor, 0) << "the route did not pass the door opening; player at the end of the walk "
                              << Str(Eye(walkFrames));

    int failed = 0;
    for (int n = 1; n <= FrameCount() && !failed; ++n)
        if (F(n).at("player").at("failed").get<bool>()) failed = n;
    ASSERT_GT(failed, walkFrames) << "the player never failed; at the end " << Str(Eye(FrameCount()));
    EXPECT_LT(Eye(failed - 1).y, kFailDepth) << "fails once below -150";
    EXPECT_GE(Eye(failed - 2).y, kFailDepth);
    EXPECT_NEAR(Eye(failed - 1).y - Eye(failed - 2).y, -1.0, 1e-4) << "nothing below: drops 1.0 per frame";
    EXPECT_GT(Eye(failed).z, kStage1PitNearZ);

    // Restart pending from the failure frame; the fade-out starts one frame
    // later and the new stage is current the frame after the fade is black.
    EXPECT_EQ(Fade(failed), 0.0);
    const int restart = failed + 21;
    ASSERT_LE(restart, FrameCount());
    for (int n = failed + 1; n < restart; ++n) {
        EXPECT_NEAR(Fade(n), (n - failed) * kFadeStep, 1e-5) << "frame " << n;
        EXPECT_EQ(F(n).at("scene"), "game");
        EXPECT_FALSE(HasEvent(n, "scene:game:1")) << "frame " << n << ": restarted before the fade was black";
    }
    EXPECT_NEAR(Fade(restart - 1), 1.0, 1e-6);
    EXPECT_TRUE(HasEvent(restart, "scene:game:1")) << "the stage restarts";
    EXPECT_EQ(F(restart).at("stage"), 1);
    EXPECT_NEAR(Fade(restart), 1.0 - kFadeStep, 1e-6) << "the new scene fades in";
    EXPECT_FALSE(F(restart).at("player").at("failed").get<bool>());
    V3 start = Eye(restart);
    EXPECT_EQ(start.x, 0.0);
    EXPECT_TRUE(Standing(start));
    EXPECT_EQ(start.z, 0.0);
}

TEST_F(GameplayRun, PLeavesForTheTitleAtOnce) {
    ASSERT_NO_FATAL_FAILURE(PlayStage1("20 W\n1 P\n4\n", 25));
    for (int n = 1; n <= 21; ++n) EXPECT_EQ(F(n).at("scene"), "game") << "frame " << n;
    EXPECT_EQ(Fade(21), 0.0) << "no fade-out before leaving";
    EXPECT_EQ(F(22).at("scene"), "title") << "the title is current the frame after P";
    EXPECT_TRUE(HasEvent(22, "scene:title"));
    EXPECT_TRUE(HasEvent(22, "sound:stop:GameBGM.wav"));
    for (int n = 22; n <= 25; ++n) EXPECT_EQ(F(n).at("scene"), "title");
}

}  // namespace
