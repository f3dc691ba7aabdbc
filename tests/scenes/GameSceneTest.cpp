// The stage scene's scene-level duties: cursor, music, the P key's
// immediate return to the title, and the cursor coming back there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "scene/SceneManager.h"
#include "app/TitleScene.h"
#include "framework/resource/FwDataRoot.h"
#include "game/GameScene.h"
#include "tests/scenes/SceneTestSupport.h"
#include "tests/support/TempDir.h"

using GameSceneTest = SceneTest;

TEST_F(GameSceneTest, HidesTheCursorPlaysItsMusicAndFadesIn) {
    SceneManager& manager = SceneManager::GetInstance();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new GameScene(1)));
    EXPECT_EQ(platform_.cursorCalls, std::vector<bool>{false});
    EXPECT_EQ(CountEvents("sound:play:GameBGM.wav"), 1);
    RunFrame();
    EXPECT_EQ(manager.Current()->FadeAlpha(), 0.95f);
    RunFrames(19);
    EXPECT_FALSE(manager.Current()->IsBlack());
}

TEST_F(GameSceneTest, PKeyReturnsToTheTitleAtOnceEvenWhileBlack) {
    SceneManager& manager = SceneManager::GetInstance();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new GameScene(2)));
    RunFrame();
    ASSERT_TRUE(manager.Current()->IsBlack());

    platform_.Hold(0x50);
    RunFrame();  // the title is built in this frame, no fade-out first
    EXPECT_TRUE(manager.HasPendingChange());
    EXPECT_STREQ(manager.Current()->KindName(), "game");
    std::vector<std::string> events = RunFrame();  // held P: still one title only
    EXPECT_STREQ(manager.Current()->KindName(), "title");
    EXPECT_NE(std::find(events.begin(), events.end(), "scene:title"), events.end());
    EXPECT_EQ(CountEvents("sound:stop:GameBGM.wav"), 1);
    EXPECT_FALSE(manager.HasPendingChange());
}

TEST_F(GameSceneTest, CursorIsVisibleInTheTitleHoweverOftenGamesHidIt) {
    SceneManager& manager = SceneManager::GetInstance();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new GameScene(1)));
    RunFrame();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new GameScene(1)));  // a restart hides it again
    RunFrame();
    platform_.Hold(0x50);
    RunFrames(2);
    ASSERT_STREQ(manager.Current()->KindName(), "title");
    ASSERT_FALSE(platform_.cursorCalls.empty());
    EXPECT_TRUE(platform_.cursorCalls.back());
}

TEST_F(GameSceneTest, BrokenStageFileIsReportedAndReturnsToTheTitle) {
    // A copy of the test content with the broken file: the shared folder
    // stays intact for the tests that run after this one.
    TempDir scratch("gv_scenes_broken");
    ASSERT_FALSE(scratch.path.empty());
    std::filesystem::copy("Data", scratch.path / "Data", std::filesystem::copy_options::recursive);
    std::ofstream(scratch.path / "Data" / "CoordinateFile" / "Stage_2.txt") << "2\n1.0,2.5\n";
    struct RootGuard {
        ~RootGuard() { FwDataRoot::Set(""); }
    } restoreRoot;
    FwDataRoot::Set((scratch.path / "Data").string());

    SceneManager& manager = SceneManager::GetInstance();
    manager.ChangeScene(std::unique_ptr<BaseScene>(new GameScene(2)));
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_NE(platform_.messages[0].find("Stage_2.txt"), std::string::npos);
    RunFrames(2);
    EXPECT_STREQ(manager.Current()->KindName(), "title");
}

// A stage mesh that does not load, or loads without a triangle to stand on,
// is refused like a broken stage file: one message naming the file, then
// the title, never a half-built stage with the player falling forever.
TEST_F(GameSceneTest, StageMeshMissingBrokenOrEmptyIsReportedAndReturnsToTheTitle) {
    const std::string noTriangles = R"({"asset":{"version":"2.0"},"nodes":[{"name":"empty"}],"scenes":[{"nodes":[0]}]})";
    struct Case {
        const char* what;
        const char* contents;  // null: no file at all
        const char* reason;
    };
    const Case cases[] = {
        {"missing", nullptr, "cannot open the file"},
        {"broken", "{\"asset\":", "Stage_2.gltf: "},
        {"without triangles", noTriangles.c_str(), "the stage mesh holds no triangles"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir scratch("gv_scenes_mesh");
        ASSERT_FALSE(scratch.path.empty());
        std::filesystem::copy("Data", scratch.path / "Data", std::filesystem::copy_options::recursive);
        const std::filesystem::path mesh = scratch.path / "Data" / "Model" / "GameScene" / "Stage" / "Stage_2.gltf";
        std::filesystem::remove(mesh);
        if (c.contents) std::ofstream(mesh) << c.contents;
        struct RootGuard {
            ~RootGuard() { FwDataRoot::Set(""); }
        } restoreRoot;
        FwDataRoot::Set((scratch.path / "Data").string());
        platform_.messages.clear();

        SceneManager& manager = SceneManager::GetInstance();
        testing::internal::CaptureStderr();
        manager.ChangeScene(std::unique_ptr<BaseScene>(new GameScene(2)));
        const std::string err = testing::internal::GetCapturedStderr();
        ASSERT_EQ(platform_.messages.size(), 1u);
        const std::string& message = platform_.messages[0];
        EXPECT_EQ(message.rfind("Gilded Vault: stage mesh error: " + mesh.string(), 0), 0u) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        RunFrames(2);
        EXPECT_STREQ(manager.Current()->KindName(), "title");
        // The loader's own report names the file too, unless the file loaded.
        if (std::string(c.what) != "without triangles") {
            EXPECT_NE(err.find("cannot load " + mesh.string()), std::string::npos) << err;
        }
        SceneManager::GetInstance().Clear();
    }
}
