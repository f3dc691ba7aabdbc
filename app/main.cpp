// Program entry of the game: the command line, the content folder, the SDL
// platform, then the application.
//
// No setlocale here: the C library keeps the "C" locale, so number parsing
// (stage coordinate files, glTF) always reads '.' as the decimal point.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "framework/platform/FwInputRecorder.h"
#include "framework/platform/FwSdlPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/resource/FwDataRoot.h"
#include "app/SceneFactory.h"
#include "game/StageFile.h"
#include "game/OptionsScreen.h"
#include "game/profile/Profile.h"

#ifndef GV_VERSION
#define GV_VERSION "unknown"
#endif
#ifndef GV_APP_ID
#define GV_APP_ID "gilded-vault"
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr float kMinRenderScale = 0.25f;

constexpr const char* kUsage =
    "usage: gilded-vault [options]\n"
    "Gilded Vault, a first-person puzzle game: carry a hook gun, drag boxes onto buttons, race\n"
    "through time doors and pull the jewel out of its showcase.\n"
    "  --fullscreen   start in desktop fullscreen (Alt+Enter or F11 switches while playing);\n"
    "                 for this run only, like --render-scale: the settings file is not changed\n"
    "  --render-scale F  draw the 3D scene at F times the resolution (0.25 to 1) and scale it\n"
    "                 up, for weak machines; text and pictures stay sharp (default 1)\n"
    "  --render-scale auto  let the game lower the 3D scene's resolution (down to 0.5) while\n"
    "                 frames take too long to draw, and raise it again when they do not\n"
    "  --profile DIR  keep the settings and progress in DIR (settings.json, progress.json)\n"
    "                 instead of ~/.config/gilded-vault and ~/.local/share/gilded-vault\n"
    "                 (or $XDG_CONFIG_HOME and $XDG_DATA_HOME)\n"
    "  --data DIR     read the content from DIR (the folder holding Model/, Texture/, Sound/,\n"
    "                 CoordinateFile/). Without it the game looks for Data/ in the working\n"
    "                 directory, then beside the executable, then in the installed location\n"
    "  --stage N      start in stage N instead of the title (any stage the content holds)\n"
    "  --record FILE  write what you do, frame by frame, to FILE as an input script that\n"
    "                 gilded_vault_harness --input FILE replays (attach it to a bug report)\n"
    "  --verbose      also show the sound libraries' own messages at start-up (without a\n"
    "                 sound device the game otherwise says so in one line and runs silent)\n"
    "  --version      print the version and exit\n"
    "  --help         show this text and exit\n"
    "Controls: mouse looks, W A S D walk, Space jumps, left button shoots and reels the hook,\n"
    "right button releases it, R stops a pull, P returns to the title, Escape quits.\n"
    "A game controller works too: left stick walks, right stick looks, A jumps, right trigger\n"
    "shoots, left trigger releases, B stops a pull, Start or Back returns to the title.\n";

struct GameOptions {
    bool fullscreen = false;
    std::optional<float> renderScale;  // given: wins over the settings file for this run
    bool renderScaleAuto = false;      // --render-scale auto
    std::string dataDir;
    std::string profileDir;
    std::string recordFile;
    int stage = 0;  // 0: start at the title
    bool help = false;
    bool version = false;
    bool verbose = false;
};

// False with a message in error for an unknown option or a missing value.
bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& options, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else if (name == "--fullscreen") {
            options.fullscreen = true;
        } else if (name == "--verbose") {
            options.verbose = true;
        } else if (name == "--render-scale" && i + 1 < args.size() && args[i + 1] == "auto") {
            options.renderScaleAuto = true;
            options.renderScale.reset();
            ++i;
        } else if (name == "--render-scale") {
            char* end = nullptr;
            const float scale = i + 1 < args.size() ? std::strtof(args[i + 1].c_str(), &end) : 0.0f;
            if (!end || end == args[i + 1].c_str() || *end != '\0' || !(scale >= kMinRenderScale && scale <= 1.0f)) {
                error = "--render-scale expects a number from 0.25 to 1, or auto";
                return false;
            }
            options.renderScale = scale;
            options.renderScaleAuto = false;
            ++i;
        } else if (name == "--data") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--data needs a folder";
                return false;
            }
            options.dataDir = args[++i];
        } else if (name == "--stage") {
            char* end = nullptr;
            const long stage = i + 1 < args.size() ? std::strtol(args[i + 1].c_str(), &end, 10) : 0;
            if (!end || end == args[i + 1].c_str() || *end != '\0' || stage < 1 || stage > kMaxStages) {
                error = "--stage expects a stage number from 1 to " + std::to_string(kMaxStages);
                return false;
            }
            options.stage = static_cast<int>(stage);
            ++i;
        } else if (name == "--record") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--record needs a file";
                return false;
            }
            options.recordFile = args[++i];
        } else if (name == "--profile") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--profile needs a folder";
                return false;
            }
            options.profileDir = args[++i];
        } else {
            error = "unknown option '" + name + "'";
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    GameOptions options;
    std::string error;
    if (!ParseGameOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "gilded-vault: %s\ntry --help\n", error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("Gilded Vault %s\n", GV_VERSION);
        return kExitOk;
    }

    // Opened before anything starts, so a path that cannot be written stops
    // the game at once instead of losing the play.
    FwInputRecorder recorder;
    if (!options.recordFile.empty()) {
        if (!recorder.Open(options.recordFile, error)) {
            std::fprintf(stderr, "gilded-vault: %s\n", error.c_str());
            return kExitFailure;
        }
        Application::GetInstance().SetInputRecorder(&recorder);
    }

    FwSdlPlatform platform;
    std::vector<std::string> tried;
    if (!FwDataRoot::Locate(options.dataDir, tried)) {
        platform.MessageBox(FwDataRoot::MissingMessage(tried), "Gilded Vault", FwMessageIcon::Error);
        return kExitFailure;
    }
    // Settings and progress: a damaged file is reported here, on standard
    // error, and the game starts with the defaults.
    std::unique_ptr<Profile> profile =
        options.profileDir.empty() ? Profile::ForPlayer() : Profile::InFolder(options.profileDir);
    SettingsOverrides overrides;
    if (options.fullscreen) overrides.fullscreen = true;
    overrides.renderScale = options.renderScale;
    if (options.renderScaleAuto) overrides.renderScaleAuto = true;
    else if (options.renderScale) overrides.renderScaleAuto = false;
    profile->OverrideForThisRun(overrides);
    Profile::SetActive(profile.get());

    // Which stages there are is known once the content is found.
    if (options.stage > 0) {
        if (!IsStageAvailable(options.stage)) {
            std::fprintf(stderr, "gilded-vault: there is no stage %d; the content in %s holds %s\n", options.stage,
                         FwDataRoot::Get().c_str(), AvailableStagesText().c_str());
            return kExitUsage;
        }
        if (!options.recordFile.empty())
            recorder.WriteComment("started in stage " + std::to_string(options.stage) + ": replay with --stage " +
                                  std::to_string(options.stage));
        const int stage = options.stage;
        Application::GetInstance().SetFirstScene([stage] { return MakeScene(SceneRequest::Game(stage)); });
    }
    platform.SetAppId(GV_APP_ID);
    platform.SetFullscreen(profile->Current().fullscreen);
    platform.SetVerbose(options.verbose);
    FwSetPlatform(&platform);
    // With AUTO the frame loop sets the scale from the first frame on.
    FwDirect3D::GetInstance().SetRenderScale(profile->Current().renderScale);
    Application::GetInstance().SetRenderScaleMode(RenderScaleMode::FollowSettings);
    Application::GetInstance().SetLogScaleChanges(options.verbose);
    ApplyPlaySettings(profile->Current());
    // F11 and Alt+Enter are the player's choice too: kept for the next start.
    platform.SetFullscreenKeyHandler(
        [&profile](bool fullscreen) { profile->Change([fullscreen](Settings& s) { s.fullscreen = fullscreen; }); });
    const bool started = Application::GetInstance().Run();
    FwSetPlatform(nullptr);
    Profile::SetActive(nullptr);
    // A failed start-up (no display, no OpenGL 4.5 device, a shader that does
    // not build) was reported in a message box; the exit status tells a
    // launcher or script too.
    return started ? kExitOk : kExitFailure;
}
