// Buttons: how far the top sinks, when each kind is on, and when the press
// sound plays.
#include "GimmickTestSupport.h"
#include "game/gimmick/Button.h"
#include "game/gimmick/Door.h"

namespace {

const char* const kPress = "sound:play:Button/Button.wav";

class ButtonTest : public GimmickTest {};

// The top world always sits at the top position.
void ExpectTopWorldFollows(const ButtonBase& b) {
    EXPECT_EQ(b.GetTopWorld().Translation(), b.GetTopPosition());
}

}  // namespace

TEST_F(ButtonTest, PushingButtonPausesWhenLeftHalfwayAndStaysOnOnceDown) {
    PushingButton button(Vector3(4.0f, 1.0f, -2.0f));
    for (int i = 0; i < 5; ++i) button.Update(true);
    EXPECT_NEAR(button.GetTopOffset(), -0.1f, 1e-5f);
    EXPECT_FALSE(button.IsOn());
    ExpectTopWorldFollows(button);

    // Stepping off leaves the top where it is.
    for (int i = 0; i < 10; ++i) button.Update(false);
    EXPECT_NEAR(button.GetTopOffset(), -0.1f, 1e-5f);
    EXPECT_FALSE(button.IsOn());

    // Stepping on again continues the same descent, without a second sound.
    int frames = 5;
    while (!button.IsOn() && frames < 40) {
        button.Update(true);
        ++frames;
    }
    EXPECT_TRUE(button.IsOn());
    EXPECT_GE(frames, 15);
    EXPECT_LE(frames, 16);
    EXPECT_LE(button.GetTopOffset(), ButtonBase::kPressDepth);
    EXPECT_EQ(Count(kPress), 1);

    // Down for good: no further sinking, no rise, still on after release.
    const float down = button.GetTopY();
    for (int i = 0; i < 30; ++i) button.Update(i < 10);
    EXPECT_TRUE(button.IsOn());
    EXPECT_EQ(button.GetTopY(), down);
    EXPECT_EQ(button.GetBasePosition(), Vector3(4.0f, 1.0f, -2.0f));
    EXPECT_EQ(button.GetTopPosition().x, 4.0f);
    EXPECT_EQ(button.GetTopPosition().z, -2.0f);
    ExpectTopWorldFollows(button);
    EXPECT_EQ(Count(kPress), 1);
}

TEST_F(ButtonTest, PushingDoorStaysOpenAfterThePlayerLeaves) {
    Gimmick_PushingDoor group(Vector3(0, 0, 0), Vector3(20, 0, 0), 0.0f);
    for (int i = 0; i < 16; ++i) group.Update(true);
    ASSERT_TRUE(group.GetButton()->IsOn());
    for (int i = 0; i < 40; ++i) group.Update(false);
    EXPECT_TRUE(group.GetButton()->IsOn());
    EXPECT_TRUE(group.GetDoor()->IsLampOn());
    EXPECT_FLOAT_EQ(group.GetDoor()->GetPanelOffset(), DoorPanel::kOpenTravel);
    EXPECT_EQ(Count("sound:play:Door/DoorClose.wav"), 0);
}

TEST_F(ButtonTest, ReturnButtonSoundsOnceDownAndOnceUpAndIsOffWhenReleased) {
    ReturnButton button(Vector3(0.0f, 2.0f, 0.0f));
    std::vector<int> soundFrames;
    int frame = 0;
    auto step = [&](bool pressed) {
        button.Update(pressed);
        if (Has(EndFrame(), kPress)) soundFrames.push_back(frame);
        ++frame;
    };

    for (int i = 0; i < 25; ++i) step(true);  // down, then held down
    EXPECT_TRUE(button.IsOn());
    EXPECT_EQ(soundFrames, std::vector<int>({0}));

    step(false);  // first released frame: off at once, top barely risen
    EXPECT_FALSE(button.IsOn());
    EXPECT_LT(button.GetTopOffset(), -0.25f);
    EXPECT_EQ(soundFrames, std::vector<int>({0, 25}));

    for (int i = 0; i < 30; ++i) step(false);
    EXPECT_FALSE(button.IsOn());
    EXPECT_GE(button.GetTopOffset(), ButtonBase::kRestOffset);
    EXPECT_LT(button.GetTopOffset(), ButtonBase::kRestOffset + ButtonBase::kStep + 1e-5f);
    ExpectTopWorldFollows(button);
    EXPECT_EQ(soundFrames, std::vector<int>({0, 25}));
}

TEST_F(ButtonTest, ReturnButtonPressedDuringItsRiseSinksFromWhereItIs) {
    ReturnButton button(Vector3(0.0f, 0.0f, 0.0f));
    for (int i = 0; i < 20; ++i) button.Update(true);
    for (int i = 0; i < 5; ++i) button.Update(false);
    const float risen = button.GetTopOffset();
    EXPECT_GT(risen, ButtonBase::kPressDepth);
    EXPECT_LT(risen, -0.15f);
    button.Update(true);
    EXPECT_NEAR(button.GetTopOffset(), risen - ButtonBase::kStep, 1e-5f);
    EXPECT_FALSE(button.IsOn());
    EXPECT_EQ(Count(kPress), 3);  // down, up, down again
}

TEST_F(ButtonTest, ReturnDoorStartsClosingInTheFrameTheBoxLeaves) {
    Gimmick_ReturnDoor group(Vector3(0, 0, 0), Vector3(0, 0, 30), 0.0f);
    for (int i = 0; i < 40; ++i) group.Update(true);  // a box rests on it
    ASSERT_TRUE(group.GetButton()->IsOn());
    ASSERT_FLOAT_EQ(group.GetDoor()->GetPanelOffset(), DoorPanel::kOpenTravel);
    EndFrame();

    group.Update(false);  // the box is pulled away
    const std::vector<std::string> frame = EndFrame();
    EXPECT_FALSE(group.GetButton()->IsOn());
    EXPECT_FALSE(group.GetDoor()->IsLampOn());
    EXPECT_FLOAT_EQ(group.GetDoor()->GetPanelOffset(), DoorPanel::kOpenTravel - DoorPanel::kStep);
    EXPECT_TRUE(Has(frame, "sound:play:Door/DoorClose.wav"));
}

TEST_F(ButtonTest, TimeButtonRunsItsCountdownWhateverLiesOnIt) {
    TimeButton button(Vector3(0.0f, 0.0f, 0.0f), 120);
    button.Update(true);  // press noticed at rest: the top starts next frame
    EXPECT_TRUE(button.IsActive());
    EXPECT_EQ(button.GetRemainingFrames(), 120);
    EXPECT_EQ(button.GetTopOffset(), 0.0f);

    // Active frames 1..120 with a box left on it all the time.
    int firstOn = 0, lastOn = 0;
    for (int k = 1; k <= 120; ++k) {
        button.Update(true);
        EXPECT_EQ(button.GetRemainingFrames(), 120 - k);
        if (button.IsOn()) {
            if (firstOn == 0) firstOn = k;
            lastOn = k;
        } else {
            EXPECT_TRUE(firstOn == 0 || k == 120) << "off again at active frame " << k;
        }
    }
    EXPECT_GE(firstOn, 15);
    EXPECT_LE(firstOn, 16);
    EXPECT_EQ(lastOn, 119);
    EXPECT_FALSE(button.IsOn());
    EXPECT_FALSE(button.IsActive());
    EXPECT_EQ(Count(kPress), 1);

    // It rises with the box still on it and ignores the press meanwhile.
    float previous = button.GetTopOffset();
    int rising = 0;
    while (button.GetTopOffset() < ButtonBase::kRestOffset && rising < 40) {
        button.Update(true);
        ++rising;
        EXPECT_GT(button.GetTopOffset(), previous);
        EXPECT_FALSE(button.IsActive());
        EXPECT_FALSE(button.IsOn());
        EXPECT_EQ(button.GetRemainingFrames(), 0);
        previous = button.GetTopOffset();
    }
    EXPECT_GE(rising, 15);
    EXPECT_LE(rising, 16);
    EXPECT_EQ(Count(kPress), 2);  // once down, once up

    // Back at rest: the next press starts a new countdown.
    button.Update(true);
    EXPECT_TRUE(button.IsActive());
    EXPECT_EQ(button.GetRemainingFrames(), 120);
}

TEST_F(ButtonTest, TimeButtonPressedOnceCountsDownWithoutWeight) {
    TimeButton button(Vector3(0.0f, 0.0f, 0.0f), 60);
    button.Update(true);
    for (int k = 1; k <= 59; ++k) button.Update(false);
    EXPECT_TRUE(button.IsOn());
    EXPECT_EQ(button.GetRemainingFrames(), 1);
    button.Update(false);
    EXPECT_FALSE(button.IsOn());
    EXPECT_EQ(button.GetRemainingFrames(), 0);
}
