// Scene switching: when the old scene dies, what a repeated or replaced
// request does, the frame skeleton's order and the scene trace events.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scene/SceneManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "app/TitleScene.h"
#include "game/GameScene.h"
#include "tests/scenes/ProbeScene.h"
#include "tests/scenes/SceneTestSupport.h"

namespace {
using Log = std::vector<std::string>;

// The log entries written after position from.
Log Since(const Log& log, size_t from) { return Log(log.begin() + static_cast<long>(from), log.end()); }
}  // namespace

// The log outlives the test body: scenes still owned by the manager write
// their destructor entries into it when the fixture tears down.
class SceneManagerTest : public SceneTest {
protected:
    Log log_;
};

TEST_F(SceneManagerTest, FrameRunsUpdateThenCameraThenDraw) {
    Log& log = log_;
    SceneManager& manager = SceneManager::GetInstance();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new ProbeScene("A", log)));
    RunFrame();
    EXPECT_EQ(Since(log, 1), (Log{"A:update", "A:camera", "A:draw"}));
}

TEST_F(SceneManagerTest, RequestInFrameNReplacesAtStartOfFrameNPlusOne) {
    Log& log = log_;
    SceneManager& manager = SceneManager::GetInstance();
    auto* a = new ProbeScene("A", log);
    manager.ChangeScene(std::unique_ptr<BaseScene>(a));
    RunFrame();
    ASSERT_EQ(manager.Current(), a);

    a->onUpdate = [&] { manager.ChangeScene(std::unique_ptr<BaseScene>(new ProbeScene("B", log))); };
    size_t mark = log.size();
    RunFrame();  // frame N: B is built inside A's Update, A still finishes its frame
    EXPECT_EQ(Since(log, mark), (Log{"A:update", "B:ctor", "A:camera", "A:draw"}));
    EXPECT_EQ(manager.Current(), a);
    EXPECT_TRUE(manager.HasPendingChange());

    a->onUpdate = nullptr;
    mark = log.size();
    RunFrame();  // frame N+1: A is deleted before B's first Update
    EXPECT_EQ(Since(log, mark), (Log{"A:dtor", "B:update", "B:camera", "B:draw"}));
    EXPECT_FALSE(manager.HasPendingChange());
}

TEST_F(SceneManagerTest, SecondRequestDeletesTheFirstAndStopsItsMusic) {
    Log& log = log_;
    SceneManager& manager = SceneManager::GetInstance();
    auto* a = new ProbeScene("A", log);
    manager.ChangeScene(std::unique_ptr<BaseScene>(a));
    RunFrame();

    auto* b = new ProbeScene("B", log);
    std::shared_ptr<FwSoundInstance> bMusic = b->StartMusic();
    ASSERT_TRUE(bMusic) << "BGM.wav from the test data folder should load";
    ASSERT_TRUE(bMusic->IsPlaying());
    manager.ChangeScene(std::unique_ptr<BaseScene>(b));
    size_t mark = log.size();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new ProbeScene("C", log)));
    EXPECT_EQ(Since(log, mark), (Log{"C:ctor", "B:dtor"}));
    EXPECT_FALSE(bMusic->IsPlaying());

    mark = log.size();
    RunFrame();
    EXPECT_EQ(Since(log, mark), (Log{"A:dtor", "C:update", "C:camera", "C:draw"}));
}

TEST_F(SceneManagerTest, ClearDeletesCurrentAndPendingScenes) {
    Log& log = log_;
    SceneManager& manager = SceneManager::GetInstance();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new ProbeScene("A", log)));
    RunFrame();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new ProbeScene("B", log)));
    manager.Clear();
    EXPECT_EQ(std::count(log.begin(), log.end(), "A:dtor"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "B:dtor"), 1);
    EXPECT_EQ(manager.Current(), nullptr);
    RunFrame();  // nothing left to run
    EXPECT_EQ(std::count(log.begin(), log.end(), "B:update"), 0);
}

TEST_F(SceneManagerTest, TracesTheSceneThatBecomesCurrent) {
    Log& log = log_;
    SceneManager& manager = SceneManager::GetInstance();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new TitleScene()));
    std::vector<std::string> events = RunFrame();
    EXPECT_NE(std::find(events.begin(), events.end(), "scene:title"), events.end());
    manager.ChangeScene(std::unique_ptr<BaseScene>(new GameScene(2)));
    events = RunFrame();
    EXPECT_NE(std::find(events.begin(), events.end(), "scene:game:2"), events.end());
    manager.ChangeScene(std::unique_ptr<BaseScene>(new ProbeScene("C", log, "clear", 1)));
    events = RunFrame();
    EXPECT_NE(std::find(events.begin(), events.end(), "scene:clear:1"), events.end());
    // Nothing is traced in frames without a switch.
    events = RunFrame();
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const std::string& e) { return e.rfind("scene:", 0) == 0; }),
              0);
}

// Switching scenes frees what only the old scene asked the resource factory
// for, once the old scene is gone, and never what the new scene asked for,
// whether at its construction or while the old scene still ran its frame.
TEST_F(SceneManagerTest, SwitchFreesOnlyWhatTheOldSceneAloneUsed) {
    Log& log = log_;
    SceneManager& manager = SceneManager::GetInstance();
    FwResourceFactory& resources = FwResourceFactory::GetInstance();
    resources.ClearForTests();
    auto* a = new ProbeScene("A", log);
    resources.GetTexture("OnlyA.png");  // A's own requests, made while it is being set up
    FwTexture* shared = resources.GetTexture("Shared.png");
    manager.ChangeScene(std::unique_ptr<BaseScene>(a));
    RunFrame();
    ASSERT_EQ(resources.TextureCount(), 2u);

    FwTexture* onlyB = nullptr;
    a->onUpdate = [&] {
        manager.ChangeScene(std::unique_ptr<BaseScene>(new ProbeScene("B", log)));
        onlyB = resources.GetTexture("OnlyB.png");
        EXPECT_EQ(resources.GetTexture("Shared.png"), shared);
    };
    RunFrame();  // B is built; A still finishes its frame, nothing is freed yet
    EXPECT_EQ(resources.TextureCount(), 3u);
    a->onUpdate = nullptr;
    RunFrame();  // A is gone
    EXPECT_EQ(resources.TextureCount(), 2u);
    EXPECT_EQ(resources.GetTexture("Shared.png"), shared);
    EXPECT_EQ(resources.GetTexture("OnlyB.png"), onlyB);
    resources.ClearForTests();
}
