#include "app/Application.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "scene/SceneManager.h"
#include "app/SceneFactory.h"
#include "framework/FwFrameSize.h"
#include "framework/audio/FwAudio.h"
#include "framework/platform/FwInputRecorder.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "game/profile/Profile.h"

namespace {
constexpr const char* kWindowCaption = "Gilded Vault";
}  // namespace

Application& Application::GetInstance() {
    static Application application;
    return application;
}

void Application::SetFirstScene(FirstSceneMaker maker) { firstScene_ = std::move(maker); }

void Application::SetFrameObserver(FrameObserver observer) { observer_ = std::move(observer); }

void Application::SetInputRecorder(FwInputRecorder* recorder) { recorder_ = recorder; }

void Application::SetRenderScaleMode(RenderScaleMode mode) { scaleMode_ = mode; }

std::optional<float> Application::AutomaticScale() const {
    if (!scaler_) return std::nullopt;
    return scaler_->Scale();
}

bool Application::ScaleIsAutomatic() const {
    switch (scaleMode_) {
    case RenderScaleMode::Auto: return true;
    case RenderScaleMode::FollowSettings: return Profile::Active().Current().renderScaleAuto;
    default: return false;
    }
}

uint32_t Application::PacingSleepMs(uint32_t frameStartMs, uint32_t nowMs, int targetFps) {
    if (targetFps <= 0) return 0;
    const uint32_t budget = 1000u / static_cast<uint32_t>(targetFps);
    const uint32_t elapsed = nowMs - frameStartMs;  // modulo 2^32
    return elapsed < budget ? budget - elapsed : 0;
}

bool Application::Init(int width, int height) {
    FwPlatform& platform = FwGetPlatform();
    if (!platform.CreateGameWindow(width, height, kWindowCaption)) {
        platform.MessageBox("ウィンドウ作成に失敗", "エラー", FwMessageIcon::None);
        return false;
    }
    std::string errorText;
    if (!FwDirect3D::GetInstance().Init(width, height, false, errorText)) {
        platform.MessageBox(errorText, "Direct3D初期化失敗", FwMessageIcon::Error);
        return false;
    }
    // A shader that does not build would leave the game drawing nothing:
    // start-up stops with the shader's name and the compiler's log.
    std::string shaderText;
    if (!FwShaderManager::GetInstance().Init(&shaderText)) {
        platform.MessageBox(shaderText, "シェーダー初期化失敗", FwMessageIcon::Error);
        return false;
    }
    if (!FwAudioManager::GetInstance().Init()) {
        // The text is the (empty) error text of the graphics step.
        platform.MessageBox(errorText, "サウンド初期化失敗", FwMessageIcon::Error);
        return false;
    }
    return true;
}

bool Application::Run() {
    if (!Start()) return false;
    FwPlatform& platform = FwGetPlatform();
    uint32_t frameStart = platform.TimeMs();
    while (StepFrame()) {
        uint32_t sleep = PacingSleepMs(frameStart, platform.TimeMs(), targetFps_);
        if (sleep > 0) platform.SleepMs(sleep);
        frameStart = platform.TimeMs();
    }
    Stop();
    return true;
}

bool Application::Start() {
    if (!Init(kFwFrameWidth, kFwFrameHeight)) {
        Shutdown();
        return false;
    }
    InstallSceneFactory();
    SceneManager::GetInstance().ChangeScene(firstScene_ ? firstScene_() : MakeScene(SceneRequest::Title()));
    if (recorder_) recorder_->Start();
    frame_ = 0;
    return true;
}

bool Application::StepFrame() {
    FwPlatform& platform = FwGetPlatform();
    ++frame_;
    platform.ProcessMessages();
    // The input exactly as the scene is about to see it.
    if (recorder_) recorder_->RecordFrame();
    // Escape or the close box: this frame does no audio, scene or present work.
    if (!platform.IsWindowAlive()) return false;
    RunFrame();
    if (recorder_) recorder_->EndFrame();
    return !(observer_ && !observer_(frame_));
}

void Application::Stop() {
    if (recorder_) recorder_->Finish();
    Shutdown();
}

void Application::RunFrame() {
    FwDirect3D& device = FwDirect3D::GetInstance();
    const bool automatic = ScaleIsAutomatic();
    if (automatic && !scaler_) {
        scaler_.emplace(AdaptiveRenderScale::kMaxScale);
        device.SetRenderScale(scaler_->Scale());
    } else if (!automatic && scaler_) {
        // AUTO switched off in the options: the fixed scale of the settings again.
        scaler_.reset();
        device.SetRenderScale(Profile::Active().Current().renderScale);
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();

    FwAudioManager::GetInstance().Update();
    SceneManager::GetInstance().Update();
    if (scaler_) {
        // The frame's drawing time: the commands are only queued until the
        // device has finished them. Timed before the present, which may wait
        // for the display's refresh.
        device.Finish();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const float before = scaler_->Scale();
        const float scale = scaler_->OnFrame(ms);
        if (scale != before) {
            device.SetRenderScale(scale);
            if (logScaleChanges_)
                std::fprintf(stderr, "render scale %.1f\n", static_cast<double>(scale));
        }
    }
    // Presents through the platform (window swap, or nothing when headless).
    device.Present();
}

void Application::Shutdown() {
    // Scenes go first: their destructors stop their music and sounds, which
    // needs the audio manager, and release GPU objects while the device and
    // the GL context still exist.
    SceneManager::GetInstance().Clear();
    FwShaderManager::GetInstance().Release();
    FwDirect3D::GetInstance().Release();
    FwAudioManager::GetInstance().Release();
    // The platform keeps the GL context until here, even after Escape hid
    // the window, so everything above could still talk to the GPU.
    FwGetPlatform().DestroyGameWindow();
}
