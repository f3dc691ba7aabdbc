// The real game's platform: one SDL2 window with an OpenGL 4.5 core context,
// SDL keyboard and mouse polling, OpenAL Soft for sound.
//
// Mouse look: while the cursor is hidden (the game scene) the window is in
// SDL's relative mouse mode, which works on X11 and on Wayland (where a
// program cannot warp the pointer). The platform then keeps a virtual cursor:
// the last position given to SetCursorPos plus the relative motion received
// since. The player's "read the offset from the centre, warp back" therefore
// behaves the same on every display server.
//
// Fullscreen: --fullscreen, Alt+Enter and F11 switch to desktop fullscreen.
// The game still renders its 1280 x 720 frame; FwDirect3D::Present scales it
// to the screen between black bars (FwLetterbox), and the cursor is mapped
// through the same rectangle, so client coordinates stay frame pixels.
//
// Game controllers (SDL's game controller API, plugged in or out at any
// time) are sampled once per ProcessMessages and mapped by FwGamepad to held
// virtual keys and cursor motion: the game reads them through IsKeyDown and
// the cursor like the keyboard and mouse.
#pragma once

#include <map>
#include <set>

#include "framework/platform/FwGamepad.h"
#include "framework/platform/FwLetterbox.h"
#include "framework/platform/FwPlatform.h"

struct SDL_Window;
struct _SDL_GameController;

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
    bool GetPresentSize(int& width, int& height) const override;

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

    // Program entry, before CreateGameWindow: the desktop application id
    // (the desktop entry's name), set as the window class so the desktop
    // shows the entry's name and icon for the window. The environment
    // variables SDL_VIDEO_X11_WMCLASS / SDL_VIDEO_WAYLAND_WMCLASS still win.
    void SetAppId(const std::string& appId);
    // Program entry before CreateGameWindow (--fullscreen), and the
    // Alt+Enter / F11 keys while playing: desktop fullscreen on or off.
    void SetFullscreen(bool fullscreen) override;
    bool IsFullscreen() const { return fullscreen_; }
    // Program entry (--verbose), before Application::Run: the sound libraries'
    // own messages while the audio device opens go to standard error too
    // (by default only the game's one line when there is no sound device).
    void SetVerbose(bool verbose) { verbose_ = verbose; }
    // Tests: how many game controllers are open.
    int ControllerCount() const { return static_cast<int>(controllers_.size()); }

    // ProcessMessages and tests: whether a key press (SDL scancode and
    // modifier state) switches fullscreen: F11, or Enter with Alt held.
    static bool IsFullscreenToggle(int scancode, int modifiers);

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
    // CreateGameWindow: the window's own icon, from the content's
    // Icon/GildedVault.png (none when it cannot be read).
    void SetWindowIcon();
    FwPoint WindowOrigin() const;
    FwPoint RealCursorPos() const;
    // Where the frame shows in the window, in window coordinates (the whole
    // client area unless fullscreen).
    FwRect ShownFrameRect() const;
    // First ProcessMessages: starts SDL's controller subsystem; the devices
    // present then arrive as device-added events like later ones.
    void StartControllers();
    void OpenController(int deviceIndex);
    void CloseController(int instanceId);
    // ProcessMessages, after the events: reads every open controller into
    // padKeys_ and moves the cursor by the right stick.
    void PollControllers();

    bool videoStarted_ = false;
    bool controllersTried_ = false;
    bool controllersStarted_ = false;
    SDL_Window* window_ = nullptr;
    int frameWidth_ = 0;  // the client size the game renders (CreateGameWindow)
    int frameHeight_ = 0;
    bool fullscreen_ = false;
    bool verbose_ = false;
    std::string appId_;
    void* glContext_ = nullptr;  // SDL_GLContext
    bool alive_ = false;
    bool cursorShown_ = true;
    // Last known cursor position in screen coordinates. While the cursor is
    // hidden this is the virtual cursor fed by relative motion.
    mutable FwPoint cursor_;
    // Virtual keys and buttons pressed during the last ProcessMessages.
    std::set<int> tappedKeys_;
    // Open controllers by joystick instance id.
    std::map<int, _SDL_GameController*> controllers_;
    FwGamepad gamepad_;
    // Virtual keys the controllers held at the last ProcessMessages.
    std::set<int> padKeys_;
};
