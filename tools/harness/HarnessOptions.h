// Command line of gilded_vault_harness. Header-only so the unit tests can
// check the parser without linking the harness program.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

struct HarnessShot {
    uint64_t frame = 0;
    std::string file;
};

struct HarnessOptions {
    uint64_t frames = 0;  // 0: not given (run to the end of the input script)
    std::string inputFile;
    std::string traceFile;
    std::string recordFile;  // --record: write the run's input as a script
    int stage = 0;        // 0: start at the title scene
    std::vector<HarnessShot> shots;
    bool noRender = false;  // run the logic only; shot frames are still drawn
    bool referenceShaders = false;  // the general model shader, no pixel-neutral shortcuts
    float renderScale = 1.0f;       // resolution of the 3D pass relative to the window
    bool renderScaleGiven = false;  // --render-scale given: it wins over the profile's settings
    bool renderScaleAuto = false;   // --render-scale auto: measured frames choose the scale
    std::string dataDir;  // --data: the content folder; empty: look for it (FwDataRoot::Locate)
    std::string profileDir;  // --profile: settings and progress files; empty: defaults, no files
    bool help = false;
};

constexpr uint64_t kHarnessMaxFrames = 1000000000ull;
// Largest number --stage takes; which stages exist is known only once the
// content folder is found (StageCount in game/StageFile.h).
constexpr int kHarnessMaxStage = 99;
constexpr float kHarnessMinRenderScale = 0.25f;

inline const char* HarnessUsage() {
    return "usage: gilded_vault_harness [options]\n"
           "Runs the game headless (software OpenGL, virtual clock, scripted input, no sound card).\n"
           "It reads its content from Data/ in the working directory, beside the executable or where it was\n"
           "installed (in that order), or from the folder named with --data.\n"
           "  --frames N         run N frames, then exit 0 (default: the length of the --input script;\n"
           "                     one of --frames and --input is required)\n"
           "  --input FILE       input script: lines 'COUNT [TOKEN ...]', the tokens held for COUNT frames;\n"
           "                     tokens W A S D SPACE R P ESC LMB RMB look:DX,DY mouse:X,Y; '#' starts a comment;\n"
           "                     after the script nothing is held. ESC ends the run (exit 0). unfocused: the\n"
           "                     window is not the active one in those frames (recorded plays)\n"
           "  --stage N          start in the game scene of stage N instead of the title (any stage the\n"
           "                     content holds: Data/CoordinateFile/Stage_N.txt)\n"
           "  --trace FILE       write one JSON object per frame (JSON Lines)\n"
           "  --record FILE      write the input of every frame as an input script (what the game's\n"
           "                     --record writes), for replaying with --input\n"
           "  --shot FRAME:FILE  save the frame presented in frame FRAME as a 1280x720 PNG (repeatable)\n"
           "  --no-render        run the scenes' logic without drawing (the trace is the same); frames named\n"
           "                     by --shot are still drawn, from the state of that frame\n"
           "  --reference-shaders  draw models with the general shader and without the shortcuts that\n"
           "                     leave pixels unchanged (for comparing images)\n"
           "  --render-scale F   draw the 3D scene at F times the resolution (0.25 to 1) and scale it up;\n"
           "                     sprites stay sharp (default 1). auto: the frames' measured drawing time\n"
           "                     chooses it (0.5 to 1), so the run is no longer reproducible; without\n"
           "                     it a profile's automatic scale draws at 1\n"
           "  --data DIR         the content folder (the one holding Model/, Texture/, Sound/, CoordinateFile/)\n"
           "  --profile DIR      read and write the player's settings and progress in DIR (settings.json,\n"
           "                     progress.json); without it the run uses the defaults and writes no such file\n"
           "  --help             show this text\n"
           "Exit codes: 0 success, 1 run-time failure (start-up, files, a shot not taken), 2 usage or script error.\n";
}

namespace harness_detail {
inline bool ParseUnsigned(const std::string& text, uint64_t minValue, uint64_t maxValue, uint64_t& value) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= minValue && value <= maxValue;
}

inline bool ParseShot(const std::string& text, HarnessShot& shot, std::string& error) {
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon + 1 == text.size() ||
        !ParseUnsigned(text.substr(0, colon), 1, kHarnessMaxFrames, shot.frame)) {
        error = "--shot expects FRAME:FILE with FRAME >= 1, got '" + text + "'";
        return false;
    }
    shot.file = text.substr(colon + 1);
    return true;
}

inline bool ParseScale(const std::string& text, float& scale) {
    float value = 0.0f;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !(value >= kHarnessMinRenderScale) ||
        !(value <= 1.0f))
        return false;
    scale = value;
    return true;
}
}  // namespace harness_detail

// Parses the arguments after the program name. False with a message in error
// for an unknown option, a missing or malformed value, or when neither
// --frames nor --input is given (unless --help).
inline bool ParseHarnessOptions(const std::vector<std::string>& args, HarnessOptions& options, std::string& error) {
    using harness_detail::ParseUnsigned;
    options = HarnessOptions{};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--no-render" || name == "--reference-shaders") {
            (name == "--no-render" ? options.noRender : options.referenceShaders) = true;
            continue;
        }
        bool takesValue = name == "--frames" || name == "--input" || name == "--stage" || name == "--trace" ||
                          name == "--shot" || name == "--render-scale" || name == "--data" || name == "--record" ||
                          name == "--profile";
        if (!takesValue) {
            error = "unknown option '" + name + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--frames") {
            if (!ParseUnsigned(value, 1, kHarnessMaxFrames, options.frames)) {
                error = "--frames expects a whole number from 1 to " + std::to_string(kHarnessMaxFrames) + ", got '" + value + "'";
                return false;
            }
        } else if (name == "--stage") {
            uint64_t stage = 0;
            if (!ParseUnsigned(value, 1, kHarnessMaxStage, stage)) {
                error = "--stage expects a stage number from 1 to " + std::to_string(kHarnessMaxStage) + ", got '" +
                        value + "'";
                return false;
            }
            options.stage = static_cast<int>(stage);
        } else if (name == "--shot") {
            HarnessShot shot;
            if (!harness_detail::ParseShot(value, shot, error)) return false;
            options.shots.push_back(shot);
        } else if (name == "--render-scale" && value == "auto") {
            options.renderScale = 1.0f;
            options.renderScaleAuto = true;
            options.renderScaleGiven = true;
        } else if (name == "--render-scale") {
            options.renderScaleAuto = false;
            if (!harness_detail::ParseScale(value, options.renderScale)) {
                error = "--render-scale expects a number from 0.25 to 1 or auto, got '" + value + "'";
                return false;
            }
            options.renderScaleGiven = true;
        } else if (name == "--profile") {
            if (value.empty()) {
                error = "--profile needs a folder";
                return false;
            }
            options.profileDir = value;
        } else if (value.empty()) {
            error = name + " needs a file name";
            return false;
        } else if (name == "--input") {
            options.inputFile = value;
        } else if (name == "--record") {
            options.recordFile = value;
        } else if (name == "--data") {
            options.dataDir = value;
        } else {
            options.traceFile = value;
        }
    }
    if (!options.help && options.frames == 0 && options.inputFile.empty()) {
        error = "give --frames N or --input FILE (the run would never end)";
        return false;
    }
    return true;
}
