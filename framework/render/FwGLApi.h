// Internal to framework/render: the OpenGL entry points the renderer calls.
//
// Desktop: OpenGL 4.5 core through libepoxy, direct state access and all.
// Web (WebAssembly): WebGL 2, which is OpenGL ES 3.0. The renderer is written
// once against the desktop names; FwGLES.h gives the few desktop-only calls
// it uses (direct state access, base-vertex draws, whole-texture reads) on
// top of ES 3.0, so both builds run the same renderer code.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>

#include "framework/render/FwGLES.h"
#else
#include <epoxy/gl.h>
#endif
