#include "framework/platform/FwSdlPlatform.h"

#include <SDL.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdio>

#include "framework/audio/FwAudioDevice.h"
#include "framework/render/FwDirect3D.h"
#include "framework/resource/FwDataRoot.h"

namespace {
constexpr const char* kIconFile = "Icon/GildedVault.png";
}  // namespace

// FwPadAxis and FwPadButton index SDL's own numbering.
static_assert(static_cast<int>(FwPadAxis::LeftX) == SDL_CONTROLLER_AXIS_LEFTX &&
              static_cast<int>(FwPadAxis::LeftY) == SDL_CONTROLLER_AXIS_LEFTY &&
              static_cast<int>(FwPadAxis::RightX) == SDL_CONTROLLER_AXIS_RIGHTX &&
              static_cast<int>(FwPadAxis::RightY) == SDL_CONTROLLER_AXIS_RIGHTY &&
              static_cast<int>(FwPadAxis::TriggerLeft) == SDL_CONTROLLER_AXIS_TRIGGERLEFT &&
              static_cast<int>(FwPadAxis::TriggerRight) == SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
static_assert(static_cast<int>(FwPadButton::A) == SDL_CONTROLLER_BUTTON_A &&
              static_cast<int>(FwPadButton::B) == SDL_CONTROLLER_BUTTON_B &&
              static_cast<int>(FwPadButton::X) == SDL_CONTROLLER_BUTTON_X &&
              static_cast<int>(FwPadButton::Y) == SDL_CONTROLLER_BUTTON_Y &&
              static_cast<int>(FwPadButton::Back) == SDL_CONTROLLER_BUTTON_BACK &&
              static_cast<int>(FwPadButton::Guide) == SDL_CONTROLLER_BUTTON_GUIDE &&
              static_cast<int>(FwPadButton::Start) == SDL_CONTROLLER_BUTTON_START);

FwSdlPlatform::FwSdlPlatform() = default;

FwSdlPlatform::~FwSdlPlatform() {
    DestroyGameWindow();
    for (auto& [id, controller] : controllers_) SDL_GameControllerClose(controller);
    controllers_.clear();
    if (controllersStarted_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

void FwSdlPlatform::SetAppId(const std::string& appId) { appId_ = appId; }

bool FwSdlPlatform::InitVideo() {
    if (videoStarted_) return true;
    // SDL reads these variables when the video driver starts; values the
    // user set are kept.
    if (!appId_.empty()) {
        SDL_setenv("SDL_VIDEO_X11_WMCLASS", appId_.c_str(), 0);
        SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", appId_.c_str(), 0);
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL video start-up failed: %s\n", SDL_GetError());
        return false;
    }
    // With no display SDL falls back to its invisible drivers; the game would
    // then run unseen with no way to quit. Only use them when asked for.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    bool invisible = driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
    if (invisible && !(requested && SDL_strcasecmp(requested, driver) == 0)) {
        std::fprintf(stderr, "no display found (set DISPLAY or WAYLAND_DISPLAY)\n");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    videoStarted_ = true;
    return true;
}

bool FwSdlPlatform::CreateGameWindow(int width, int height, const std::string& caption) {
    if (window_) return alive_;
    if (!InitVideo()) return false;

    // The renderer draws into its own back buffer and blits it to the
    // window, so the window's framebuffer needs colour only.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    // No SDL_WINDOW_RESIZABLE: the client area stays width x height, except
    // in desktop fullscreen, where the frame is scaled to the screen.
    frameWidth_ = width;
    frameHeight_ = height;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | (fullscreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    window_ = SDL_CreateWindow(caption.c_str(), 0, 0, width, height, flags);
    if (!window_) {
        std::fprintf(stderr, "SDL window creation failed: %s\n", SDL_GetError());
        return false;
    }
    if (!CreateContext()) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
        return false;
    }
    SetWindowIcon();
    alive_ = true;
    cursorShown_ = true;
    cursor_ = ClientToScreen({width / 2, height / 2});
    SDL_RaiseWindow(window_);
    FwDirect3D::GetInstance().SetPresentToWindow(true);
    return true;
}

void FwSdlPlatform::SetWindowIcon() {
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load(FwDataRoot::Path(kIconFile).c_str(), &width, &height, &channels, 4);
    if (!pixels) return;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon) {
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }
    stbi_image_free(pixels);
}

bool FwSdlPlatform::CreateContext() {
    SDL_GLContext context = SDL_GL_CreateContext(window_);
    if (!context) {
        std::fprintf(stderr, "OpenGL 4.5 core context creation failed: %s\n", SDL_GetError());
        return false;
    }
    int major = 0, minor = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &minor);
    if (major * 10 + minor < 45) {
        std::fprintf(stderr, "OpenGL 4.5 core context not available (got %d.%d)\n", major, minor);
        SDL_GL_DeleteContext(context);
        return false;
    }
    SDL_GL_MakeCurrent(window_, context);
    // Pacing is done by the frame loop's sleep alone: never wait for vblank.
    if (SDL_GL_SetSwapInterval(0) != 0) {
        std::fprintf(stderr, "could not turn off vertical sync: %s\n", SDL_GetError());
    }
    glContext_ = context;
    return true;
}

void FwSdlPlatform::ProcessMessages() {
    if (!controllersTried_) StartControllers();
    tappedKeys_.clear();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            CloseWindow();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) CloseWindow();
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.scancode == SDL_SCANCODE_ESCAPE) CloseWindow();
            if (!event.key.repeat) {
                if (IsFullscreenToggle(event.key.keysym.scancode, event.key.keysym.mod)) {
                    SetFullscreen(!fullscreen_);
                    if (fullscreenKeyHandler_) fullscreenKeyHandler_(fullscreen_);
                }
                int vk = VirtualKeyForScancode(event.key.keysym.scancode);
                if (vk >= 0) tappedKeys_.insert(vk);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) tappedKeys_.insert(FwKey::LButton);
            if (event.button.button == SDL_BUTTON_RIGHT) tappedKeys_.insert(FwKey::RButton);
            break;
        case SDL_MOUSEMOTION:
            // Relative motion is not scaled in fullscreen: mouse look turns
            // as fast as in the window.
            if (!cursorShown_) {
                cursor_.x += event.motion.xrel;
                cursor_.y += event.motion.yrel;
            }
            break;
        case SDL_CONTROLLERDEVICEADDED:
            OpenController(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            CloseController(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            // A press released within the same pump still counts this frame.
            if (event.cbutton.button < static_cast<int>(FwPadButton::Count)) {
                int vk = FwGamepad::KeyForButton(static_cast<FwPadButton>(event.cbutton.button));
                if (vk >= 0) tappedKeys_.insert(vk);
            }
            break;
        case SDL_CONTROLLERAXISMOTION:
            if (FwGamepad::TriggerValue(event.caxis.value) > FwGamepad::kTriggerThreshold) {
                if (event.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) tappedKeys_.insert(FwKey::LButton);
                if (event.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT) tappedKeys_.insert(FwKey::RButton);
            }
            break;
        default:
            break;
        }
    }
    PollControllers();
}

void FwSdlPlatform::StartControllers() {
    controllersTried_ = true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "game controllers unavailable: %s\n", SDL_GetError());
        return;
    }
    controllersStarted_ = true;
}

void FwSdlPlatform::OpenController(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) {
        std::fprintf(stderr, "could not open game controller %d: %s\n", deviceIndex, SDL_GetError());
        return;
    }
    int id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    // SDL reports a controller present at start-up and may report it again;
    // opening it twice only raised its reference count.
    if (!controllers_.emplace(id, controller).second) SDL_GameControllerClose(controller);
}

void FwSdlPlatform::CloseController(int instanceId) {
    auto it = controllers_.find(instanceId);
    if (it == controllers_.end()) return;
    SDL_GameControllerClose(it->second);
    controllers_.erase(it);
}

void FwSdlPlatform::PollControllers() {
    padKeys_.clear();
    FwGamepadState merged;
    for (auto& [id, controller] : controllers_) {
        FwGamepadState state;
        for (int a = 0; a < static_cast<int>(FwPadAxis::Count); ++a) {
            Sint16 raw = SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(a));
            bool trigger = a == static_cast<int>(FwPadAxis::TriggerLeft) || a == static_cast<int>(FwPadAxis::TriggerRight);
            state.axes[a] = trigger ? FwGamepad::TriggerValue(raw) : FwGamepad::StickValue(raw);
        }
        for (int b = 0; b < static_cast<int>(FwPadButton::Count); ++b)
            state.buttons[b] = SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(b)) != 0;
        merged = FwGamepad::Merge(merged, state);
    }
    for (int vk : FwGamepad::HeldKeys(merged)) padKeys_.insert(vk);

    const FwPoint look = gamepad_.Look(merged);
    if (look.x == 0 && look.y == 0) return;
    if (!cursorShown_) {
        // Mouse look: the same virtual cursor relative mouse motion feeds.
        cursor_.x += look.x;
        cursor_.y += look.y;
    } else if (alive_) {
        // Menus: the stick moves the pointer, kept inside the frame.
        FwPoint client = ScreenToClient(GetCursorPos());
        client.x = std::clamp(client.x + look.x, 0, std::max(frameWidth_ - 1, 0));
        client.y = std::clamp(client.y + look.y, 0, std::max(frameHeight_ - 1, 0));
        SetCursorPos(ClientToScreen(client));
    }
}

bool FwSdlPlatform::IsFullscreenToggle(int scancode, int modifiers) {
    if (scancode == SDL_SCANCODE_F11) return true;
    return (scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER) && (modifiers & KMOD_ALT) != 0;
}

void FwSdlPlatform::SetFullscreen(bool fullscreen) {
    fullscreen_ = fullscreen;
    if (!window_) return;  // CreateGameWindow applies it
    if (SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        std::fprintf(stderr, "could not switch fullscreen: %s\n", SDL_GetError());
        fullscreen_ = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
    }
}

bool FwSdlPlatform::GetPresentSize(int& width, int& height) const {
    if (!window_) return false;
    SDL_GL_GetDrawableSize(window_, &width, &height);
    return true;
}

FwRect FwSdlPlatform::ShownFrameRect() const {
    int width = frameWidth_, height = frameHeight_;
    if (window_) SDL_GetWindowSize(window_, &width, &height);
    return FwLetterboxRect(frameWidth_, frameHeight_, width, height);
}

void FwSdlPlatform::CloseWindow() {
    if (!alive_) return;
    alive_ = false;
    SDL_SetRelativeMouseMode(SDL_FALSE);
    SDL_HideWindow(window_);
}

bool FwSdlPlatform::IsWindowAlive() const { return alive_; }

void FwSdlPlatform::DestroyGameWindow() {
    alive_ = false;
    if (glContext_) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(glContext_));
        glContext_ = nullptr;
    }
    if (window_) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
}

void FwSdlPlatform::Present() {
    if (alive_) SDL_GL_SwapWindow(window_);
}

int FwSdlPlatform::ScancodeForVirtualKey(int vk) {
    if (vk >= 'A' && vk <= 'Z') return SDL_SCANCODE_A + (vk - 'A');
    // SDL orders the digit row 1..9, 0 (as the keys sit on the keyboard).
    if (vk >= '1' && vk <= '9') return SDL_SCANCODE_1 + (vk - '1');
    if (vk == '0') return SDL_SCANCODE_0;
    if (vk == FwKey::Space) return SDL_SCANCODE_SPACE;
    if (vk == FwKey::Escape) return SDL_SCANCODE_ESCAPE;
    if (vk == FwKey::Tab) return SDL_SCANCODE_TAB;
    if (vk == FwKey::F11) return SDL_SCANCODE_F11;
    return -1;
}

int FwSdlPlatform::VirtualKeyForScancode(int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    if (scancode == SDL_SCANCODE_SPACE) return FwKey::Space;
    if (scancode == SDL_SCANCODE_ESCAPE) return FwKey::Escape;
    if (scancode == SDL_SCANCODE_TAB) return FwKey::Tab;
    if (scancode == SDL_SCANCODE_F11) return FwKey::F11;
    return -1;
}

bool FwSdlPlatform::IsKeyDown(int vk) const {
    // A press whose release arrived in the same pump (a quick tap or click)
    // still counts as held for this frame, or polling would never see it.
    if (tappedKeys_.count(vk) || padKeys_.count(vk)) return true;
    if (vk == FwKey::LButton || vk == FwKey::RButton) {
        Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
        return (buttons & SDL_BUTTON(vk == FwKey::LButton ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT)) != 0;
    }
    int scancode = ScancodeForVirtualKey(vk);
    if (scancode < 0) return false;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    return scancode < count && keys[scancode] != 0;
}

bool FwSdlPlatform::IsGameWindowActive() const {
    return alive_ && SDL_GetKeyboardFocus() == window_;
}

FwPoint FwSdlPlatform::WindowOrigin() const {
    FwPoint origin;
    if (window_) SDL_GetWindowPosition(window_, &origin.x, &origin.y);
    return origin;
}

FwPoint FwSdlPlatform::RealCursorPos() const {
    // Window-relative position plus the window's origin: consistent with
    // ClientToScreen on every display server, including Wayland where the
    // global pointer position is not available.
    FwPoint window;
    SDL_GetMouseState(&window.x, &window.y);
    if (frameWidth_ <= 0 || frameHeight_ <= 0) return ClientToScreen(window);
    return ClientToScreen(FwWindowToFrame(window, ShownFrameRect(), frameWidth_, frameHeight_));
}

FwPoint FwSdlPlatform::GetCursorPos() const {
    if (cursorShown_) cursor_ = RealCursorPos();
    return cursor_;
}

FwPoint FwSdlPlatform::ScreenToClient(FwPoint p) const {
    FwPoint origin = WindowOrigin();
    return {p.x - origin.x, p.y - origin.y};
}

FwPoint FwSdlPlatform::ClientToScreen(FwPoint p) const {
    FwPoint origin = WindowOrigin();
    return {p.x + origin.x, p.y + origin.y};
}

void FwSdlPlatform::SetCursorPos(FwPoint screen) {
    cursor_ = screen;
    // A hidden cursor is virtual: warping the real one would only fight the
    // relative mode (and Wayland ignores warps anyway).
    if (cursorShown_ && alive_) {
        FwPoint client = ScreenToClient(screen);
        FwPoint window = FwFrameToWindow(client, ShownFrameRect(), frameWidth_, frameHeight_);
        SDL_WarpMouseInWindow(window_, window.x, window.y);
    }
}

void FwSdlPlatform::ShowCursor(bool show) {
    if (show == cursorShown_) return;
    cursorShown_ = show;
    // The virtual cursor starts from the last known position, which the
    // caller usually set with SetCursorPos just before or after.
    if (show) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
    } else {
        if (SDL_SetRelativeMouseMode(SDL_TRUE) != 0) {
            std::fprintf(stderr, "relative mouse mode unavailable: %s\n", SDL_GetError());
        }
        SDL_ShowCursor(SDL_DISABLE);
    }
}

void FwSdlPlatform::MessageBox(const std::string& text, const std::string& caption, FwMessageIcon icon) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    Uint32 flags = icon == FwMessageIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), alive_ ? window_ : nullptr);
}

uint32_t FwSdlPlatform::TimeMs() const { return SDL_GetTicks(); }

void FwSdlPlatform::SleepMs(uint32_t ms) { SDL_Delay(ms); }

std::unique_ptr<FwAudioDevice> FwSdlPlatform::OpenAudioDevice() { return FwCreateOpenALDevice(verbose_); }
