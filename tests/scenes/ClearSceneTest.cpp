// The clear scene: cursor, music, the orbit, the trace's menu record, and
// the scene each choice leads to after the fade to black.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "app/ClearScene.h"
#include "scene/SceneManager.h"
#include "app/StageSelect.h"
#include "framework/audio/FwAudio.h"
#include "tests/scenes/MenuTestSupport.h"

namespace {
// Lets the test see the scene's music instance.
class ObservedClear : public ClearScene {
public:
    using ClearScene::ClearScene;
    std::shared_ptr<FwSoundInstance> Music() const { return bgm_; }
};
}  // namespace

class ClearSceneTest : public MenuTest {
protected:
    // Builds the clear scene of a cleared stage and makes it current.
    void Enter(int clearedStage) {
        scene_ = new ObservedClear(clearedStage);
        SceneManager::GetInstance().ChangeScene(std::unique_ptr<BaseScene>(scene_));
        RunFrame();
    }
    // Presses the left button over a button (sprite coordinates) for one frame.
    void ClickAt(int x, int y) {
        PointAt(x, y);
        platform_.Hold(FwKey::LButton);
        RunFrame();
        platform_.Release(FwKey::LButton);
    }
    // Frames run since the choice (the choice's own frame counting as the
    // first) until a scene change is pending, running more frames up to
    // limit; -1 if none was requested by then.
    int FramesUntilRequest(int limit) {
        SceneManager& manager = SceneManager::GetInstance();
        int frames = 1;
        while (!manager.HasPendingChange() && frames < limit) {
            RunFrame();
            ++frames;
        }
        return manager.HasPendingChange() ? frames : -1;
    }

    ObservedClear* scene_ = nullptr;
};

TEST_F(ClearSceneTest, ShowsTheCursorTheGameHidStartsItsMusicAndNamesTheClearedStage) {
    platform_.ShowCursor(false);  // as the game scene left it
    platform_.cursorCalls.clear();
    scene_ = new ObservedClear(2);
    EXPECT_EQ(platform_.cursorCalls, std::vector<bool>{true});
    EXPECT_TRUE(platform_.cursorShown);
    ASSERT_TRUE(scene_->Music());
    EXPECT_TRUE(scene_->Music()->IsPlaying());
    EXPECT_EQ(CountEvents("sound:play:BGM.wav"), 1);

    SceneManager::GetInstance().ChangeScene(std::unique_ptr<BaseScene>(scene_));
    const std::vector<std::string> events = RunFrame();
    EXPECT_STREQ(scene_->KindName(), "clear");
    EXPECT_EQ(scene_->StageNumber(), 2);
    EXPECT_NE(std::find(events.begin(), events.end(), "scene:clear:2"), events.end());
    EXPECT_EQ(scene_->FadeAlpha(), 0.95f);
}

TEST_F(ClearSceneTest, CameraAdvancesBeforeItIsPlacedAndCirclesOncePer360Frames) {
    Enter(1);  // first frame: angle 1 degree already
    const float a = 1.0f * 0.017453292f;
    EXPECT_NEAR(scene_->CameraPosition().x, -2.3f * std::sin(a), 1e-6f);
    EXPECT_FLOAT_EQ(scene_->CameraPosition().y, 2.5f);
    EXPECT_NEAR(scene_->CameraPosition().z, -2.3f * std::cos(a), 1e-6f);
    RunFrames(89);  // 90 degrees: +X turns toward -Z, so the eye moves to -X
    EXPECT_NEAR(scene_->CameraPosition().x, -2.3f, 1e-5f);
    EXPECT_NEAR(scene_->CameraPosition().z, 0.0f, 1e-5f);
    RunFrames(270);  // 360 degrees
    EXPECT_NEAR(scene_->CameraPosition().x, 0.0f, 1e-5f);
    EXPECT_NEAR(scene_->CameraPosition().z, -2.3f, 1e-5f);
}

TEST(ClearSceneOrbit, StillOneDegreeAFrameAfterTenMillionFrames) {
    // Whole degrees, exactly as before for the first thousand turns, then
    // the same angles again: every camera position repeats exactly.
    float angle = 0.0f;
    for (int frame = 1; frame <= 10000000; ++frame) {
        angle = ClearScene::NextOrbitAngle(angle);
        ASSERT_EQ(angle, static_cast<float>(frame % 360000)) << "frame " << frame;
    }
    EXPECT_EQ(ClearScene::NextOrbitAngle(angle) - angle, 1.0f);
}

TEST_F(ClearSceneTest, TraceRecordsTheMenu) {
    Enter(1);
    nlohmann::json frame;
    scene_->AppendTrace(frame);
    ASSERT_TRUE(frame.contains("menu"));
    EXPECT_EQ(frame["menu"]["choice"], -1);
    EXPECT_EQ(frame["menu"]["accepting"], true);
    EXPECT_EQ(frame["menu"]["buttons"], nlohmann::json::parse("[[-400,-200],[0,-200],[400,-200]]"));

    ClickAt(400, -200);
    frame = nlohmann::json::object();
    scene_->AppendTrace(frame);
    EXPECT_EQ(frame["menu"]["choice"], 2);
    EXPECT_EQ(frame["menu"]["accepting"], false);

    SceneManager::GetInstance().Clear();
    Enter(2);
    frame = nlohmann::json::object();
    scene_->AppendTrace(frame);
    EXPECT_EQ(frame["menu"]["buttons"], nlohmann::json::parse("[[-200,-200],[200,-200]]"));
}

struct ChoiceCase {
    int clearedStage;
    int buttonX;  // sprite x of the clicked button's centre
    const char* nextKind;
    int nextStage;  // 0 for the title
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
    *out << "after stage " << c.clearedStage << " the button at x " << c.buttonX << " -> " << c.nextKind << " "
         << c.nextStage;
}

class ClearSceneChoiceTest : public ClearSceneTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ClearSceneChoiceTest, ChoiceLeadsToItsSceneAfterTheTwentyFrameFadeOut) {
    const ChoiceCase& c = GetParam();
    Enter(c.clearedStage);
    RunFrames(19);
    ASSERT_FALSE(scene_->IsBlack()) << "fade-in over";
    const std::shared_ptr<FwSoundInstance> music = scene_->Music();

    ClickAt(c.buttonX, -200);  // fade-out frame 1
    ASSERT_FALSE(scene_->Menu().IsAccepting());
    EXPECT_EQ(DecideSounds(), 1);
    EXPECT_EQ(FramesUntilRequest(25), 20) << "requested in the 20th frame of the fade-out";
    EXPECT_TRUE(scene_->IsBlack());
    EXPECT_EQ(scene_->FadeAlpha(), 1.0f);

    const std::vector<std::string> events = RunFrame();
    BaseScene* next = SceneManager::GetInstance().Current();
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(next->KindName(), c.nextKind);
    EXPECT_EQ(next->StageNumber(), c.nextStage);
    EXPECT_FALSE(music->IsPlaying()) << "the clear scene's music stops with it";
    const std::string entered =
        c.nextStage == 0 ? std::string("scene:title") : "scene:game:" + std::to_string(c.nextStage);
    EXPECT_NE(std::find(events.begin(), events.end(), entered), events.end());
}

INSTANTIATE_TEST_SUITE_P(Choices, ClearSceneChoiceTest,
                         ::testing::Values(ChoiceCase{1, -400, "game", 2},  // next stage
                                           ChoiceCase{1, 0, "game", 1},     // play again
                                           ChoiceCase{1, 400, "title", 0},  // title
                                           ChoiceCase{2, -200, "game", 2},  // play again
                                           ChoiceCase{2, 200, "title", 0}));

TEST_F(ClearSceneTest, ChoiceDuringTheFadeInFadesBackToBlackBeforeTheSwitch) {
    Enter(1);
    RunFrames(4);  // alpha 0.75
    const float alphaAtChoice = scene_->FadeAlpha();
    ASSERT_GT(alphaAtChoice, 0.5f);
    ASSERT_LT(alphaAtChoice, 1.0f);

    ClickAt(0, -200);
    SceneManager& manager = SceneManager::GetInstance();
    float previous = scene_->FadeAlpha();
    int frames = 1;
    while (!manager.HasPendingChange() && frames < 30) {
        ASSERT_LT(scene_->FadeAlpha(), 1.0f);
        RunFrame();
        ++frames;
        EXPECT_GT(scene_->FadeAlpha(), previous) << "the fade turned around at once";
        previous = scene_->FadeAlpha();
    }
    ASSERT_TRUE(manager.HasPendingChange());
    EXPECT_EQ(scene_->FadeAlpha(), 1.0f) << "the switch happens only on black";
    EXPECT_LE(frames, 7);
    RunFrame();
    EXPECT_STREQ(manager.Current()->KindName(), "game");
    EXPECT_EQ(manager.Current()->StageNumber(), 1);
}

TEST_F(ClearSceneTest, NoChoiceNoChange) {
    Enter(1);
    PointAt(0, 0);
    platform_.Hold(FwKey::LButton);
    RunFrames(60);
    EXPECT_FALSE(SceneManager::GetInstance().HasPendingChange());
    EXPECT_TRUE(scene_->Menu().IsAccepting());
    EXPECT_EQ(scene_->FadeAlpha(), 0.0f);
    EXPECT_EQ(DecideSounds(), 0);
}
