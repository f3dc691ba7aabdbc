// Controller mapping: sticks and buttons become the keys and cursor motion
// the game already reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/platform/FwGamepad.h"

namespace {
bool Has(const std::vector<int>& keys, int key) { return std::find(keys.begin(), keys.end(), key) != keys.end(); }

FwGamepadState RightStick(float x, float y) {
    FwGamepadState s;
    s.SetAxis(FwPadAxis::RightX, x);
    s.SetAxis(FwPadAxis::RightY, y);
    return s;
}

float Length(float x, float y) { return std::hypot(x, y); }
}  // namespace

TEST(Gamepad, RawAxesAreNormalised) {
    EXPECT_FLOAT_EQ(FwGamepad::StickValue(0), 0.0f);
    EXPECT_FLOAT_EQ(FwGamepad::StickValue(32767), 1.0f);
    EXPECT_FLOAT_EQ(FwGamepad::StickValue(-32768), -1.0f);  // one step past -32767, still full
    EXPECT_NEAR(FwGamepad::StickValue(-16384), -0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(FwGamepad::TriggerValue(0), 0.0f);
    EXPECT_FLOAT_EQ(FwGamepad::TriggerValue(32767), 1.0f);
    EXPECT_FLOAT_EQ(FwGamepad::TriggerValue(-200), 0.0f);  // a noisy trigger never reads negative
}

TEST(Gamepad, LeftStickHoldsWalkKeysPastTheThreshold) {
    EXPECT_TRUE(FwGamepad::WalkKeys(0.0f, 0.0f).empty());
    EXPECT_EQ(FwGamepad::WalkKeys(0.0f, -1.0f), std::vector<int>{'W'});  // up is negative y
    EXPECT_EQ(FwGamepad::WalkKeys(0.0f, 1.0f), std::vector<int>{'S'});
    EXPECT_EQ(FwGamepad::WalkKeys(-1.0f, 0.0f), std::vector<int>{'A'});
    EXPECT_EQ(FwGamepad::WalkKeys(1.0f, 0.0f), std::vector<int>{'D'});
    // Diagonals hold two keys, as W and D together on the keyboard.
    std::vector<int> diagonal = FwGamepad::WalkKeys(0.7f, -0.7f);
    EXPECT_EQ(diagonal.size(), 2u);
    EXPECT_TRUE(Has(diagonal, 'W'));
    EXPECT_TRUE(Has(diagonal, 'D'));
    // Exactly at the threshold is still at rest; just past it walks.
    EXPECT_TRUE(FwGamepad::WalkKeys(FwGamepad::kWalkThreshold, -FwGamepad::kWalkThreshold).empty());
    EXPECT_EQ(FwGamepad::WalkKeys(0.0f, -FwGamepad::kWalkThreshold - 0.01f), std::vector<int>{'W'});
    // A slight lean while pushing forward does not strafe.
    EXPECT_EQ(FwGamepad::WalkKeys(0.3f, -0.95f), std::vector<int>{'W'});
}

TEST(Gamepad, RightStickLookHasADeadZoneAndACurve) {
    float dx = 1, dy = 1;
    // Resting and inside the dead zone (radially): no motion at all.
    FwGamepad::LookSpeed(0.0f, 0.0f, dx, dy);
    EXPECT_EQ(dx, 0.0f);
    EXPECT_EQ(dy, 0.0f);
    FwGamepad::LookSpeed(0.1f, 0.1f, dx, dy);  // 0.14 from the centre
    EXPECT_EQ(dx, 0.0f);
    EXPECT_EQ(dy, 0.0f);
    FwGamepad::LookSpeed(0.0f, -FwGamepad::kLookDeadZone, dx, dy);
    EXPECT_EQ(dy, 0.0f);
    // Just past the edge the speed starts from zero, not with a jump.
    FwGamepad::LookSpeed(FwGamepad::kLookDeadZone + 0.01f, 0.0f, dx, dy);
    EXPECT_GT(dx, 0.0f);
    EXPECT_LT(dx, 0.01f);
    // Full deflection: the top speed, in the stick's direction.
    FwGamepad::LookSpeed(1.0f, 0.0f, dx, dy);
    EXPECT_FLOAT_EQ(dx, FwGamepad::kLookMaxPixels);
    EXPECT_FLOAT_EQ(dy, 0.0f);
    FwGamepad::LookSpeed(0.0f, -1.0f, dx, dy);
    EXPECT_FLOAT_EQ(dy, -FwGamepad::kLookMaxPixels);  // stick up looks up, like moving the mouse up
    // Half way along the live range gives a quarter of the top speed (square curve).
    const float half = FwGamepad::kLookDeadZone + (1.0f - FwGamepad::kLookDeadZone) / 2.0f;
    FwGamepad::LookSpeed(half, 0.0f, dx, dy);
    EXPECT_NEAR(dx, FwGamepad::kLookMaxPixels / 4.0f, 1e-4f);
    // The curve rises monotonically.
    float previous = 0.0f;
    for (int i = 0; i <= 100; ++i) {
        FwGamepad::LookSpeed(i / 100.0f, 0.0f, dx, dy);
        EXPECT_GE(dx, previous) << i;
        previous = dx;
    }
    // A corner (length above 1 on square-gated sticks) is capped at the top
    // speed and keeps its 45-degree direction.
    FwGamepad::LookSpeed(1.0f, 1.0f, dx, dy);
    EXPECT_NEAR(Length(dx, dy), FwGamepad::kLookMaxPixels, 1e-3f);
    EXPECT_NEAR(dx, dy, 1e-4f);
    // Garbage in, no motion out.
    FwGamepad::LookSpeed(std::nanf(""), 0.5f, dx, dy);
    EXPECT_EQ(dx, 0.0f);
    EXPECT_EQ(dy, 0.0f);
}

TEST(Gamepad, LookCarriesFractionsUntilTheStickIsLetGo) {
    FwGamepad pad;
    // Full right: the top speed in whole pixels every frame.
    FwPoint full = pad.Look(RightStick(1.0f, 0.0f));
    EXPECT_EQ(full.x, static_cast<int>(FwGamepad::kLookMaxPixels));
    EXPECT_EQ(full.y, 0);
    // A slow lean worth a fraction of a pixel per frame still turns, and the
    // sum over many frames matches the speed (nothing lost to rounding).
    FwGamepad slow;
    float dx = 0, dy = 0;
    FwGamepad::LookSpeed(0.3f, 0.0f, dx, dy);
    ASSERT_GT(dx, 0.0f);
    ASSERT_LT(dx, 1.0f);
    int total = 0;
    for (int frame = 0; frame < 100; ++frame) total += slow.Look(RightStick(0.3f, 0.0f)).x;
    EXPECT_NEAR(total, dx * 100.0f, 1.0f);
    // Left and up are symmetric, with negative pixels.
    FwGamepad back;
    int totalBack = 0;
    for (int frame = 0; frame < 100; ++frame) totalBack += back.Look(RightStick(-0.3f, 0.0f)).x;
    EXPECT_EQ(totalBack, -total);
    // Letting go stops at once and forgets the remainder: resting after a
    // lean never produces a late pixel.
    FwGamepad rest;
    rest.Look(RightStick(0.3f, 0.0f));
    FwPoint after = rest.Look(RightStick(0.0f, 0.0f));
    EXPECT_EQ(after.x, 0);
    int late = 0;
    for (int frame = 0; frame < 10; ++frame) late += rest.Look(RightStick(0.05f, 0.0f)).x;  // inside the dead zone
    EXPECT_EQ(late, 0);
}

TEST(Gamepad, ButtonsAndTriggersHoldTheirKeys) {
    FwGamepadState idle;
    EXPECT_TRUE(FwGamepad::HeldKeys(idle).empty());

    struct Case {
        FwPadButton button;
        int key;
    };
    for (Case c : {Case{FwPadButton::A, FwKey::Space}, Case{FwPadButton::B, 'R'}, Case{FwPadButton::Start, 'P'},
                   Case{FwPadButton::Back, 'P'}}) {
        FwGamepadState s;
        s.SetButton(c.button, true);
        EXPECT_EQ(FwGamepad::HeldKeys(s), std::vector<int>{c.key}) << static_cast<int>(c.button);
        EXPECT_EQ(FwGamepad::KeyForButton(c.button), c.key);
    }
    // Buttons the game has no use for hold nothing (Guide belongs to the system).
    for (FwPadButton b : {FwPadButton::X, FwPadButton::Y, FwPadButton::Guide}) {
        FwGamepadState s;
        s.SetButton(b, true);
        EXPECT_TRUE(FwGamepad::HeldKeys(s).empty()) << static_cast<int>(b);
        EXPECT_EQ(FwGamepad::KeyForButton(b), -1);
    }
    // Start and Back together still hold P once.
    FwGamepadState both;
    both.SetButton(FwPadButton::Start, true);
    both.SetButton(FwPadButton::Back, true);
    EXPECT_EQ(FwGamepad::HeldKeys(both), std::vector<int>{'P'});

    // Triggers are mouse buttons once pulled past the threshold.
    FwGamepadState triggers;
    triggers.SetAxis(FwPadAxis::TriggerRight, FwGamepad::kTriggerThreshold);
    triggers.SetAxis(FwPadAxis::TriggerLeft, 0.2f);
    EXPECT_TRUE(FwGamepad::HeldKeys(triggers).empty());
    triggers.SetAxis(FwPadAxis::TriggerRight, 0.9f);
    EXPECT_EQ(FwGamepad::HeldKeys(triggers), std::vector<int>{FwKey::LButton});
    triggers.SetAxis(FwPadAxis::TriggerLeft, 1.0f);
    std::vector<int> pulled = FwGamepad::HeldKeys(triggers);
    EXPECT_TRUE(Has(pulled, FwKey::LButton));
    EXPECT_TRUE(Has(pulled, FwKey::RButton));

    // Everything at once: walk, jump and shoot together.
    FwGamepadState play = triggers;
    play.SetAxis(FwPadAxis::LeftY, -1.0f);
    play.SetButton(FwPadButton::A, true);
    std::vector<int> all = FwGamepad::HeldKeys(play);
    for (int key : {static_cast<int>('W'), FwKey::Space, FwKey::LButton, FwKey::RButton}) EXPECT_TRUE(Has(all, key)) << key;
    EXPECT_EQ(all.size(), 4u);
}

TEST(Gamepad, TwoControllersMergeByTheLargerDeflection) {
    FwGamepadState a, b;
    a.SetAxis(FwPadAxis::LeftX, 0.2f);
    b.SetAxis(FwPadAxis::LeftX, -0.9f);
    a.SetAxis(FwPadAxis::RightY, 0.8f);
    b.SetAxis(FwPadAxis::RightY, 0.1f);
    a.SetButton(FwPadButton::A, true);
    b.SetButton(FwPadButton::Start, true);
    FwGamepadState m = FwGamepad::Merge(a, b);
    EXPECT_FLOAT_EQ(m.Axis(FwPadAxis::LeftX), -0.9f);
    EXPECT_FLOAT_EQ(m.Axis(FwPadAxis::RightY), 0.8f);
    EXPECT_TRUE(m.Button(FwPadButton::A));
    EXPECT_TRUE(m.Button(FwPadButton::Start));
    EXPECT_FALSE(m.Button(FwPadButton::B));
    // Merging with an idle controller changes nothing.
    FwGamepadState same = FwGamepad::Merge(FwGamepadState{}, a);
    for (int i = 0; i < static_cast<int>(FwPadAxis::Count); ++i) EXPECT_EQ(same.axes[i], a.axes[i]);
    for (int i = 0; i < static_cast<int>(FwPadButton::Count); ++i) EXPECT_EQ(same.buttons[i], a.buttons[i]);
}
