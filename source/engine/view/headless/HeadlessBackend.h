// The view's back-ends without a window.
#pragma once

#include <memory>

#include "view/CCEGLView.h"

namespace cocos2d {

// ENGINE_HEADLESS=1: no window and no context. Every traversal still runs;
// GL work is skipped. A fake 1920 x 1080 monitor and a remembered window mode
// and rectangle let the host's window glue run (and be tested) without a display.
std::unique_ptr<ViewBackend> createHeadlessBackend();

// The window could not be made: nothing works, and run() refuses to start.
std::unique_ptr<ViewBackend> createInertBackend();

}  // namespace cocos2d
