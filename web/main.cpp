// The web build's program entry: the game in a page (web/index.html), driven
// by the browser's animation frames.
//
// Two ways to run, chosen by the page's address:
// - play (the default): the page's canvas, keyboard and mouse (FwWebPlatform)
//   and Web Audio; 60 game frames a second whatever the display's rate.
// - scripted (index.html?input=FILE[&frames=N][&shot=F], or frames=N alone
//   for a run without input): the harness's
//   platform (scripted input, virtual clock, virtual sound device), so the
//   run means what gilded_vault_harness --input FILE means; frames run as
//   fast as the browser allows. Every frame's trace line (the harness's
//   JSON) goes to the page, and frame F's picture is handed to it as a PNG.
//   norender=1 draws only frame F, as the harness's --no-render does (the
//   trace is the same).
//   The page shows the result or reports it to the server (tests).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/SceneFactory.h"
#include "framework/FwTrace.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "framework/platform/FwWebPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/resource/FwDataRoot.h"
#include "game/OptionsScreen.h"
#include "game/profile/Profile.h"
#include "scene/SceneManager.h"
#include "tools/harness/HarnessRecorder.h"

namespace {

constexpr int kTargetFps = 60;
constexpr double kFrameMs = 1000.0 / kTargetFps;
// At most this many game frames for one animation frame: after a stall the
// game slows down instead of racing to catch up.
constexpr int kMaxCatchUpFrames = 4;
// Scripted runs hand the browser back its thread this often, so the page
// stays responsive and shows progress.
constexpr double kScriptSliceMs = 50.0;
constexpr const char* kShotFile = "/shot.png";

struct Run {
    bool scripted = false;
    uint64_t frames = 0;    // scripted: frames to run
    uint64_t shotFrame = 0;  // scripted: frame whose picture goes to the page (0: none)
    bool noRender = false;   // scripted: draw the shot frame only
    uint32_t frameStartMs = 0;  // scripted: the virtual clock when the frame began
    std::unique_ptr<FwHeadlessPlatform> headless;
    std::unique_ptr<FwWebPlatform> web;
    std::unique_ptr<Profile> profile;
    std::vector<std::string> events;  // trace events of the frame in progress
    uint64_t frame = 0;
    double clockMs = 0.0;  // play: game time reached, in browser milliseconds
    bool finished = false;
};

Run g_run;

// The page's query parameters and the input script it fetched (web/index.html).
EM_JS(char*, PageParameter, (const char* name), {
    const value = (window.gvParameters || {})[UTF8ToString(name)];
    if (value === undefined) return 0;
    const text = String(value);
    const size = lengthBytesUTF8(text) + 1;
    const copy = _malloc(size);
    stringToUTF8(text, copy, size);
    return copy;
});

std::string Parameter(const char* name) {
    char* value = PageParameter(name);
    if (!value) return {};
    std::string text(value);
    std::free(value);
    return text;
}

void PageCall(const char* function, const std::string& text) {
    EM_ASM({ const f = window[UTF8ToString($0)]; if (f) f(UTF8ToString($1)); }, function, text.c_str());
}

void Finish(const std::string& failure) {
    if (g_run.finished) return;
    g_run.finished = true;
    emscripten_cancel_main_loop();
    Application::GetInstance().Stop();
    FwSetTraceSink({});
    if (g_run.headless && g_run.headless->ErrorBoxCount() > 0 && failure.empty())
        PageCall("gvFinished", "the game reported an error");
    else
        PageCall("gvFinished", failure);
}

bool ScriptedFrame() {
    Application& app = Application::GetInstance();
    // False before the frame runs when ESC closed the window (the harness
    // then traces nothing more either).
    if (!app.StepFrame()) return false;
    ++g_run.frame;
    // The harness's pacing on the virtual clock (Application::Run's): the
    // clock, and so every sound's end, moves 16 ms a frame.
    FwPlatform& platform = FwGetPlatform();
    const uint32_t sleep = Application::PacingSleepMs(g_run.frameStartMs, platform.TimeMs(), kTargetFps);
    if (sleep > 0) platform.SleepMs(sleep);
    g_run.frameStartMs = platform.TimeMs();
    // The harness's trace line of the frame just presented.
    const nlohmann::json record =
        HarnessRecorder::FrameRecord(g_run.frame, SceneManager::GetInstance().Current(), g_run.events);
    g_run.events.clear();
    PageCall("gvTrace", record.dump());
    FwDirect3D::GetInstance().SetDrawingSuppressed(g_run.noRender && g_run.frame + 1 != g_run.shotFrame);
    if (g_run.frame == g_run.shotFrame) {
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        if (FwDirect3D::GetInstance().ReadBackBuffer(rgba, width, height) &&
            HarnessWritePng(kShotFile, rgba, width, height))
            PageCall("gvShot", kShotFile);
    }
    return g_run.frame < g_run.frames;
}

void Tick() {
    if (g_run.finished) return;
    if (g_run.scripted) {
        const double start = emscripten_get_now();
        while (emscripten_get_now() - start < kScriptSliceMs) {
            if (!ScriptedFrame()) {
                Finish("");
                return;
            }
        }
        PageCall("gvProgress", std::to_string(g_run.frame) + " / " + std::to_string(g_run.frames));
        return;
    }
    const double now = emscripten_get_now();
    int steps = 0;
    while (g_run.clockMs + kFrameMs <= now && steps < kMaxCatchUpFrames) {
        g_run.clockMs += kFrameMs;
        ++steps;
        if (!Application::GetInstance().StepFrame()) {
            Finish("");
            return;
        }
    }
    if (steps == kMaxCatchUpFrames) g_run.clockMs = now;  // behind: drop the rest
}

void OnVisibility(bool hidden) {
    if (hidden) {
        emscripten_pause_main_loop();
        // The music stops with the picture.
        EM_ASM({ if (typeof AL !== 'undefined' && AL.currentCtx) AL.currentCtx.audioCtx.suspend(); });
    } else {
        g_run.clockMs = emscripten_get_now();  // no catching up on the time away
        EM_ASM({ if (typeof AL !== 'undefined' && AL.currentCtx) AL.currentCtx.audioCtx.resume(); });
        emscripten_resume_main_loop();
    }
    PageCall("gvPaused", hidden ? "1" : "");
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    PageCall("gvFinished", message);
    return 1;
}

}  // namespace

int main() {
    std::vector<std::string> tried;
    if (!FwDataRoot::Locate("/Data", tried)) return Fail(FwDataRoot::MissingMessage(tried));

    // The page keeps no files: the settings and progress start from the
    // defaults every time and live in memory.
    g_run.profile = std::make_unique<Profile>();
    Profile::SetActive(g_run.profile.get());

    const std::string input = Parameter("inputText");
    Application& app = Application::GetInstance();
    FwDirect3D& device = FwDirect3D::GetInstance();
    device.SetPresentToWindow(true);
    if (!Parameter("input").empty() || !Parameter("frames").empty()) {
        std::vector<FwInputSpan> script;
        std::istringstream in(input);
        std::string error;
        if (!FwParseInputScript(in, script, error)) return Fail(Parameter("input") + ": " + error);
        g_run.scripted = true;
        g_run.headless = std::make_unique<FwHeadlessPlatform>();
        g_run.headless->SetScript(std::move(script));
        const std::string frames = Parameter("frames");
        g_run.frames = frames.empty() ? g_run.headless->ScriptFrames() : std::strtoull(frames.c_str(), nullptr, 10);
        if (g_run.frames == 0) return Fail("the input script holds no frames; give frames=N");
        const std::string shot = Parameter("shot");
        g_run.shotFrame = shot.empty() ? 0 : std::strtoull(shot.c_str(), nullptr, 10);
        g_run.noRender = Parameter("norender") == "1";
        device.SetDrawingSuppressed(g_run.noRender && g_run.shotFrame != 1);
        FwSetPlatform(g_run.headless.get());
        FwSetTraceSink([](const std::string& event) { g_run.events.push_back(event); });
    } else {
        g_run.web = std::make_unique<FwWebPlatform>();
        g_run.web->SetVisibilityHandler(OnVisibility);
        FwSetPlatform(g_run.web.get());
    }
    device.SetRenderScale(g_run.profile->Current().renderScale);
    ApplyPlaySettings(g_run.profile->Current());
    if (!app.Start()) return Fail("start-up failed");
    g_run.clockMs = emscripten_get_now();
    g_run.frameStartMs = FwGetPlatform().TimeMs();
    PageCall("gvStarted", "");
    emscripten_set_main_loop(Tick, 0, false);
    return 0;
}
