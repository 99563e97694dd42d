// (ours) The state cache without the flush, for the batcher's own drawing
// and for programs that are already flushing. Not for game code.
#pragma once

#include "gl/ccGLTypes.h"

namespace cocos2d {
namespace detail {

void glUseProgramCached(GLuint program);
void glBindTextureCached(GLuint texture);
void glBlendFuncCached(GLenum src, GLenum dst);
void glEnableVertexAttribsCached(unsigned int flags);
// What the cache believes is current (tests).
GLuint currentProgramCached();
GLuint currentTextureCached();
ccBlendFunc currentBlendCached();
unsigned int currentAttribsCached();

}  // namespace detail
}  // namespace cocos2d
