// gilded_vault_harness: the game on the headless platform, driven by an input
// script, writing a per-frame JSON trace and screenshots. See --help.
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "framework/FwTrace.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "framework/platform/FwInputRecorder.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwDataRoot.h"
#include "app/SceneFactory.h"
#include "game/StageFile.h"
#include "game/OptionsScreen.h"
#include "game/profile/Profile.h"
#include "tools/harness/HarnessOptions.h"
#include "tools/harness/HarnessRecorder.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

bool ReadScript(const std::string& file, std::vector<FwInputSpan>& spans, std::string& error) {
    std::ifstream in(file);
    if (!in) {
        error = "cannot open input script '" + file + "'";
        return false;
    }
    if (!FwParseInputScript(in, spans, error)) {
        error = file + ": " + error;
        return false;
    }
    return true;
}

// --no-render: whether frame is drawn at all (only the frames of screenshots).
bool DrawsFrame(const HarnessOptions& options, uint64_t frame) {
    if (!options.noRender) return true;
    for (const HarnessShot& shot : options.shots)
        if (shot.frame == frame) return true;
    return false;
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "gilded_vault_harness: %s\n", message.c_str());
    if (code == kExitUsage) std::fputs("try --help\n", stderr);
    return code;
}

int RunHarness(HarnessOptions options) {
    std::string error;
    std::vector<FwInputSpan> script;
    if (!options.inputFile.empty() && !ReadScript(options.inputFile, script, error)) return Fail(kExitUsage, error);
    std::vector<std::string> tried;
    if (!FwDataRoot::Locate(options.dataDir, tried)) return Fail(kExitFailure, FwDataRoot::MissingMessage(tried));
    if (options.stage > 0 && !IsStageAvailable(options.stage))
        return Fail(kExitUsage, "there is no stage " + std::to_string(options.stage) + "; the content in " +
                                    FwDataRoot::Get() + " holds " + AvailableStagesText());

    FwHeadlessPlatform platform;
    platform.SetScript(std::move(script));
    if (options.frames == 0) options.frames = platform.ScriptFrames();
    if (options.frames == 0) return Fail(kExitUsage, "the input script holds no frames; give --frames N");
    for (const HarnessShot& shot : options.shots) {
        if (shot.frame > options.frames)
            return Fail(kExitUsage, "--shot frame " + std::to_string(shot.frame) + " is after the last frame " +
                                        std::to_string(options.frames));
    }

    HarnessRecorder recorder(options);
    if (!recorder.Open(error)) return Fail(kExitFailure, error);
    // --record: the run's own input, as the game's --record writes it.
    FwInputRecorder inputRecorder;
    if (!options.recordFile.empty()) {
        if (!inputRecorder.Open(options.recordFile, error)) return Fail(kExitFailure, error);
        if (options.stage > 0)
            inputRecorder.WriteComment("started in stage " + std::to_string(options.stage) + ": replay with --stage " +
                                       std::to_string(options.stage));
    }

    // The player's files are never touched: without --profile the run keeps
    // its settings and progress in memory, from the defaults.
    std::unique_ptr<Profile> profile =
        options.profileDir.empty() ? std::make_unique<Profile>() : Profile::InFolder(options.profileDir);
    SettingsOverrides overrides;
    if (options.renderScaleGiven) {
        overrides.renderScale = options.renderScale;
        overrides.renderScaleAuto = options.renderScaleAuto;
    }
    profile->OverrideForThisRun(overrides);
    Profile::SetActive(profile.get());

    FwSetPlatform(&platform);
    FwSetTraceSink([&recorder](const std::string& event) { recorder.AddEvent(event); });
    Application& app = Application::GetInstance();
    if (options.stage > 0) {
        int stage = options.stage;
        app.SetFirstScene([stage] { return MakeScene(SceneRequest::Game(stage)); });
    }
    // Drawing is switched per frame: the observer runs after a frame was
    // presented and decides for the next one.
    FwDirect3D& device = FwDirect3D::GetInstance();
    device.SetDrawingSuppressed(!DrawsFrame(options, 1));
    FwShaderManager::GetInstance().SetReferenceShading(options.referenceShaders);
    // Runs stay reproducible: a profile's AUTO draws at full scale here; only
    // --render-scale auto lets measured frame times choose the scale.
    device.SetRenderScale(profile->Current().renderScaleAuto && !options.renderScaleAuto
                              ? 1.0f
                              : profile->Current().renderScale);
    app.SetRenderScaleMode(options.renderScaleAuto ? RenderScaleMode::Auto : RenderScaleMode::Fixed);
    ApplyPlaySettings(profile->Current());
    app.SetFrameObserver([&recorder, &options, &device](uint64_t frame) {
        bool more = recorder.OnFrame(frame);
        device.SetDrawingSuppressed(!DrawsFrame(options, frame + 1));
        return more;
    });
    if (!options.recordFile.empty()) app.SetInputRecorder(&inputRecorder);
    bool started = app.Run();
    app.SetInputRecorder(nullptr);
    inputRecorder.Finish();
    app.SetFrameObserver({});
    device.SetDrawingSuppressed(false);
    FwSetTraceSink({});
    FwSetPlatform(nullptr);
    Profile::SetActive(nullptr);

    if (!started) return Fail(kExitFailure, "start-up failed");
    std::string failure = recorder.Failure();
    if (!failure.empty()) return Fail(kExitFailure, failure);
    if (!inputRecorder.Good()) return Fail(kExitFailure, "writing the recording '" + options.recordFile + "' failed");
    if (platform.ErrorBoxCount() > 0) return Fail(kExitFailure, "the game reported an error (see above)");
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    HarnessOptions options;
    std::string error;
    if (!ParseHarnessOptions(args, options, error)) return Fail(kExitUsage, error);
    if (options.help) {
        std::fputs(HarnessUsage(), stdout);
        return kExitOk;
    }
    return RunHarness(std::move(options));
}
