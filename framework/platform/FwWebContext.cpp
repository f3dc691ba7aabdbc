// The web build's side of FwEglContext.h: the "headless" context of the
// harness-style platforms is, in a page, the WebGL 2 context of the page's
// canvas (#canvas, 1280 x 720 pixels, scaled by the page's style sheet).
// Frames are drawn into FwDirect3D's back buffer and blitted to the canvas.
#ifdef __EMSCRIPTEN__

#include <emscripten/html5.h>

#include "framework/platform/FwEglContext.h"

namespace {
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE g_context = 0;
}

bool FwCreateHeadlessGLContext(int width, int height, std::string& error) {
    FwDestroyHeadlessGLContext();
    emscripten_set_canvas_element_size("#canvas", width, height);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The back buffer is blitted into the canvas: ES forbids a blit into a
    // multisampled framebuffer, and depth and stencil live in our own targets.
    attributes.antialias = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.alpha = EM_FALSE;
    g_context = emscripten_webgl_create_context("#canvas", &attributes);
    if (g_context <= 0) {
        g_context = 0;
        error = "this browser offers no WebGL 2";
        return false;
    }
    emscripten_webgl_make_context_current(g_context);
    return true;
}

void FwDestroyHeadlessGLContext() {
    if (g_context == 0) return;
    emscripten_webgl_make_context_current(0);
    emscripten_webgl_destroy_context(g_context);
    g_context = 0;
}

bool FwHasHeadlessGLContext() { return g_context != 0; }

#endif  // __EMSCRIPTEN__
