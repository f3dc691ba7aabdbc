// The jewel cut-in timeline: bands, logos, easing, the 102-frame finish and
// what the 2D pass draws before, during and after it.
#include <cmath>

#include "game/StagingManager.h"
#include "tests/stageobjects/StageObjectsSupport.h"

namespace {
using Sprite = JewelCutIn::Sprite;

std::vector<Sprite> Drawn(const JewelCutIn& cutIn) {
    JewelCutIn::SpriteList list;
    int n = cutIn.SpritesToDraw(list);
    std::vector<Sprite> out;
    for (int i = 0; i < n; ++i) out.push_back(list[i].sprite);
    return out;
}

const JewelCutIn::SpriteDraw* Find(const JewelCutIn& cutIn, Sprite sprite, JewelCutIn::SpriteList& list) {
    int n = cutIn.SpritesToDraw(list);
    for (int i = 0; i < n; ++i)
        if (list[i].sprite == sprite) return &list[i];
    return nullptr;
}

using CutInTest = StageObjectTest;
}  // namespace

TEST_F(CutInTest, WaitsUntilTheJewelIsTakenAndDrawsNothing) {
    StagingManager staging;
    for (int i = 0; i < 50; ++i) staging.Update(false);
    EXPECT_EQ(staging.GetState(), JewelCutIn::kWaiting);
    EXPECT_FALSE(staging.IsFinished());
    EXPECT_TRUE(Drawn(staging.GetCutIn()).empty());
    EXPECT_EQ(staging.GetCutIn().GetUpperBandPosition().x, 1280.0f);
    EXPECT_EQ(staging.GetCutIn().GetJewelLogoPosition().x, -762.0f);
}

TEST_F(CutInTest, FinishesOnThe102ndUpdateFollowingTheTimeline) {
    StagingManager staging;
    const JewelCutIn& c = staging.GetCutIn();
    staging.Update(false);
    staging.Update(false);

    std::vector<float> upper, lower, jewelX, getX, scale;
    std::vector<int> states;
    int finishedAt = 0;
    for (int frame = 1; frame <= 130; ++frame) {
        // The jewel stays taken: the flag is true on every frame.
        staging.Update(true);
        upper.push_back(c.GetUpperBandPosition().x);
        lower.push_back(c.GetLowerBandPosition().x);
        jewelX.push_back(c.GetJewelLogoPosition().x);
        getX.push_back(c.GetGetLogoPosition().x);
        scale.push_back(c.GetLogoScale());
        states.push_back(staging.GetState());
        if (staging.IsFinished() && finishedAt == 0) finishedAt = frame;
    }
    EXPECT_EQ(finishedAt, 102);
    EXPECT_EQ(states[100], JewelCutIn::kLogosOut);
    EXPECT_EQ(states[101], JewelCutIn::kOver);

    // Bands: 1280, 1080, ..., 80, then 0 on the 7th frame; mirrored below.
    EXPECT_EQ(upper[0], 1080.0f);
    EXPECT_EQ(upper[5], 80.0f);
    EXPECT_EQ(upper[6], 0.0f);
    EXPECT_EQ(lower[0], -1080.0f);
    EXPECT_EQ(lower[6], 0.0f);
    EXPECT_EQ(upper[129], 0.0f);

    // Logos: 12 frames at 25, then 1 a frame until the 91st frame.
    EXPECT_EQ(jewelX[0], -737.0f);
    EXPECT_EQ(jewelX[11], -462.0f);
    EXPECT_EQ(getX[11], -362.0f);
    EXPECT_EQ(jewelX[12], -461.0f);
    EXPECT_EQ(jewelX[90], -383.0f);
    EXPECT_EQ(getX[90], -283.0f);
    EXPECT_EQ(states[90], JewelCutIn::kLogosOut) << "the hold ends in the 91st frame";
    EXPECT_EQ(states[89], JewelCutIn::kLogosIn);
    // Then accelerating 25, 50, 75, ...: 992 after ten frames, past 1000 on the 11th.
    EXPECT_EQ(jewelX[91], -358.0f);
    EXPECT_EQ(jewelX[92], -308.0f);
    EXPECT_EQ(jewelX[100], 992.0f);
    EXPECT_EQ(jewelX[101], 1267.0f);
    EXPECT_EQ(getX[101], 1367.0f);

    // Opening: eased over the first 20 frames, starting from 0.
    EXPECT_EQ(scale[0], 0.0f);
    for (int k = 1; k < 20; ++k) EXPECT_GT(scale[k], scale[k - 1]) << k;
    EXPECT_NEAR(scale[1], 1.0f - std::pow(0.95f, 5.0f), 1e-6f);
    EXPECT_NEAR(scale[19], 0.9999997f, 1e-7f);
    EXPECT_LT(scale[19], 1.0f);
    EXPECT_EQ(scale[20], scale[19]) << "the 21st comparison fails in single precision";
    EXPECT_EQ(scale[90], scale[19]);
    // Closing: (1 - 0.05 k)^5 in the k-th frame of the way out.
    for (int k = 0; k <= 10; ++k) EXPECT_NEAR(scale[91 + k], std::pow(1.0f - 0.05f * k, 5.0f), 1e-5f) << k;
    EXPECT_NEAR(scale[101], 0.03125f, 1e-6f);

    // Nothing moves once it is over.
    EXPECT_EQ(jewelX[129], jewelX[101]);
    EXPECT_EQ(states[129], JewelCutIn::kOver);
    EXPECT_TRUE(staging.IsFinished());
}

TEST_F(CutInTest, BandsStayAndLogosGoWhenOverAndRestartingChangesNothing) {
    StagingManager staging;
    const JewelCutIn& c = staging.GetCutIn();
    staging.Update(true);
    EXPECT_EQ(Drawn(c), (std::vector<Sprite>{Sprite::UpperBand, Sprite::LowerBand, Sprite::JewelLogo,
                                             Sprite::GetLogo}));
    // The start flag may drop and rise again: the cut-in runs on regardless.
    for (int i = 0; i < 50; ++i) staging.Update(i % 3 == 0);
    EXPECT_EQ(staging.GetState(), JewelCutIn::kLogosIn);
    for (int i = 51; i < 101; ++i) staging.Update(false);
    EXPECT_FALSE(staging.IsFinished());
    staging.Update(false);
    EXPECT_TRUE(staging.IsFinished()) << "102 updates after the first start";

    EXPECT_EQ(Drawn(c), (std::vector<Sprite>{Sprite::UpperBand, Sprite::LowerBand}));
    for (int i = 0; i < 30; ++i) staging.Update(true);
    EXPECT_EQ(staging.GetState(), JewelCutIn::kOver);
    EXPECT_TRUE(staging.IsFinished());
    EXPECT_EQ(Drawn(c), (std::vector<Sprite>{Sprite::UpperBand, Sprite::LowerBand}));

    JewelCutIn::SpriteList list;
    const JewelCutIn::SpriteDraw* up = Find(c, Sprite::UpperBand, list);
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->transform, MatrixTranslation(0.0f, 260.0f, 0.0f));
    EXPECT_EQ(up->width, 1280.0f);
    EXPECT_EQ(up->height, 200.0f);
    const JewelCutIn::SpriteDraw* down = Find(c, Sprite::LowerBand, list);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(down->transform, MatrixTranslation(0.0f, -260.0f, 0.0f));
}

TEST_F(CutInTest, LogosOpenAboutTheirCentres) {
    StagingManager staging;
    const JewelCutIn& c = staging.GetCutIn();
    for (int i = 0; i < 5; ++i) staging.Update(true);
    JewelCutIn::SpriteList list;
    const JewelCutIn::SpriteDraw* jewel = Find(c, Sprite::JewelLogo, list);
    ASSERT_NE(jewel, nullptr);
    const float s = c.GetLogoScale();
    ASSERT_GT(s, 0.0f);
    ASSERT_LT(s, 1.0f);
    EXPECT_EQ(jewel->transform, MatrixScaling(1.0f, s, 1.0f) * MatrixTranslation(-637.0f, 200.0f, 0.0f));
    EXPECT_EQ(jewel->width, 244.0f);
    EXPECT_EQ(jewel->height, 98.0f);
    const JewelCutIn::SpriteDraw* get = Find(c, Sprite::GetLogo, list);
    ASSERT_NE(get, nullptr);
    EXPECT_EQ(get->transform, MatrixScaling(1.0f, s, 1.0f) * MatrixTranslation(-537.0f, 100.0f, 0.0f));
    EXPECT_EQ(get->width, 208.0f);
    EXPECT_EQ(get->height, 99.0f);
    // Drawing without a device is harmless.
    staging.Draw2D();
}
