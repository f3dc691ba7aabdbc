// The game's only door to the operating system.
//
// Game and app code never include SDL, GL or AL headers: everything they need
// from the machine (window, input polling, cursor, message boxes, clock) goes
// through FwPlatform. Two implementations exist:
//   - FwSdlPlatform: the real game (SDL2 window with an OpenGL 4.5 core
//     context, OpenAL Soft audio device).
//   - FwHeadlessPlatform: the harness (EGL surfaceless Mesa context, scripted
//     input, virtual clock, virtual audio device). It is our null platform.
//
// Input is polled by virtual-key codes (FwKey.h): "is the key down now?",
// no events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/platform/FwKey.h"

class FwAudioDevice;

struct FwPoint {
    int x = 0;
    int y = 0;
};

enum class FwMessageIcon { None, Error };

class FwPlatform {
public:
    virtual ~FwPlatform() = default;

    // Application::Init, once: opens the window (client area exactly
    // width x height, not resizable) and makes its GL 4.5 core context current.
    // A platform that shows the frame larger (desktop fullscreen) scales it
    // to fit; client coordinates stay frame pixels 0..width-1, 0..height-1.
    virtual bool CreateGameWindow(int width, int height, const std::string& caption) = 0;
    // Application frame loop, first thing every frame: drains pending window
    // events. Escape and the close box destroy the window (IsWindowAlive then
    // turns false); other keys get no default processing.
    virtual void ProcessMessages() = 0;
    // Application frame loop, right after ProcessMessages.
    virtual bool IsWindowAlive() const = 0;
    // Application shutdown: closes the window if it is still open.
    virtual void DestroyGameWindow() = 0;
    // Application frame loop, after the scene has drawn: shows the frame that
    // FwDirect3D rendered (no vertical-blank wait). The harness reads it back
    // here for screenshots.
    virtual void Present() = 0;
    // FwDirect3D::Present, every frame before its blit: the pixel size of the
    // window framebuffer the frame is shown in (the screen's in desktop
    // fullscreen). False when there is no window framebuffer (headless).
    virtual bool GetPresentSize(int& width, int& height) const { return false; }

    // Game logic, any time: is the key / mouse button (virtual-key code) held
    // down right now? Polled, not evented: a key held through several frames
    // reads true in each of them.
    virtual bool IsKeyDown(int vk) const = 0;
    // Title scene, player: is the game window the active (focused) window?
    virtual bool IsGameWindowActive() const = 0;

    // Player (mouse look), clear scene (menu). Screen coordinates are the
    // desktop's; client coordinates have (0, 0) at the client area's top left.
    // Mouse look reads the cursor, takes its offset from the centre and warps
    // it back; where warping is unreliable (Wayland) the platform keeps a
    // virtual cursor fed by relative motion, so the same logic still holds.
    virtual FwPoint GetCursorPos() const = 0;
    virtual FwPoint ScreenToClient(FwPoint p) const = 0;
    virtual FwPoint ClientToScreen(FwPoint p) const = 0;
    virtual void SetCursorPos(FwPoint screen) = 0;
    // Game scene hides the cursor, title and clear scenes show it. Not a
    // counter: the last call wins.
    virtual void ShowCursor(bool show) = 0;
    // Input recorder, every frame: whether the cursor is shown (the last
    // ShowCursor call wins; shown before the first). Hidden means mouse look.
    virtual bool IsCursorShown() const = 0;

    // Application::Init on start-up failures: shows the box (when the
    // platform can) and always prints "caption: text" to standard error.
    virtual void MessageBox(const std::string& text, const std::string& caption, FwMessageIcon icon) = 0;

    // Milliseconds since an arbitrary start, wrapping at 2^32.
    virtual uint32_t TimeMs() const = 0;
    virtual void SleepMs(uint32_t ms) = 0;

    // Options screen: desktop fullscreen on or off. A platform without a
    // window of its own (headless) ignores it.
    virtual void SetFullscreen(bool fullscreen) { (void)fullscreen; }
    // Program entry: told the new state when the player switches fullscreen
    // with a key (F11, Alt+Enter), so the choice is kept in the settings.
    void SetFullscreenKeyHandler(std::function<void(bool)> handler) { fullscreenKeyHandler_ = std::move(handler); }

    // FwAudioManager::Init: the audio device to play through, or null when no
    // device can be opened (the game then runs silently).
    virtual std::unique_ptr<FwAudioDevice> OpenAudioDevice() = 0;

protected:
    std::function<void(bool)> fullscreenKeyHandler_;
};

// The process-wide platform, installed by the program entry (real game or
// harness) before Application::Run and removed after it.
FwPlatform& FwGetPlatform();
void FwSetPlatform(FwPlatform* platform);
bool FwHasPlatform();

// Short-hands used by game code.
inline bool FwIsKeyDown(int vk) { return FwGetPlatform().IsKeyDown(vk); }
