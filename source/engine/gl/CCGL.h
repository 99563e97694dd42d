// The engine's one way into OpenGL. Every engine and game file that calls GL
// includes this header: the entry points are real symbols of glvnd's libGL,
// which do nothing while no context is current, so raw GL stays safe headless.
// (GLEW is included in exactly one other file, the capability check.)
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

namespace cocos2d {

// (ours) True while a GL context that passed the capability check is
// current. The window back-end sets it; everything that would talk to the
// driver checks it, so headless runs do the same bookkeeping without GL.
bool ccGLHasContext();
void ccGLSetHasContext(bool hasContext);

}  // namespace cocos2d
