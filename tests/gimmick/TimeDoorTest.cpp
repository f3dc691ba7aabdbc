// Time doors: the clock hand's wind-back and run tied to the button's
// countdown, the ticking sounds and the bell, short countdowns, and the
// sounds a destroyed door must not leave behind.
#include <cmath>
#include <memory>

#include "GimmickTestSupport.h"
#include "game/gimmick/Button.h"
#include "game/gimmick/TimeDoor.h"

namespace {

const std::string kTick1Play = "sound:play:Door/Time/Timer1.wav";
const std::string kTick2Play = "sound:play:Door/Time/Timer2.wav";
const std::string kTick1Stop = "sound:stop:Door/Time/Timer1.wav";
const std::string kTick2Stop = "sound:stop:Door/Time/Timer2.wav";
const std::string kBell = "sound:play:Door/Time/Bell.wav";

struct FrameRecord {
    bool on = false;
    int remaining = 0;
    float angle = 0.0f;
    bool ticking = false;
    float panel = 0.0f;
    std::vector<std::string> events;
};

class TimeDoorTest : public GimmickTest {
protected:
    FrameRecord Step(Gimmick_TimeDoor& group, bool pressed) {
        group.Update(pressed);
        FrameRecord r;
        r.on = group.GetButton()->IsOn();
        r.remaining = group.GetButton()->GetRemainingFrames();
        r.angle = group.GetDoor()->GetHandAngle();
        r.ticking = group.GetDoor()->IsTicking();
        r.panel = group.GetDoor()->GetPanelOffset();
        r.events = EndFrame();
        return r;
    }
    static int FirstWith(const std::vector<FrameRecord>& frames, const std::string& e) {
        for (size_t i = 0; i < frames.size(); ++i)
            if (Has(frames[i].events, e)) return static_cast<int>(i);
        return -1;
    }
    int ClockSoundCount() const {
        return Count(kTick1Play) + Count(kTick2Play) + Count(kBell);
    }
};

}  // namespace

TEST_F(TimeDoorTest, CountdownOf600WindsTicksAndRingsAsTheButtonGoesOff) {
    Gimmick_TimeDoor group(Vector3(0, 0, 0), Vector3(0, 0, 20), 0.0f, 600);
    std::vector<FrameRecord> f;
    // A box lies on the button until it goes off (presses while the
    // countdown runs change nothing), then it is taken away.
    bool seenOn = false, released = false;
    for (int i = 0; i < 700; ++i) {
        f.push_back(Step(group, !released));
        seenOn = seenOn || f.back().on;
        released = released || (seenOn && !f.back().on);
    }

    int onFrame = -1, offFrame = -1, windStart = -1, tickStart = -1;
    for (int i = 0; i < static_cast<int>(f.size()); ++i) {
        if (onFrame < 0 && f[i].on) onFrame = i;
        if (onFrame >= 0 && offFrame < 0 && !f[i].on) offFrame = i;
        if (windStart < 0 && f[i].angle != 0.0f) windStart = i;
        if (tickStart < 0 && f[i].ticking) tickStart = i;
    }
    ASSERT_GE(onFrame, 0);
    ASSERT_GT(offFrame, onFrame);
    EXPECT_EQ(offFrame, 600);  // the press frame plus 600 counted frames
    EXPECT_EQ(windStart, onFrame);

    // 36 frames of winding, 10 degrees each, then ticking from -360.
    EXPECT_EQ(tickStart - windStart + 1, 36);
    EXPECT_EQ(f[tickStart].angle, -360.0f);
    const float expectedStep = 360.0f / static_cast<float>(f[tickStart].remaining);
    EXPECT_NEAR(f[tickStart + 1].angle - f[tickStart].angle, expectedStep, 1e-3f);
    for (int i = tickStart + 1; i < offFrame - 1; ++i) EXPECT_GT(f[i].angle, f[i - 1].angle) << i;

    // The bell within one frame of the button going off.
    const int bell = FirstWith(f, kBell);
    EXPECT_GE(bell, offFrame);
    EXPECT_LE(bell, offFrame + 1);
    EXPECT_EQ(Count(kBell), 1);
    EXPECT_FALSE(f[bell].ticking);
    EXPECT_EQ(f[bell].angle, 0.0f);

    // Ticking sound 1 from the wind-back's end, sound 2 once the hand has
    // entered the last quarter, none after the bell.
    EXPECT_EQ(FirstWith(f, kTick1Play), tickStart);
    const int second = FirstWith(f, kTick2Play);
    ASSERT_GT(second, tickStart + 1);
    EXPECT_GE(f[second - 1].angle, -90.0f);
    EXPECT_LT(f[second - 2].angle, -90.0f);
    EXPECT_TRUE(Has(f[second].events, kTick1Stop));
    EXPECT_TRUE(Has(f[bell].events, kTick2Stop));
    EXPECT_EQ(Count(kTick1Play), 1);
    EXPECT_EQ(Count(kTick2Play), 1);
    EXPECT_EQ(Count(kTick1Stop), 1);
    EXPECT_EQ(Count(kTick2Stop), 1);

    // The panel: open while on, closed 15 frames after the button goes off.
    EXPECT_FLOAT_EQ(f[offFrame - 1].panel, DoorPanel::kOpenTravel);
    EXPECT_FLOAT_EQ(f[offFrame + 13].panel, DoorPanel::kStep);
    EXPECT_FLOAT_EQ(f[offFrame + 14].panel, 0.0f);
    EXPECT_EQ(Count("sound:play:Door/DoorOpen.wav"), 1);
    EXPECT_EQ(Count("sound:play:Door/DoorClose.wav"), 1);
    EXPECT_EQ(f.back().angle, 0.0f);
}

TEST_F(TimeDoorTest, CountdownShorterThanTheDescentNeverOpensTheDoor) {
    Gimmick_TimeDoor group(Vector3(0, 0, 0), Vector3(0, 0, 20), 0.0f, 10);
    for (int i = 0; i < 60; ++i) {
        const FrameRecord r = Step(group, i == 0);
        EXPECT_FALSE(r.on) << i;
        EXPECT_EQ(r.panel, 0.0f) << i;
        EXPECT_EQ(r.angle, 0.0f) << i;
    }
    EXPECT_EQ(Count("sound:play:Door/DoorOpen.wav"), 0);
    EXPECT_EQ(ClockSoundCount(), 0);
}

TEST_F(TimeDoorTest, CountdownEndingWhileWindingStopsTheHandUntilTheNextPress) {
    Gimmick_TimeDoor group(Vector3(0, 0, 0), Vector3(0, 0, 20), 0.0f, 30);
    std::vector<FrameRecord> f;
    for (int i = 0; i < 80; ++i) f.push_back(Step(group, i == 0));

    int offFrame = -1;
    for (int i = 1; i < 80; ++i)
        if (f[i - 1].on && !f[i].on) offFrame = i;
    ASSERT_GT(offFrame, 0);
    const float stopped = f[offFrame - 1].angle;
    EXPECT_LT(stopped, -100.0f);
    EXPECT_GT(stopped, -360.0f);
    for (int i = offFrame; i < 80; ++i) {
        EXPECT_EQ(f[i].angle, stopped) << i;
        EXPECT_FALSE(f[i].ticking) << i;
    }
    EXPECT_EQ(f.back().panel, 0.0f);
    EXPECT_EQ(ClockSoundCount(), 0);

    // The button is back at rest by now; the next press continues winding.
    ASSERT_FALSE(group.GetButton()->IsActive());
    ASSERT_GE(group.GetButton()->GetTopOffset(), ButtonBase::kRestOffset);
    float previous = stopped;
    for (int i = 0; i < 30; ++i) {
        const FrameRecord r = Step(group, i == 0);
        if (r.angle != previous) {
            EXPECT_EQ(r.angle, previous - TimeDoor::kWindStep);
            EXPECT_TRUE(r.on);
        }
        previous = r.angle;
    }
    EXPECT_LT(previous, stopped);
    EXPECT_EQ(ClockSoundCount(), 0);
}

TEST_F(TimeDoorTest, RunTooShortForTheLastQuarterStillSilencesTheTicking) {
    TimeDoor door(Vector3(0, 0, 0), 0.0f);
    for (int i = 0; i < 35; ++i) door.Update(true, 100);
    door.Update(true, 3);  // wound back with 3 frames left: 120 degrees a step
    ASSERT_TRUE(door.IsTicking());
    door.Update(true, 2);
    door.Update(true, 1);
    EXPECT_EQ(door.GetHandAngle(), -120.0f);
    door.Update(false, 0);  // jumps from -120 straight to the end
    EXPECT_FALSE(door.IsTicking());
    EXPECT_EQ(Count(kBell), 1);
    EXPECT_EQ(Count(kTick1Play), 1);
    EXPECT_EQ(Count(kTick1Stop), 1);
    EXPECT_EQ(Count(kTick2Play), 0);
}

TEST_F(TimeDoorTest, OpenWithNoFramesLeftEndsTheRunInOneStep) {
    TimeDoor door(Vector3(0, 0, 0), 0.0f);
    for (int i = 0; i < 35; ++i) door.Update(true, 100);
    door.Update(true, 0);
    ASSERT_TRUE(door.IsTicking());
    EXPECT_TRUE(std::isfinite(door.GetHandStep()));
    door.Update(false, 0);
    EXPECT_FALSE(door.IsTicking());
    EXPECT_EQ(door.GetHandAngle(), 0.0f);
    EXPECT_EQ(Count(kBell), 1);
}

TEST_F(TimeDoorTest, DestroyedDoorStopsItsClockSounds) {
    auto ticking = std::make_unique<TimeDoor>(Vector3(0, 0, 0), 0.0f);
    for (int i = 0; i < 36; ++i) ticking->Update(true, 600);
    ASSERT_TRUE(ticking->IsTicking());
    EndFrame();
    ticking.reset();
    EXPECT_TRUE(Has(EndFrame(), kTick1Stop));

    // Later in the run, on the second ticking sound.
    auto lastQuarter = std::make_unique<TimeDoor>(Vector3(0, 0, 0), 0.0f);
    for (int i = 0; i < 36; ++i) lastQuarter->Update(true, 40);  // 9 degrees a frame
    for (int i = 0; i < 32; ++i) lastQuarter->Update(false, 0);
    ASSERT_TRUE(lastQuarter->IsTicking());
    ASSERT_EQ(Count(kTick2Play), 1);
    EndFrame();
    lastQuarter.reset();
    const std::vector<std::string> frame = EndFrame();
    EXPECT_TRUE(Has(frame, kTick2Stop));
    EXPECT_FALSE(Has(frame, kTick1Stop));  // already stopped at the switch

    // Right after the bell, while it still rings.
    auto rung = std::make_unique<TimeDoor>(Vector3(0, 0, 0), 0.0f);
    for (int i = 0; i < 36; ++i) rung->Update(true, 2);
    for (int i = 0; i < 3 && rung->IsTicking(); ++i) rung->Update(false, 0);
    ASSERT_EQ(Count(kBell), 1);
    EndFrame();
    rung.reset();
    EXPECT_TRUE(Has(EndFrame(), "sound:stop:Door/Time/Bell.wav"));
}

TEST_F(TimeDoorTest, HandTurnsInTheClockFaceInFrontOfATurnedDoor) {
    const Vector3 position(10.0f, 0.0f, -4.0f);
    TimeDoor door(position, 90.0f);
    EXPECT_EQ(door.GetClockPosition(), position + Vector3(0.0f, 8.5f, 0.0f));
    // The door's front (-z locally) is world -x for a door turned by 90.
    const Vector3 pivot = door.GetHandWorld().Translation();
    EXPECT_NEAR(pivot.x, 10.0f - 0.45f, 1e-5f);
    EXPECT_NEAR(pivot.y, 8.5f, 1e-5f);
    EXPECT_NEAR(pivot.z, -4.0f, 1e-5f);

    auto tip = [&] { return TransformCoord(Vector3(0.0f, 0.5f, 0.0f), door.GetHandWorld()) - pivot; };
    door.Update(true, 600);  // angle -10 after this frame; drawn still at 0
    EXPECT_EQ(door.GetHandAngle(), -10.0f);
    EXPECT_NEAR(tip().y, 0.5f, 1e-5f);
    for (int i = 0; i < 8; ++i) door.Update(true, 600);  // drawn at -80
    const Vector3 t = tip();
    EXPECT_NEAR(door.GetHandWorld().Translation().x, pivot.x, 1e-5f);
    EXPECT_NEAR(t.x, 0.0f, 1e-5f) << "stays in the plane of the clock face";
    EXPECT_NEAR(t.y, 0.5f * std::cos(80.0f * kDegToRad), 1e-5f);
    EXPECT_NEAR(std::fabs(t.z), 0.5f * std::sin(80.0f * kDegToRad), 1e-5f);
    door.DrawClockHands();  // no graphics device: draws nothing, harmlessly
}
