// The null platform of the harness, the benchmark and tests: no window system,
// no sound card, no real time.
//
// - Graphics: a headless EGL OpenGL 4.5 core context; frames stay in
//   FwDirect3D's back buffer (read them back for screenshots).
// - Time: a virtual millisecond clock that only SleepMs advances, so the frame
//   loop never waits and every run is deterministic (16 ms per frame).
// - Input: a script of held tokens per frame. Each ProcessMessages call moves
//   to the next frame's input; after the script nothing is held. A line may
//   place the cursor at a client pixel; it stays there afterwards.
// - The game window is the active window except in frames whose line says
//   unfocused (a recorded play where the window had lost the focus); the
//   "window" sits at a fixed offset on a virtual desktop so screen and client
//   coordinates differ.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "framework/platform/FwPlatform.h"

// Input held for a run of consecutive frames.
struct FwInputSpan {
    uint32_t frames = 0;      // how many frames (at least 1)
    std::vector<int> keys;    // virtual-key codes held during those frames
    FwPoint look;             // cursor motion in each of those frames
    std::optional<FwPoint> mouse;  // client pixel the cursor is placed at in each of those frames
    bool unfocused = false;   // the game window is not the active window in those frames
};

// Client area the mouse:X,Y token may place the cursor in.
constexpr int kFwScriptClientWidth = 1280;
constexpr int kFwScriptClientHeight = 720;
// Largest motion, in pixels per axis, one look:DX,DY token may give a frame.
constexpr int kFwScriptMaxLook = 100000;

// Harness: parses an input script. One span per line: "COUNT [TOKEN ...]"
// with tokens W A S D SPACE R P ESC LMB RMB UNFOCUSED (any case), look:DX,DY
// and mouse:X,Y (X 0..1279, Y 0..719; at most one per line, not together with
// look). '#' starts a comment; blank lines are skipped. On a malformed line
// returns false with "line N: reason" in error (spans is then unspecified).
bool FwParseInputScript(std::istream& in, std::vector<FwInputSpan>& spans, std::string& error);

class FwHeadlessPlatform : public FwPlatform {
public:
    // Where the client area's top left sits on the virtual desktop.
    static constexpr FwPoint kWindowOrigin{320, 180};

    explicit FwHeadlessPlatform(uint32_t startTimeMs = 0);
    ~FwHeadlessPlatform() override;
    FwHeadlessPlatform(const FwHeadlessPlatform&) = delete;
    FwHeadlessPlatform& operator=(const FwHeadlessPlatform&) = delete;

    // Harness start-up, before Application::Run: the input of frames 1, 2, ...
    void SetScript(std::vector<FwInputSpan> spans);
    // Harness: total frames the script covers.
    uint64_t ScriptFrames() const;
    // Frames started so far (ProcessMessages calls).
    uint64_t FrameCount() const { return frame_; }

    bool CreateGameWindow(int width, int height, const std::string& caption) override;
    void ProcessMessages() override;
    bool IsWindowAlive() const override { return alive_; }
    void DestroyGameWindow() override;
    void Present() override {}

    bool IsKeyDown(int vk) const override;
    // Active unless the frame's line says unfocused.
    bool IsGameWindowActive() const override { return !(held_ && held_->unfocused); }

    FwPoint GetCursorPos() const override { return cursor_; }
    FwPoint ScreenToClient(FwPoint p) const override;
    FwPoint ClientToScreen(FwPoint p) const override;
    void SetCursorPos(FwPoint screen) override { cursor_ = screen; }
    void ShowCursor(bool show) override { cursorShown_ = show; }
    bool IsCursorShown() const override { return cursorShown_; }

    void MessageBox(const std::string& text, const std::string& caption, FwMessageIcon icon) override;
    // Harness: how many error boxes were shown (a refused stage file, a
    // failed start-up); the harness then exits non-zero.
    int ErrorBoxCount() const { return errorBoxes_; }

    uint32_t TimeMs() const override { return clockMs_; }
    void SleepMs(uint32_t ms) override { clockMs_ += ms; }

    std::unique_ptr<FwAudioDevice> OpenAudioDevice() override;

private:
    // The span that covers frame (1-based), or null past the script's end.
    const FwInputSpan* SpanForFrame(uint64_t frame);

    std::vector<FwInputSpan> script_;
    size_t spanIndex_ = 0;
    uint64_t spanFirstFrame_ = 1;  // first frame of script_[spanIndex_]
    const FwInputSpan* held_ = nullptr;
    uint64_t frame_ = 0;
    uint32_t clockMs_ = 0;
    bool alive_ = false;
    bool ownsContext_ = false;
    int errorBoxes_ = 0;
    bool cursorShown_ = true;
    FwPoint cursor_;
};
