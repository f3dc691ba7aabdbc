// A shader that does not build stops start-up: FwShaderManager::Init fails
// with the shader's name and the compiler's log, and Application::Run shows
// them in an error box and reports a failed start-up instead of running on
// drawing nothing.
#include <gtest/gtest.h>

#include <string>

#include "app/Application.h"
#include "framework/platform/FwEglContext.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"

namespace {

class ShaderStartup : public testing::Test {
protected:
    void TearDown() override { FwShaderManager::BreakProgramForTests(""); }
};

}  // namespace

TEST_F(ShaderStartup, InitNamesTheShaderThatDoesNotBuildWithTheCompilerLog) {
    std::string error;
    if (!FwCreateHeadlessGLContext(64, 64, error)) GTEST_SKIP() << "no GL context: " << error;
    ASSERT_TRUE(FwDirect3D::GetInstance().Init(64, 64, false, error)) << error;
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    for (const char* program : {"model", "effect", "sprite", "model depth"}) {
        SCOPED_TRACE(program);
        FwShaderManager::BreakProgramForTests(program);
        std::string text;
        EXPECT_FALSE(shaders.Init(&text));
        EXPECT_EQ(text.rfind(std::string("shader ") + program + " (fragment) failed to compile:\n", 0), 0u) << text;
        EXPECT_NE(text.find("error"), std::string::npos) << "the compiler's log: " << text;
    }
    FwShaderManager::BreakProgramForTests("");
    std::string text;
    EXPECT_TRUE(shaders.Init(&text)) << text;
    EXPECT_EQ(text, "");
    shaders.Release();
    FwDirect3D::GetInstance().Release();
    FwDestroyHeadlessGLContext();
}

TEST_F(ShaderStartup, ApplicationStopsWithAnErrorBoxAndAFailedStart) {
    FwHeadlessPlatform platform;
    FwSetPlatform(&platform);
    Application& app = Application::GetInstance();
    int frames = 0;
    app.SetFrameObserver([&frames](uint64_t) { return ++frames < 1; });  // a start that worked ends at once
    FwShaderManager::BreakProgramForTests("effect");
    testing::internal::CaptureStderr();
    const bool started = app.Run();
    const std::string err = testing::internal::GetCapturedStderr();
    app.SetFrameObserver({});
    FwSetPlatform(nullptr);
    if (err.find("ウィンドウ作成に失敗") != std::string::npos) GTEST_SKIP() << "no GL context: " << err;

    EXPECT_FALSE(started);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(platform.ErrorBoxCount(), 1);
    EXPECT_EQ(err.rfind("シェーダー初期化失敗: shader effect (fragment) failed to compile:\n", 0), 0u) << err;
}
