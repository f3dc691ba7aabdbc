#include "framework/platform/FwEglContext.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstring>

namespace {

struct EglState {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
};

EglState& State() {
    static EglState state;
    return state;
}

// Whole-word search in an extension string.
bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    size_t len = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += len) {
        bool startOk = (p == list) || p[-1] == ' ';
        bool endOk = p[len] == '\0' || p[len] == ' ';
        if (startOk && endOk) return true;
    }
    return false;
}

EGLDisplay OpenSurfacelessDisplay() {
    const char* clientExts = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasExtension(clientExts, "EGL_MESA_platform_surfaceless")) return EGL_NO_DISPLAY;
    if (!HasExtension(clientExts, "EGL_EXT_platform_base")) return EGL_NO_DISPLAY;
    return eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

bool ChooseConfig(EGLDisplay display, bool needPbuffer, EGLConfig& config) {
    const EGLint attribs[] = {EGL_SURFACE_TYPE, needPbuffer ? EGL_PBUFFER_BIT : 0,
                              EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                              EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                              EGL_NONE};
    EGLint count = 0;
    return eglChooseConfig(display, attribs, &config, 1, &count) && count > 0;
}

EGLContext CreateCoreContext(EGLDisplay display, EGLConfig config) {
    const EGLint attribs[] = {EGL_CONTEXT_MAJOR_VERSION, 4, EGL_CONTEXT_MINOR_VERSION, 5,
                              EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                              EGL_NONE};
    return eglCreateContext(display, config, EGL_NO_CONTEXT, attribs);
}

// Tries one display: initialise, pick a config, create the context (and a
// pbuffer when the display cannot go without a surface), make it current.
bool TryDisplay(EGLDisplay display, bool surfaceless, int width, int height, std::string& error) {
    EglState& s = State();
    if (display == EGL_NO_DISPLAY) { error = "no EGL display"; return false; }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) { error = "eglInitialize failed"; return false; }
    s.display = display;
    if (!eglBindAPI(EGL_OPENGL_API)) { error = "eglBindAPI(EGL_OPENGL_API) failed"; return false; }

    bool noSurface = surfaceless && HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
    EGLConfig config = nullptr;
    if (!ChooseConfig(display, !noSurface, config)) { error = "no suitable EGL config"; return false; }
    s.context = CreateCoreContext(display, config);
    if (s.context == EGL_NO_CONTEXT) { error = "OpenGL 4.5 core context creation failed"; return false; }
    if (!noSurface) {
        const EGLint pbufferAttribs[] = {EGL_WIDTH, width > 0 ? width : 1, EGL_HEIGHT, height > 0 ? height : 1,
                                         EGL_NONE};
        s.surface = eglCreatePbufferSurface(display, config, pbufferAttribs);
        if (s.surface == EGL_NO_SURFACE) { error = "pbuffer creation failed"; return false; }
    }
    if (!eglMakeCurrent(display, s.surface, s.surface, s.context)) { error = "eglMakeCurrent failed"; return false; }
    if (epoxy_gl_version() < 45) { error = "OpenGL 4.5 is not available"; return false; }
    return true;
}

}  // namespace

bool FwCreateHeadlessGLContext(int width, int height, std::string& error) {
    FwDestroyHeadlessGLContext();
    std::string firstError;
    if (TryDisplay(OpenSurfacelessDisplay(), true, width, height, firstError)) return true;
    FwDestroyHeadlessGLContext();
    std::string secondError;
    if (TryDisplay(eglGetDisplay(EGL_DEFAULT_DISPLAY), false, width, height, secondError)) return true;
    FwDestroyHeadlessGLContext();
    error = "headless GL context: surfaceless: " + firstError + "; default display: " + secondError;
    return false;
}

void FwDestroyHeadlessGLContext() {
    EglState& s = State();
    if (s.display != EGL_NO_DISPLAY) {
        eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (s.surface != EGL_NO_SURFACE) eglDestroySurface(s.display, s.surface);
        if (s.context != EGL_NO_CONTEXT) eglDestroyContext(s.display, s.context);
        eglTerminate(s.display);
        eglReleaseThread();
    }
    s = EglState{};
}

bool FwHasHeadlessGLContext() { return State().context != EGL_NO_CONTEXT; }
