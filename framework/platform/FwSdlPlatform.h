// The real game's platform: one SDL2 window with an OpenGL 4.5 core context,
// SDL keyboard and mouse polling, OpenAL Soft for sound.
//
// Mouse look: while the cursor is hidden (the game scene) the window is in
// SDL's relative mouse mode, which works on X11 and on Wayland (where a
// program cannot warp the pointer). The platform then keeps a virtual cursor:
// the last position given to SetCursorPos plus the relative motion received
// since. The player's "read the offset from the centre, warp back" therefore
// behaves the same on every display server.
#pragma once

#include <set>

#include "framework/platform/FwPlatform.h"

struct SDL_Window;

class FwSdlPlatform : public FwPlatform {
public:
    FwSdlPlatform();
    ~FwSdlPlatform() override;
    FwSdlPlatform(const FwSdlPlatform&) = delete;
    FwSdlPlatform& operator=(const FwSdlPlatform&) = delete;

    bool CreateGameWindow(int width, int height, const std::string& caption) override;
    void ProcessMessages() override;
    bool IsWindowAlive() const override;
    void DestroyGameWindow() override;
    void Present() override;

    bool IsKeyDown(int vk) const override;
    bool IsGameWindowActive() const override;

    FwPoint GetCursorPos() const override;
    FwPoint ScreenToClient(FwPoint p) const override;
    FwPoint ClientToScreen(FwPoint p) const override;
    void SetCursorPos(FwPoint screen) override;
    void ShowCursor(bool show) override;
    bool IsCursorShown() const override { return cursorShown_; }

    void MessageBox(const std::string& text, const std::string& caption, FwMessageIcon icon) override;

    uint32_t TimeMs() const override;
    void SleepMs(uint32_t ms) override;

    std::unique_ptr<FwAudioDevice> OpenAudioDevice() override;

    // IsKeyDown and tests: the SDL scancode (a USB HID usage id) of a
    // keyboard virtual-key code, or -1 for mouse buttons and unmapped codes.
    static int ScancodeForVirtualKey(int vk);
    // The reverse mapping; -1 for scancodes the game never polls.
    static int VirtualKeyForScancode(int scancode);

private:
    bool InitVideo();
    bool CreateContext();
    // Escape and the close box: the game is ending. The window disappears at
    // once but keeps its GL context until DestroyGameWindow, so the renderer
    // can still release its GPU objects during shutdown.
    void CloseWindow();
    FwPoint WindowOrigin() const;
    FwPoint RealCursorPos() const;

    bool videoStarted_ = false;
    SDL_Window* window_ = nullptr;
    void* glContext_ = nullptr;  // SDL_GLContext
    bool alive_ = false;
    bool cursorShown_ = true;
    // Last known cursor position in screen coordinates. While the cursor is
    // hidden this is the virtual cursor fed by relative motion.
    mutable FwPoint cursor_;
    // Virtual keys and buttons pressed during the last ProcessMessages.
    std::set<int> tappedKeys_;
};
