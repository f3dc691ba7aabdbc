// The fade arithmetic: exact arrival in 20 steps of 0.05 in single
// precision, and the black flag gating fade-in against fade-out.
#include <gtest/gtest.h>

#include <vector>

#include "scene/BaseScene.h"
#include "tests/scenes/ProbeScene.h"
#include "tests/scenes/SceneTestSupport.h"

TEST(FadeStep, RisesToExactlyOneInTwentySteps) {
    float value = 0.0f;
    for (int i = 1; i <= 19; ++i) {
        EXPECT_FALSE(FadeStep(value, true, 0.05f)) << "step " << i;
        EXPECT_LT(value, 1.0f);
    }
    EXPECT_TRUE(FadeStep(value, true, 0.05f));
    EXPECT_EQ(value, 1.0f);
    // Already at the target: no arrival reported again, value unchanged.
    EXPECT_FALSE(FadeStep(value, true, 0.05f));
    EXPECT_EQ(value, 1.0f);
}

TEST(FadeStep, FallsToExactlyZeroInTwentySteps) {
    float value = 1.0f;
    for (int i = 1; i <= 19; ++i) {
        EXPECT_FALSE(FadeStep(value, false, 0.05f)) << "step " << i;
        EXPECT_GT(value, 0.0f);
    }
    EXPECT_TRUE(FadeStep(value, false, 0.05f));
    EXPECT_EQ(value, 0.0f);
    EXPECT_FALSE(FadeStep(value, false, 0.05f));
    EXPECT_EQ(value, 0.0f);
}

TEST(FadeStep, ClampsAnOvershootingStep) {
    float value = 0.9f;
    EXPECT_TRUE(FadeStep(value, true, 0.5f));
    EXPECT_EQ(value, 1.0f);
    value = 0.1f;
    EXPECT_TRUE(FadeStep(value, false, 0.5f));
    EXPECT_EQ(value, 0.0f);
}

using SceneFade = SceneTest;

TEST_F(SceneFade, SceneStartsBlackAndFadesInOverTwentyCalls) {
    std::vector<std::string> log;
    ProbeScene scene("A", log);
    EXPECT_TRUE(scene.IsBlack());
    EXPECT_EQ(scene.FadeAlpha(), 1.0f);

    scene.FadeIn();
    EXPECT_EQ(scene.FadeAlpha(), 1.0f - 0.05f);
    for (int i = 2; i <= 19; ++i) scene.FadeIn();
    EXPECT_TRUE(scene.IsBlack());
    EXPECT_GT(scene.FadeAlpha(), 0.0f);
    scene.FadeIn();
    EXPECT_EQ(scene.FadeAlpha(), 0.0f);
    EXPECT_FALSE(scene.IsBlack());
}

TEST_F(SceneFade, FadeOutWaitsForTheFadeInToFinish) {
    std::vector<std::string> log;
    ProbeScene scene("A", log);
    scene.FadeOut();  // still black from the start: nothing happens
    EXPECT_EQ(scene.FadeAlpha(), 1.0f);
    EXPECT_TRUE(scene.IsBlack());

    for (int i = 0; i < 10; ++i) scene.FadeIn();
    const float halfway = scene.FadeAlpha();
    scene.FadeOut();  // fade-in still running
    EXPECT_EQ(scene.FadeAlpha(), halfway);

    for (int i = 0; i < 10; ++i) scene.FadeIn();
    ASSERT_FALSE(scene.IsBlack());
    scene.FadeIn();  // already clear: FadeIn does nothing
    EXPECT_EQ(scene.FadeAlpha(), 0.0f);
    for (int i = 1; i <= 19; ++i) scene.FadeOut();
    EXPECT_FALSE(scene.IsBlack());
    scene.FadeOut();
    EXPECT_TRUE(scene.IsBlack());
    EXPECT_EQ(scene.FadeAlpha(), 1.0f);
}
