// The stage-select menu and its hit test: the cursor box's strict edges,
// client coordinates, the two layouts, hover sounds, clicks that miss and a
// held button that decides on arrival.
#include <gtest/gtest.h>

#include <set>

#include "app/CursorOverRect.h"
#include "app/StageSelect.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "tests/scenes/MenuTestSupport.h"

using CursorOverRectTest = MenuTest;

TEST_F(CursorOverRectTest, TouchingEdgesDoNotCountOnePixelInsideDoes) {
    // Rectangle 40 x 20 centred at (100, 50): edges at x 80 and 120, y 40 and 60.
    const Vector3 centre{100.0f, 50.0f, 0.0f};
    struct Case {
        int x, y;
        bool over;
    };
    const Case cases[] = {
        {64, 50, false},  {65, 50, true},   // left edge: cx + 16 == 80 only touches
        {136, 50, false}, {135, 50, true},  // right edge: cx - 16 == 120
        {100, 24, false}, {100, 25, true},  // bottom edge: cy + 16 == 40
        {100, 76, false}, {100, 75, true},  // top edge: cy - 16 == 60
        {65, 25, true},   {64, 24, false},  // corners
    };
    for (const Case& c : cases) {
        PointAt(c.x, c.y);
        EXPECT_EQ(CursorOverRect(centre, 40.0f, 20.0f), c.over) << "cursor at " << c.x << ", " << c.y;
    }
}

TEST_F(CursorOverRectTest, TitleButtonLeftEdge) {
    // After stage 1 the title button (120 wide) is centred at x 400: left edge 340.
    StageSelect menu(true);
    const Vector3& title = menu.ButtonCentre(StageSelect::kTitle);
    const Vector2& size = menu.ButtonSize(StageSelect::kTitle);
    PointAt(324, -200);
    EXPECT_FALSE(CursorOverRect(title, size.x, size.y));
    menu.Update();
    EXPECT_EQ(menu.GetChoice(), StageSelect::kNone);
    PointAt(325, -200);
    EXPECT_TRUE(CursorOverRect(title, size.x, size.y));
    menu.Update();
    EXPECT_EQ(menu.GetChoice(), StageSelect::kTitle);
}

TEST_F(CursorOverRectTest, ReadsTheCursorInClientCoordinates) {
    // The headless platform's window sits away from the desktop's origin.
    FwHeadlessPlatform headless;
    FwSetPlatform(&headless);
    const Vector3 centre{100.0f, 50.0f, 0.0f};
    headless.SetCursorPos(headless.ClientToScreen({640 + 100, 360 - 50}));
    const bool overAtClientPoint = CursorOverRect(centre, 40.0f, 20.0f);
    headless.SetCursorPos({640 + 100, 360 - 50});  // the same numbers as a screen point
    const bool overAtScreenPoint = CursorOverRect(centre, 40.0f, 20.0f);
    FwSetPlatform(&TestPlatform());
    EXPECT_TRUE(overAtClientPoint);
    EXPECT_FALSE(overAtScreenPoint);
}

using StageSelectTest = MenuTest;

TEST_F(StageSelectTest, AfterStageOneThreeButtonsInARow) {
    StageSelect menu(true);
    EXPECT_TRUE(menu.HasNextStage());
    const float xs[] = {-400.0f, 0.0f, 400.0f};
    const Vector2 sizes[] = {{254.0f, 58.0f}, {257.0f, 57.0f}, {120.0f, 47.0f}};
    for (int choice = StageSelect::kNextStage; choice <= StageSelect::kTitle; ++choice) {
        ASSERT_TRUE(menu.HasButton(choice)) << choice;
        EXPECT_EQ(menu.ButtonCentre(choice).x, xs[choice]) << choice;
        EXPECT_EQ(menu.ButtonCentre(choice).y, -200.0f) << choice;
        EXPECT_EQ(menu.ButtonSize(choice).x, sizes[choice].x) << choice;
        EXPECT_EQ(menu.ButtonSize(choice).y, sizes[choice].y) << choice;
    }
    EXPECT_EQ(menu.GetChoice(), StageSelect::kNone);
    EXPECT_TRUE(menu.IsAccepting());
}

TEST_F(StageSelectTest, AfterTheLastStageTwoButtonsAndNoNextStageCanBeChosen) {
    StageSelect menu(false);
    EXPECT_FALSE(menu.HasNextStage());
    EXPECT_FALSE(menu.HasButton(StageSelect::kNextStage));
    ASSERT_TRUE(menu.HasButton(StageSelect::kPlayAgain));
    ASSERT_TRUE(menu.HasButton(StageSelect::kTitle));
    EXPECT_EQ(menu.ButtonCentre(StageSelect::kPlayAgain).x, -200.0f);
    EXPECT_EQ(menu.ButtonCentre(StageSelect::kTitle).x, 200.0f);
    EXPECT_EQ(menu.ButtonCentre(StageSelect::kPlayAgain).y, -200.0f);
    EXPECT_EQ(menu.ButtonCentre(StageSelect::kTitle).y, -200.0f);

    // Sweep the cursor over the whole client area: both buttons are found,
    // the next stage never.
    std::set<int> seen;
    for (int y = 0; y < 720; y += 3) {
        for (int x = 0; x < 1280; x += 3) {
            platform_.cursor = FwPoint{x, y};
            menu.Update();
            seen.insert(menu.GetChoice());
        }
    }
    EXPECT_EQ(seen, (std::set<int>{StageSelect::kNone, StageSelect::kPlayAgain, StageSelect::kTitle}));

    // A click where the next-stage button stands after stage 1 decides nothing.
    PointAt(-400, -200);
    platform_.Hold(FwKey::LButton);
    menu.Update();
    EXPECT_TRUE(menu.IsAccepting());
    EXPECT_EQ(menu.GetChoice(), StageSelect::kNone);
    EXPECT_EQ(DecideSounds(), 0);
}

TEST_F(StageSelectTest, HoverSoundOncePerEntryAndAgainOnlyAfterLeavingAllButtons) {
    StageSelect menu(true);
    PointAt(0, -200);  // play again
    for (int i = 0; i < 5; ++i) menu.Update();
    EXPECT_EQ(menu.GetChoice(), StageSelect::kPlayAgain);
    EXPECT_EQ(HoverSounds(), 1);

    PointAt(400, -200);  // straight onto the title button, no frame in between
    menu.Update();
    EXPECT_EQ(menu.GetChoice(), StageSelect::kTitle);
    EXPECT_EQ(HoverSounds(), 1);

    PointAt(400, 100);  // over no button
    menu.Update();
    EXPECT_EQ(menu.GetChoice(), StageSelect::kNone);
    EXPECT_EQ(HoverSounds(), 1);

    PointAt(400, -200);
    menu.Update();
    menu.Update();
    EXPECT_EQ(HoverSounds(), 2);
    PointAt(-400, -200);  // next stage, after leaving all buttons
    menu.Update();
    menu.Update();
    EXPECT_EQ(HoverSounds(), 2);
    PointAt(-200, -200);
    menu.Update();
    PointAt(-400, -200);
    menu.Update();
    EXPECT_EQ(menu.GetChoice(), StageSelect::kNextStage);
    EXPECT_EQ(HoverSounds(), 3);
    EXPECT_TRUE(menu.IsAccepting());
    EXPECT_EQ(DecideSounds(), 0);
}

TEST_F(StageSelectTest, ClickingOutsideEveryButtonDoesNothing) {
    StageSelect menu(true);
    platform_.Hold(FwKey::LButton);
    for (FwPoint p : {FwPoint{0, 0}, FwPoint{-200, -200}, FwPoint{200, -200}, FwPoint{0, -250}, FwPoint{-600, 300}}) {
        PointAt(p.x, p.y);
        menu.Update();
        EXPECT_TRUE(menu.IsAccepting()) << p.x << ", " << p.y;
        EXPECT_EQ(menu.GetChoice(), StageSelect::kNone) << p.x << ", " << p.y;
    }
    EXPECT_EQ(DecideSounds(), 0);
    EXPECT_EQ(HoverSounds(), 0);
}

TEST_F(StageSelectTest, HeldButtonMovedOntoAButtonDecidesAtOnceAndTheMenuThenStops) {
    StageSelect menu(true);
    platform_.Hold(FwKey::LButton);
    PointAt(-600, 0);
    menu.Update();
    ASSERT_TRUE(menu.IsAccepting());

    PointAt(-400, -200);
    menu.Update();
    EXPECT_FALSE(menu.IsAccepting());
    EXPECT_EQ(menu.GetChoice(), StageSelect::kNextStage);
    EXPECT_EQ(HoverSounds(), 1);
    EXPECT_EQ(DecideSounds(), 1);

    // Decided: moving and clicking elsewhere changes nothing.
    PointAt(400, -200);
    menu.Update();
    platform_.Release(FwKey::LButton);
    PointAt(0, 0);
    menu.Update();
    EXPECT_EQ(menu.GetChoice(), StageSelect::kNextStage);
    EXPECT_FALSE(menu.IsAccepting());
    EXPECT_EQ(HoverSounds(), 1);
    EXPECT_EQ(DecideSounds(), 1);
}
