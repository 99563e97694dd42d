// The single place where texture pixels reach the graphics driver. Until a GL
// back-end exists (and whenever no context is current) uploads return name 0,
// so every caller already handles the headless case.
#pragma once

#include "math/ccTypes.h"

namespace cocos2d {

// Uploads premultiplied RGBA8 pixels (rows top to bottom, clamp-to-edge).
// Returns the texture name, or 0 when there is no context.
GLuint uploadTexture(const unsigned char* rgba, int width, int height);

// Frees a name returned by uploadTexture; 0 is ignored.
void deleteUploadedTexture(GLuint name);

}  // namespace cocos2d
