// The title scene: the first frame's fade, the orbiting camera, the click
// (latch, focus, once only), the prompt's leave animation and the frame in
// which stage 1 is requested.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "scene/KeyLatch.h"
#include "scene/SceneManager.h"
#include "app/TitleScene.h"
#include "framework/audio/FwAudio.h"
#include "framework/render/FwShaderManager.h"
#include "tests/scenes/SceneTestSupport.h"

namespace {
// Lets the test see the title's music instance.
class ObservedTitle : public TitleScene {
public:
    std::shared_ptr<FwSoundInstance> Music() const { return bgm_; }
};

int Count(const std::vector<std::string>& events, const std::string& event) {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
}
}  // namespace

class TitleSceneTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        title_ = new ObservedTitle();
        SceneManager::GetInstance().ChangeScene(std::unique_ptr<BaseScene>(title_));
    }
    // Runs frames until the fade-in is over (20 frames).
    void FinishFadeIn() {
        RunFrames(20);
        ASSERT_FALSE(title_->IsBlack());
    }
    // A one-frame click: pressed during this frame, released afterwards.
    std::vector<std::string> ClickFrame() {
        platform_.Hold(FwKey::LButton);
        std::vector<std::string> events = RunFrame();
        platform_.Release(FwKey::LButton);
        return events;
    }
    int ConfirmSounds() const { return CountEvents("sound:play:Determination.wav"); }

    ObservedTitle* title_ = nullptr;
};

TEST_F(TitleSceneTest, FirstFrameDrawsUnderAlmostBlackFadeAndTwentiethFullyVisible) {
    RunFrame();
    EXPECT_EQ(title_->FadeAlpha(), 0.95f);
    RunFrames(18);
    EXPECT_GT(title_->FadeAlpha(), 0.0f);
    RunFrame();
    EXPECT_EQ(title_->FadeAlpha(), 0.0f);
    EXPECT_FALSE(title_->IsBlack());
}

TEST_F(TitleSceneTest, ShowsTheCursorAndStartsItsMusic) {
    ASSERT_FALSE(platform_.cursorCalls.empty());
    EXPECT_TRUE(platform_.cursorCalls.back());
    ASSERT_TRUE(title_->Music());
    EXPECT_TRUE(title_->Music()->IsPlaying());
}

TEST_F(TitleSceneTest, CameraCirclesTheRoomOncePer360Frames) {
    RunFrame();
    const Vector3 start = title_->CameraPosition();
    EXPECT_FLOAT_EQ(start.x, 0.0f);
    EXPECT_FLOAT_EQ(start.y, 2.5f);
    EXPECT_FLOAT_EQ(start.z, -2.3f);

    RunFrames(90);  // a quarter turn: +X turns toward -Z, so the eye moves to -X
    EXPECT_NEAR(title_->CameraPosition().x, -2.3f, 1e-5f);
    EXPECT_NEAR(title_->CameraPosition().z, 0.0f, 1e-5f);

    RunFrames(270);
    EXPECT_NEAR(title_->CameraPosition().x, start.x, 1e-5f);
    EXPECT_FLOAT_EQ(title_->CameraPosition().y, 2.5f);
    EXPECT_NEAR(title_->CameraPosition().z, start.z, 1e-5f);
}

TEST_F(TitleSceneTest, ClickAfterFadeInRequestsStageOneInThe39thFrame) {
    FinishFadeIn();
    SceneManager& manager = SceneManager::GetInstance();
    platform_.cursorCalls.clear();

    ClickFrame();  // frame 1 of the leave
    EXPECT_TRUE(title_->IsClicked());
    EXPECT_EQ(title_->StageToStart(), 1);
    for (int frame = 2; frame <= 38; ++frame) {
        RunFrame();
        ASSERT_FALSE(manager.HasPendingChange()) << "requested early, in frame " << frame;
    }
    EXPECT_TRUE(title_->Music()->IsPlaying());
    RunFrame();  // frame 39: black, music stopped, game scene of stage 1 built
    EXPECT_TRUE(manager.HasPendingChange());
    EXPECT_TRUE(title_->IsBlack());
    EXPECT_FALSE(title_->Music()->IsPlaying());
    EXPECT_EQ(platform_.cursorCalls, std::vector<bool>{false}) << "exactly one game scene was built";

    std::vector<std::string> events = RunFrame();
    ASSERT_NE(manager.Current(), nullptr);
    EXPECT_STREQ(manager.Current()->KindName(), "game");
    EXPECT_EQ(manager.Current()->StageNumber(), 1);
    EXPECT_EQ(Count(events, "scene:game:1"), 1);
}

TEST_F(TitleSceneTest, PromptSinksNineAndAHalfPixelsWhileItShrinks) {
    FinishFadeIn();
    const Matrix before = title_->ClickTransform();
    EXPECT_FLOAT_EQ(before.m[3][1], -200.0f);

    ClickFrame();
    float previousHeight = title_->ClickTransform().m[1][1];
    EXPECT_NEAR(previousHeight, 0.95f, 1e-6f);
    for (int frame = 2; frame <= 19; ++frame) {
        RunFrame();
        const float height = title_->ClickTransform().m[1][1];
        EXPECT_GT(height, 0.0f);
        EXPECT_LT(height, previousHeight);
        previousHeight = height;
    }
    EXPECT_NEAR(title_->ClickTransform().m[3][1], -209.5f, 1e-4f);
    // Only the vertical axis is squashed; the translation stays centred in x.
    EXPECT_FLOAT_EQ(title_->ClickTransform().m[0][0], 1.0f);
    EXPECT_FLOAT_EQ(title_->ClickTransform().m[3][0], 0.0f);
    EXPECT_EQ(title_->FadeAlpha(), 0.0f) << "no fade-out while the factor is positive";

    RunFrame();  // frame 20: the factor reaches zero and the fade-out begins
    EXPECT_NEAR(title_->ClickTransform().m[3][1], -209.5f, 1e-4f);
    EXPECT_NEAR(title_->FadeAlpha(), 0.05f, 1e-6f);
}

TEST_F(TitleSceneTest, HeldButtonWithLatchSetWaitsForRelease) {
    KeyLatch::GetInstance().Set(KeyLatch::kLeftButton, true);
    platform_.Hold(FwKey::LButton);
    RunFrames(5);
    EXPECT_FALSE(title_->IsClicked());
    EXPECT_TRUE(KeyLatch::GetInstance().Get(KeyLatch::kLeftButton));

    platform_.Release(FwKey::LButton);
    RunFrame();
    EXPECT_FALSE(title_->IsClicked());
    EXPECT_FALSE(KeyLatch::GetInstance().Get(KeyLatch::kLeftButton));

    platform_.Hold(FwKey::LButton);
    RunFrame();
    EXPECT_TRUE(title_->IsClicked());
    EXPECT_TRUE(KeyLatch::GetInstance().Get(KeyLatch::kLeftButton));
}

TEST_F(TitleSceneTest, HeldButtonWithLatchClearCountsInTheFirstFrame) {
    platform_.Hold(FwKey::LButton);
    std::vector<std::string> events = RunFrame();
    EXPECT_TRUE(title_->IsClicked());
    EXPECT_EQ(Count(events, "sound:play:Determination.wav"), 1);
}

TEST_F(TitleSceneTest, ClickWhileAnotherWindowIsActiveIsIgnored) {
    platform_.active = false;
    platform_.Hold(FwKey::LButton);
    RunFrames(3);
    EXPECT_FALSE(title_->IsClicked());
    EXPECT_EQ(ConfirmSounds(), 0);
    // The latch keeps its state while the window is inactive, even with the
    // button up.
    KeyLatch::GetInstance().Set(KeyLatch::kLeftButton, true);
    platform_.Release(FwKey::LButton);
    RunFrame();
    EXPECT_TRUE(KeyLatch::GetInstance().Get(KeyLatch::kLeftButton));

    platform_.active = true;
    RunFrame();  // button up: the latch clears
    ClickFrame();
    EXPECT_TRUE(title_->IsClicked());
}

TEST_F(TitleSceneTest, SecondClickDoesNothing) {
    FinishFadeIn();
    ClickFrame();
    ASSERT_EQ(ConfirmSounds(), 1);
    RunFrame();
    const float squashedY = title_->ClickTransform().m[3][1];
    ClickFrame();
    EXPECT_EQ(ConfirmSounds(), 1);
    EXPECT_EQ(title_->StageToStart(), 1);
    // The animation goes on undisturbed: one more step of its fall.
    EXPECT_LT(title_->ClickTransform().m[3][1], squashedY);
    // While clicked, the held button keeps the latch clear (the hook gun of
    // the next scene must see a fresh press).
    platform_.Hold(FwKey::LButton);
    RunFrame();
    EXPECT_FALSE(KeyLatch::GetInstance().Get(KeyLatch::kLeftButton));
}

TEST_F(TitleSceneTest, PublishesTheOrbitCameraWithTheDefaultProjection) {
    RunFrames(46);  // camera angle 45 degrees in the last frame
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    const Vector3 eye = title_->CameraPosition();
    EXPECT_NEAR(shaders.GetCameraPos().x, eye.x, 1e-5f);
    EXPECT_NEAR(shaders.GetCameraPos().y, eye.y, 1e-5f);
    EXPECT_NEAR(shaders.GetCameraPos().z, eye.z, 1e-5f);
    // The room's centre lies straight ahead, 2.3 units away.
    const Vector3 centre = TransformCoord(Vector3{0.0f, 2.5f, 0.0f}, shaders.GetViewMatrix());
    EXPECT_NEAR(centre.x, 0.0f, 1e-5f);
    EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
    EXPECT_NEAR(centre.z, 2.3f, 1e-5f);

    const Matrix& proj = shaders.GetProjMatrix();
    EXPECT_NEAR(proj.m[0][0], 0.9742786f, 1e-6f);
    EXPECT_NEAR(proj.m[1][1], 1.7320508f, 1e-6f);
    EXPECT_NEAR(proj.m[2][2], 1.00001f, 1e-6f);
    EXPECT_NEAR(proj.m[3][2], -0.0100001f, 1e-7f);
    EXPECT_EQ(proj.m[2][3], 1.0f);
    EXPECT_EQ(proj.m[3][3], 0.0f);
}

// The stage buttons: one centred row for a few stages; for the most stages
// the content may hold, smaller rows that stay between the logo (its bottom
// at y 151) and the prompt (its top at y -168) without overlapping.
TEST(TitleStageButtons, RowsStayBetweenLogoAndPromptForAnyCount) {
    const auto three = TitleScene::LayOutStageButtons({1, 2, 3});
    ASSERT_EQ(three.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(three[i].stage, i + 1);
        EXPECT_FLOAT_EQ(three[i].centre.x, -100.0f + 100.0f * i);
        EXPECT_FLOAT_EQ(three[i].centre.y, -95.0f);
        EXPECT_FLOAT_EQ(three[i].scale, 1.0f);
    }
    for (int count : {10, 11, 30, 31, 99}) {
        std::vector<int> stages(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) stages[i] = i + 1;
        const auto buttons = TitleScene::LayOutStageButtons(stages);
        ASSERT_EQ(buttons.size(), stages.size());
        for (size_t i = 0; i < buttons.size(); ++i) {
            const float w = TitleScene::kStageButtonSize.x * buttons[i].scale / 2.0f;
            const float h = TitleScene::kStageButtonSize.y * buttons[i].scale / 2.0f;
            EXPECT_LE(buttons[i].centre.y + h, 151.0f) << count << " stages, button " << i;
            EXPECT_GE(buttons[i].centre.y - h, -168.0f) << count << " stages, button " << i;
            EXPECT_LE(std::fabs(buttons[i].centre.x) + w, 640.0f) << count << " stages, button " << i;
            if (i == 0) continue;
            const Vector3& a = buttons[i - 1].centre;
            const Vector3& b = buttons[i].centre;
            EXPECT_TRUE(std::fabs(a.x - b.x) >= 2 * w || std::fabs(a.y - b.y) >= 2 * h)
                << count << " stages: buttons " << i - 1 << " and " << i << " overlap";
            EXPECT_TRUE(b.y < a.y || (b.y == a.y && b.x > a.x)) << "stage order is reading order";
        }
    }
}
