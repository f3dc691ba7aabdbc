#ifdef __EMSCRIPTEN__

#include "framework/platform/FwWebPlatform.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/audio/FwAudioDevice.h"
#include "framework/platform/FwEglContext.h"

namespace {

constexpr const char* kCanvas = "#canvas";

FwWebPlatform* Self(void* user) { return static_cast<FwWebPlatform*>(user); }

EM_BOOL KeyEvent(int type, const EmscriptenKeyboardEvent* e, void* user) {
    const int vk = FwWebKeyCode(e->code);
    Self(user)->OnKey(e->code, type == EMSCRIPTEN_EVENT_KEYDOWN);
    // The game's keys do not scroll the page or move the focus (Tab, Space);
    // the browser keeps everything else (F5, F11, Escape, Ctrl+...).
    return vk > 0 && vk != FwKey::F11 && vk != FwKey::Escape && !e->ctrlKey && !e->metaKey;
}

EM_BOOL MouseButtonEvent(int type, const EmscriptenMouseEvent* e, void* user) {
    Self(user)->OnMouseMove(e->targetX, e->targetY, 0, 0);
    Self(user)->OnMouseButton(e->button, type == EMSCRIPTEN_EVENT_MOUSEDOWN);
    return EM_TRUE;
}

EM_BOOL MouseMoveEvent(int, const EmscriptenMouseEvent* e, void* user) {
    Self(user)->OnMouseMove(e->targetX, e->targetY, e->movementX, e->movementY);
    return EM_TRUE;
}

EM_BOOL FocusEvent(int type, const EmscriptenFocusEvent*, void* user) {
    Self(user)->OnFocus(type == EMSCRIPTEN_EVENT_FOCUS);
    return EM_FALSE;
}

EM_BOOL VisibilityEvent(int, const EmscriptenVisibilityChangeEvent* e, void* user) {
    Self(user)->OnVisibility(e->hidden);
    return EM_FALSE;
}

EM_BOOL PointerLockEvent(int, const EmscriptenPointerlockChangeEvent* e, void* user) {
    Self(user)->OnPointerLock(e->isActive);
    return EM_FALSE;
}

}  // namespace

int FwWebKeyCode(const char* code) {
    if (!code) return -1;
    const size_t length = std::strlen(code);
    if (length == 4 && std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z') return code[3];
    if (length == 6 && std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9') return code[5];
    if (std::strcmp(code, "Space") == 0) return FwKey::Space;
    if (std::strcmp(code, "Tab") == 0) return FwKey::Tab;
    if (std::strcmp(code, "Escape") == 0) return FwKey::Escape;
    if (std::strcmp(code, "F11") == 0) return FwKey::F11;
    return -1;
}

FwWebPlatform::FwWebPlatform() = default;

FwWebPlatform::~FwWebPlatform() { DestroyGameWindow(); }

bool FwWebPlatform::CreateGameWindow(int width, int height, const std::string& caption) {
    if (alive_) return true;
    std::string error;
    if (!FwCreateHeadlessGLContext(width, height, error)) {
        std::fprintf(stderr, "WebGL 2: %s\n", error.c_str());
        return false;
    }
    width_ = width;
    height_ = height;
    cursor_ = {width / 2, height / 2};
    void* self = this;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, self, EM_TRUE, KeyEvent);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, self, EM_TRUE, KeyEvent);
    emscripten_set_mousedown_callback(kCanvas, self, EM_TRUE, MouseButtonEvent);
    // A button let go outside the canvas is still let go.
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, self, EM_TRUE, MouseButtonEvent);
    emscripten_set_mousemove_callback(kCanvas, self, EM_TRUE, MouseMoveEvent);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, self, EM_TRUE, FocusEvent);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, self, EM_TRUE, FocusEvent);
    emscripten_set_visibilitychange_callback(self, EM_TRUE, VisibilityEvent);
    emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, self, EM_TRUE, PointerLockEvent);
    EmscriptenVisibilityChangeEvent visibility;
    if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS) hidden_ = visibility.hidden;
    focused_ = EM_ASM_INT({ return document.hasFocus() ? 1 : 0; }) != 0;
    alive_ = true;
    return true;
}

void FwWebPlatform::ProcessMessages() {
    // Keys let go while the page had no focus never send their release.
    if (!IsGameWindowActive()) held_.clear();
    frameKeys_ = held_;
    frameKeys_.insert(pressed_.begin(), pressed_.end());
    pressed_.clear();
    // Lost pointer lock (Escape, another window): the player's view stops
    // turning, and the next click or key asks for it again.
    if (!cursorShown_ && !locked_) emscripten_request_pointerlock(kCanvas, EM_TRUE);
}

void FwWebPlatform::DestroyGameWindow() {
    if (!alive_) return;
    alive_ = false;
    emscripten_html5_remove_all_event_listeners();
    FwDestroyHeadlessGLContext();
}

void FwWebPlatform::OnVisibility(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    if (visibilityHandler_) visibilityHandler_(hidden);
}

bool FwWebPlatform::IsKeyDown(int vk) const { return frameKeys_.count(vk) != 0; }

bool FwWebPlatform::IsGameWindowActive() const { return focused_ && !hidden_; }

void FwWebPlatform::OnKey(const char* code, bool down) {
    const int vk = FwWebKeyCode(code);
    if (vk <= 0) return;
    focused_ = true;  // keys reach only a focused page
    if (down) {
        held_.insert(vk);
        pressed_.insert(vk);
    } else {
        held_.erase(vk);
    }
}

void FwWebPlatform::OnMouseButton(int button, bool down) {
    const int vk = button == 0 ? FwKey::LButton : button == 2 ? FwKey::RButton : -1;
    if (vk < 0) return;
    if (down) {
        focused_ = true;  // a click on the canvas focuses the page
        held_.insert(vk);
        pressed_.insert(vk);
    } else {
        held_.erase(vk);
    }
}

void FwWebPlatform::OnMouseMove(long targetX, long targetY, long movementX, long movementY) {
    if (!cursorShown_) {
        // Mouse look: relative motion, not scaled with the canvas, as in a window.
        if (locked_) {
            cursor_.x += static_cast<int>(movementX);
            cursor_.y += static_cast<int>(movementY);
        }
        return;
    }
    double cssWidth = 0.0, cssHeight = 0.0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    if (cssWidth <= 0.0 || cssHeight <= 0.0) return;
    cursor_.x = static_cast<int>(std::floor(targetX * width_ / cssWidth));
    cursor_.y = static_cast<int>(std::floor(targetY * height_ / cssHeight));
}

void FwWebPlatform::ShowCursor(bool show) {
    if (show == cursorShown_) return;
    cursorShown_ = show;
    if (show)
        emscripten_exit_pointerlock();
    else
        emscripten_request_pointerlock(kCanvas, EM_TRUE);  // granted at the next user gesture
}

void FwWebPlatform::MessageBox(const std::string& text, const std::string& caption, FwMessageIcon icon) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    EM_ASM({ if (window.gvShowMessage) window.gvShowMessage(UTF8ToString($0), UTF8ToString($1), $2); },
           caption.c_str(), text.c_str(), icon == FwMessageIcon::Error ? 1 : 0);
}

uint32_t FwWebPlatform::TimeMs() const { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }

void FwWebPlatform::SetFullscreen(bool fullscreen) {
    // The page's fullscreen button does the same; the browser grants it only
    // within a user gesture, which a click on the options screen's switch is
    // (the request waits for the next one otherwise).
    EM_ASM({ if (window.gvSetFullscreen) window.gvSetFullscreen($0 != 0); }, fullscreen ? 1 : 0);
}

std::unique_ptr<FwAudioDevice> FwWebPlatform::OpenAudioDevice() { return FwCreateOpenALDevice(false); }

#endif  // __EMSCRIPTEN__
