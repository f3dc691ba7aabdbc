// The web build's platform: the page's canvas with a WebGL 2 context,
// keyboard and mouse through the browser's events (emscripten/html5.h),
// OpenAL over Web Audio. Web build only.
//
// - The canvas is 1280 x 720 pixels; the page's style sheet scales it to the
//   browser window between black bars. Client coordinates are frame pixels,
//   mapped from the element's CSS size; screen and client coordinates are
//   the same.
// - Mouse look: hiding the cursor asks the browser for pointer lock (it is
//   granted at the next click or key press, a user gesture); while it is held
//   the cursor is virtual, fed by the relative motion, as on Wayland.
//   Escape is the browser's own key for leaving pointer lock: it never quits
//   the game here (a page cannot be closed by the game).
// - Input arrives as events between frames; a frame reads what was held
//   when it began, plus whatever was pressed and let go since the frame
//   before (a quick click lands within one frame).
// - The game window is active while the page is visible and focused.
// - Message boxes are shown in the page (and printed to the console).
// - Time is the browser's clock; the frame loop is driven by the page's
//   animation frames, so SleepMs does nothing.
#pragma once

#ifdef __EMSCRIPTEN__

#include <functional>
#include <set>

#include "framework/platform/FwPlatform.h"

class FwWebPlatform : public FwPlatform {
public:
    FwWebPlatform();
    ~FwWebPlatform() override;
    FwWebPlatform(const FwWebPlatform&) = delete;
    FwWebPlatform& operator=(const FwWebPlatform&) = delete;

    bool CreateGameWindow(int width, int height, const std::string& caption) override;
    void ProcessMessages() override;
    bool IsWindowAlive() const override { return alive_; }
    void DestroyGameWindow() override;
    void Present() override {}

    bool IsKeyDown(int vk) const override;
    bool IsGameWindowActive() const override;

    FwPoint GetCursorPos() const override { return cursor_; }
    FwPoint ScreenToClient(FwPoint p) const override { return p; }
    FwPoint ClientToScreen(FwPoint p) const override { return p; }
    void SetCursorPos(FwPoint screen) override { cursor_ = screen; }
    void ShowCursor(bool show) override;
    bool IsCursorShown() const override { return cursorShown_; }

    void MessageBox(const std::string& text, const std::string& caption, FwMessageIcon icon) override;

    uint32_t TimeMs() const override;
    void SleepMs(uint32_t) override {}

    void SetFullscreen(bool fullscreen) override;

    std::unique_ptr<FwAudioDevice> OpenAudioDevice() override;

    // Event callbacks (browser events, between frames).
    void OnKey(const char* code, bool down);
    void OnMouseButton(int button, bool down);
    void OnMouseMove(long targetX, long targetY, long movementX, long movementY);
    void OnFocus(bool focused) { focused_ = focused; }
    void OnVisibility(bool hidden);
    // Program entry: told when the page goes to the background (true) and
    // comes back (false), to pause the frame loop and the sound meanwhile.
    void SetVisibilityHandler(std::function<void(bool hidden)> handler) { visibilityHandler_ = std::move(handler); }
    void OnPointerLock(bool locked) { locked_ = locked; }

private:
    bool alive_ = false;
    bool cursorShown_ = true;
    bool focused_ = true;
    bool hidden_ = false;
    bool locked_ = false;
    int width_ = 1280;
    int height_ = 720;
    FwPoint cursor_{640, 360};
    std::set<int> held_;       // down now, as the browser's events left them
    std::set<int> pressed_;    // went down since the last ProcessMessages
    std::set<int> frameKeys_;  // what this frame reads: held, or pressed and let go already
    std::function<void(bool)> visibilityHandler_;
};

// The virtual-key code of a KeyboardEvent.code ("KeyW", "Digit1", "Space",
// "Tab", "Escape", "F11"), or -1 for keys the game has no code for.
int FwWebKeyCode(const char* code);

#endif  // __EMSCRIPTEN__
