// The GLFW window back-end of CCEGLView: an X11 window with an OpenGL
// compatibility context (GL 2.1 or later, GLSL 120).
#pragma once

#include <memory>

#include "view/CCEGLView.h"

namespace cocos2d {

// Opens the window and checks the context. On any failure (no display, no
// context, a context lacking what the engine needs) logs one line naming
// what is missing and returns null.
std::unique_ptr<ViewBackend> createGLFWBackend(int width, int height, const char* title);

// (ours) The capability check, in the one file that includes GLEW. Must run
// with the new context current. On failure `problem` says what is missing.
bool checkGLCapabilities(std::string* problem);

}  // namespace cocos2d
