// Sliding doors: panel travel, the open and close sounds, the lamp, and the
// transforms of a rotated door.
#include <cmath>

#include "GimmickTestSupport.h"
#include "game/gimmick/Door.h"

namespace {

const char* const kOpen = "sound:play:Door/DoorOpen.wav";
const char* const kClose = "sound:play:Door/DoorClose.wav";

class DoorTest : public GimmickTest {};

}  // namespace

TEST_F(DoorTest, OpensInFifteenFramesAndClosesInFifteen) {
    NomalDoor door(Vector3(0.0f, 1.0f, 0.0f), 0.0f);
    EXPECT_FALSE(door.IsLampOn());
    for (int i = 1; i <= 15; ++i) {
        door.Update(true);
        EXPECT_FLOAT_EQ(door.GetPanelOffset(), 0.5f * static_cast<float>(i));
    }
    for (int i = 0; i < 10; ++i) door.Update(true);
    EXPECT_FLOAT_EQ(door.GetPanelOffset(), DoorPanel::kOpenTravel);  // never beyond
    EXPECT_FLOAT_EQ(door.GetPanelY(), 8.5f);
    EXPECT_TRUE(door.IsLampOn());
    EXPECT_EQ(door.GetPanelWorld().Translation(), door.GetPanelPosition());

    for (int i = 0; i < 15; ++i) door.Update(false);
    EXPECT_FLOAT_EQ(door.GetPanelOffset(), 0.0f);
    for (int i = 0; i < 10; ++i) door.Update(false);
    EXPECT_FLOAT_EQ(door.GetPanelOffset(), 0.0f);  // never below closed
    EXPECT_FALSE(door.IsLampOn());
    EXPECT_EQ(Count(kOpen), 1);
    EXPECT_EQ(Count(kClose), 1);

    door.Update(true);  // a new opening sounds again
    EXPECT_EQ(Count(kOpen), 2);
}

TEST_F(DoorTest, InterruptedOpeningClosesWithOneSoundEach) {
    NomalDoor door(Vector3(5.0f, 0.0f, 5.0f), 0.0f);
    for (int i = 0; i < 4; ++i) door.Update(true);
    EXPECT_FLOAT_EQ(door.GetPanelOffset(), 2.0f);

    int closing = 0;
    do {
        door.Update(false);
        ++closing;
        EXPECT_FALSE(door.IsLampOn());
    } while (door.GetPanelOffset() > 0.0f && closing < 20);
    EXPECT_EQ(closing, 4);
    EXPECT_FLOAT_EQ(door.GetPanelOffset(), 0.0f);
    for (int i = 0; i < 5; ++i) door.Update(false);
    EXPECT_EQ(Count(kOpen), 1);
    EXPECT_EQ(Count(kClose), 1);
}

TEST_F(DoorTest, TurnedDoorSlidesStraightUpWithItsLampAbove) {
    const Vector3 position(10.0f, 2.0f, -5.0f);
    NomalDoor turned(position, 90.0f);
    NomalDoor straight(position, 0.0f);

    EXPECT_EQ(turned.GetLampPosition(), position + Vector3(0.0f, 8.5f, 0.0f));
    const Vector3 lamp = turned.GetLampWorld().Translation();
    EXPECT_NEAR(lamp.x, 10.0f, 1e-5f);
    EXPECT_NEAR(lamp.y, 10.5f, 1e-5f);
    EXPECT_NEAR(lamp.z, -5.0f, 1e-5f);

    for (int i = 0; i < 15; ++i) {
        turned.Update(true);
        straight.Update(true);
        const Vector3 p = turned.GetPanelWorld().Translation();
        EXPECT_NEAR(p.x, position.x, 1e-5f) << "frame " << i;
        EXPECT_NEAR(p.z, position.z, 1e-5f) << "frame " << i;
        EXPECT_EQ(p.y, straight.GetPanelWorld().Translation().y) << "frame " << i;
    }
    EXPECT_NEAR(turned.GetPanelWorld().Translation().y, 9.5f, 1e-5f);

    // The panel itself is turned: its local x axis points along world -z.
    const Vector3 localX = TransformNormal(Vector3(1.0f, 0.0f, 0.0f), turned.GetPanelWorld());
    EXPECT_NEAR(localX.x, 0.0f, 1e-5f);
    EXPECT_NEAR(localX.z, -1.0f, 1e-5f);
}
