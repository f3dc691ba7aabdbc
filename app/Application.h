// The application shell: start-up, the paced frame loop and shutdown.
// Runs on whatever FwPlatform the program entry installed (the SDL window of
// the game, or the headless platform of the harness and the benchmark).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/AdaptiveRenderScale.h"

class BaseScene;
class FwInputRecorder;

// Who chooses the render scale while the loop runs.
enum class RenderScaleMode {
    Fixed,           // whatever the device was given (the harness, unless asked)
    FollowSettings,  // the game: automatic while the player's settings say AUTO
    Auto,            // automatic throughout (harness and benchmark, when asked)
};

class Application {
public:
    // Called after each presented frame with its number (from 1); returning
    // false ends the loop (the normal shutdown still runs).
    using FrameObserver = std::function<bool(uint64_t frame)>;
    using FirstSceneMaker = std::function<std::unique_ptr<BaseScene>()>;

    static Application& GetInstance();

    // Program entry: start-up, frame loop until the window is gone (or the
    // observer stops it), shutdown. Returns false when start-up failed; the
    // failure has then been reported in a message box.
    bool Run();
    // Run in pieces, for a host that owns the loop (the browser calls the web
    // build once per animation frame): Start is Run's start-up (false when it
    // failed, already reported and shut down); StepFrame runs one frame
    // unpaced and is false once the loop would end (that frame's work done);
    // Stop is Run's shutdown.
    bool Start();
    bool StepFrame();
    void Stop();
    // Run, once: window, graphics device, shaders, audio. The first failing
    // step is reported in a message box and ends start-up with false.
    bool Init(int width, int height);

    // Harness, before Run: the first scene (default: the title scene).
    void SetFirstScene(FirstSceneMaker maker);
    // Harness and benchmark, before Run: per-frame observer (empty = none).
    void SetFrameObserver(FrameObserver observer);
    // Program entry (game and harness --record), before Run: the recorder
    // that writes every frame's input (null = none). Run starts and finishes
    // it; the caller owns it.
    void SetInputRecorder(FwInputRecorder* recorder);
    // Program entry, before Run (default Fixed). While the scale is
    // automatic, every frame waits for its drawing to finish and is timed.
    void SetRenderScaleMode(RenderScaleMode mode);
    // Benchmarks and logs: the automatic scale in use, if it is on.
    std::optional<float> AutomaticScale() const;
    // Program entry, before Run: print a line on standard error each time the
    // automatic scale changes (--verbose).
    void SetLogScaleChanges(bool log) { logScaleChanges_ = log; }

    // Frame loop pacing: how long to sleep after a frame that started at
    // frameStartMs when the clock now reads nowMs. Unsigned 32-bit arithmetic
    // (wrap-around safe); no sleep once the budget is used up, and no catch-up
    // for a frame that overran.
    static uint32_t PacingSleepMs(uint32_t frameStartMs, uint32_t nowMs, int targetFps);

private:
    Application() = default;
    // Run, each pass: one frame's work after the message pump.
    void RunFrame();
    // RunFrame: is the scale automatic in this frame?
    bool ScaleIsAutomatic() const;
    // Run, after the loop (and after a failed start-up): everything that
    // start-up created, in reverse dependency order.
    void Shutdown();

    int targetFps_ = 60;
    uint64_t frame_ = 0;  // frames started since Start
    FirstSceneMaker firstScene_;
    FrameObserver observer_;
    FwInputRecorder* recorder_ = nullptr;
    RenderScaleMode scaleMode_ = RenderScaleMode::Fixed;
    std::optional<AdaptiveRenderScale> scaler_;  // set while the scale is automatic
    bool logScaleChanges_ = false;
};
