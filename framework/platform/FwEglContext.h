// Headless OpenGL 4.5 core context over EGL, for the harness platform and the
// GPU tests. No window: drawing goes to FwDirect3D's own back-buffer FBO.
// The web build implements these functions with the page canvas's WebGL 2
// context instead (FwWebContext.cpp), so the headless platform runs there too.
#pragma once

#include <string>

// Headless platform start-up and GPU test fixtures: creates an OpenGL 4.5
// core context and makes it current on the calling thread. Prefers Mesa's
// surfaceless platform (no surface at all); falls back to the default display
// with a width x height pbuffer. Any context made by an earlier call is
// destroyed first. On failure error receives the reason and false is returned.
bool FwCreateHeadlessGLContext(int width, int height, std::string& error);

// Headless platform shutdown and GPU test fixtures: releases the context made
// by FwCreateHeadlessGLContext (safe to call when there is none).
void FwDestroyHeadlessGLContext();

// True while a context made by FwCreateHeadlessGLContext exists.
bool FwHasHeadlessGLContext();
