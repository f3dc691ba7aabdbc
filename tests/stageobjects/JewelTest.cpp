// Jewel and showcase: placement, spin, the catch rule, taken one frame after
// the catch, riding the hook, the get sound.
#include "game/Jewel.h"
#include "game/ShowCase.h"
#include "tests/stageobjects/StageObjectsSupport.h"

namespace {
constexpr float kHookRadius = 0.5f;
const Vector3 kNoPull{0.0f, 0.0f, 0.0f};
const char* kGetSound = "sound:play:Jewel/JewelGet.wav";

using JewelTest = StageObjectTest;
}  // namespace

TEST_F(JewelTest, FloatsSixAboveItsShowCaseAndTurnsATenthOfARadianAFrame) {
    ShowCase showCase(Vector3(3.0f, 1.0f, -4.0f));
    EXPECT_EQ(showCase.GetWorld(), MatrixTranslation(3.0f, 1.0f, -4.0f));
    EXPECT_EQ(showCase.GetPosition(), Vector3(3.0f, 1.0f, -4.0f));
    ASSERT_NE(showCase.GetModel(), nullptr);

    Jewel jewel(showCase.GetPosition());
    EXPECT_EQ(jewel.GetPosition(), Vector3(3.0f, 7.0f, -4.0f));
    // Placed before its first update: the hook's ray may test it first.
    EXPECT_EQ(jewel.GetWorld().Translation(), Vector3(3.0f, 7.0f, -4.0f));
    ASSERT_NE(jewel.GetModel(), nullptr);

    float expected = 0.0f;
    for (int frame = 1; frame <= 40; ++frame) {
        // A hook nearby without a strike, and a pull, change nothing.
        jewel.Update(false, jewel.GetPosition(), kHookRadius, Vector3(1.0f, 0.0f, 0.0f));
        expected += 0.1f;
        ASSERT_EQ(jewel.GetSpin(), expected) << "frame " << frame;
    }
    EXPECT_NEAR(jewel.GetSpin(), 4.0f, 1e-4f);
    EXPECT_EQ(jewel.GetPosition(), Vector3(3.0f, 7.0f, -4.0f));
    EXPECT_FALSE(jewel.IsCaught());
    EXPECT_FALSE(jewel.IsTaken());
    // Rotation about Y by the spin, then the translation; a yaw turns +X
    // toward -Z.
    const float a = jewel.GetSpin();
    EXPECT_TRUE(MatrixNear(jewel.GetWorld(), MatrixRotationY(a) * MatrixTranslation(3.0f, 7.0f, -4.0f), 1e-6f));
    Vector3 x = TransformNormal(Vector3(1.0f, 0.0f, 0.0f), jewel.GetWorld());
    EXPECT_NEAR(x.x, std::cos(a), 1e-6f);
    EXPECT_NEAR(x.z, -std::sin(a), 1e-6f);
}

TEST(JewelSpin, StepIsATenthOfARadianAfterTenMillionFrames) {
    float spin = 0.0f;
    float sum = 0.0f;  // the plain sum the spin always was
    for (int frame = 1; frame <= 10000000; ++frame) {
        spin = Jewel::NextSpin(spin);
        if (frame <= 60000) {
            sum += Jewel::kSpinStep;
            ASSERT_EQ(spin, sum) << "the first 17 minutes turn as before, frame " << frame;
        }
        ASSERT_LT(spin, Jewel::kSpinWrap) << "frame " << frame;
    }
    for (int frame = 0; frame < 100; ++frame) {
        const float next = Jewel::NextSpin(spin);
        ASSERT_NEAR(next - spin, 0.1f, 1e-3f) << "step " << frame << " after ten million frames";
        spin = next;
    }
}

TEST_F(JewelTest, CaughtOnlyByAStrikeWithinThreeOfTheCentre) {
    const Vector3 centre(0.0f, 6.0f, 0.0f);
    {
        Jewel jewel(Vector3(0.0f, 0.0f, 0.0f));
        // The hook passing right through the jewel without a strike.
        for (int i = 0; i < 5; ++i) jewel.Update(false, centre, kHookRadius, kNoPull);
        EXPECT_FALSE(jewel.IsCaught());
        // A strike 3.01 away, and one at exactly 3.0 (touching spheres), miss.
        jewel.Update(true, centre + Vector3(0.0f, 0.0f, 3.01f), kHookRadius, kNoPull);
        EXPECT_FALSE(jewel.IsCaught());
        jewel.Update(true, centre + Vector3(3.0f, 0.0f, 0.0f), kHookRadius, kNoPull);
        EXPECT_FALSE(jewel.IsCaught());
        // 2.99 away with the strike flag: caught.
        jewel.Update(true, centre + Vector3(0.0f, -2.99f, 0.0f), kHookRadius, kNoPull);
        EXPECT_TRUE(jewel.IsCaught());
        EXPECT_FALSE(jewel.IsTaken()) << "taken only from the next update";
    }
    {
        // The catch radius uses the hook radius handed in.
        Jewel jewel(Vector3(0.0f, 0.0f, 0.0f));
        jewel.Update(true, centre + Vector3(0.0f, 0.0f, 3.4f), 1.0f, kNoPull);
        EXPECT_TRUE(jewel.IsCaught());
    }
}

TEST_F(JewelTest, TakenOneFrameAfterTheCatchThenRidesTheHookWithOneGetSound) {
    ASSERT_NE(FwAudioManager::GetInstance().Device(), nullptr);
    Jewel jewel(Vector3(10.0f, 2.0f, 5.0f));
    const Vector3 start = jewel.GetPosition();
    jewel.Update(false, Vector3(), kHookRadius, kNoPull);
    EXPECT_EQ(Count(kGetSound), 0);

    // The catch frame: the jewel turns once more, stays put, plays the sound.
    const Vector3 pull(0.0f, -0.2f, -0.5f);
    jewel.Update(true, start + Vector3(0.0f, 0.0f, -2.0f), kHookRadius, pull);
    ASSERT_TRUE(jewel.IsCaught());
    EXPECT_FALSE(jewel.IsTaken());
    EXPECT_EQ(jewel.GetPosition(), start);
    const float spinAtCatch = jewel.GetSpin();
    EXPECT_FLOAT_EQ(spinAtCatch, 0.2f);
    EXPECT_EQ(Count(kGetSound), 1);

    // From the next frame: taken, following the pull, no longer turning.
    jewel.Update(false, Vector3(), kHookRadius, pull);
    EXPECT_TRUE(jewel.IsTaken());
    EXPECT_EQ(jewel.GetPosition(), start + pull);
    const Vector3 slower(0.0f, 0.0f, -0.1f);
    for (int i = 0; i < 5; ++i) jewel.Update(true, jewel.GetPosition(), kHookRadius, slower);
    EXPECT_NEAR(jewel.GetPosition().z, start.z - 0.5f - 0.5f, 1e-5f);
    EXPECT_NEAR(jewel.GetPosition().y, start.y - 0.2f, 1e-5f);
    EXPECT_EQ(jewel.GetSpin(), spinAtCatch);
    EXPECT_TRUE(MatrixNear(jewel.GetWorld(), MatrixRotationY(spinAtCatch) * MatrixTranslation(jewel.GetPosition()),
                           1e-6f));
    EXPECT_TRUE(jewel.IsTaken());
    EXPECT_EQ(Count(kGetSound), 1) << "later strikes do not play it again";
}
