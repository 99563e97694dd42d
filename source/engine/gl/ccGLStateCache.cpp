#include "gl/ccGLStateCache.h"

#include "gl/CCGLProgram.h"
#include "gl/QuadBatcher.h"
#include "gl/CCShaderCache.h"
#include "gl/GLStateCacheInternal.h"

namespace cocos2d {

namespace {

bool g_hasContext = false;

// ~0u marks "unknown", so the first real value always reaches the driver.
constexpr GLuint kUnknown = ~0u;
GLuint g_currentProgram = kUnknown;
GLuint g_currentTexture = kUnknown;
GLenum g_blendSrc = kUnknown;
GLenum g_blendDst = kUnknown;
bool g_blendKnown = false;
unsigned int g_attribFlags = 0;
bool g_attribsKnown = false;

unsigned int g_drawsThisFrame = 0;
unsigned int g_drawsLastFrame = 0;

}  // namespace

bool ccGLHasContext() { return g_hasContext; }

void ccGLSetHasContext(bool hasContext) {
    g_hasContext = hasContext;
    ccGLInvalidateStateCache();
    // Programs built before the context existed were never compiled.
    if (hasContext) CCShaderCache::reloadSharedIfLoaded();
}

// ---- internal, non-flushing forms used by the batcher and programs

namespace detail {

void glUseProgramCached(GLuint program) {
    if (program == g_currentProgram) return;
    g_currentProgram = program;
    if (g_hasContext) glUseProgram(program);
}

void glBindTextureCached(GLuint texture) {
    if (texture == g_currentTexture) return;
    g_currentTexture = texture;
    if (g_hasContext) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
}

void glBlendFuncCached(GLenum src, GLenum dst) {
    if (g_blendKnown && src == g_blendSrc && dst == g_blendDst) return;
    g_blendKnown = true;
    g_blendSrc = src;
    g_blendDst = dst;
    if (!g_hasContext) return;
    // (ONE, ZERO) is "no blending": cheaper for the driver as a switch.
    if (src == GL_ONE && dst == GL_ZERO) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(src, dst);
}

void glEnableVertexAttribsCached(unsigned int flags) {
    if (g_attribsKnown && flags == g_attribFlags) return;
    for (unsigned int i = 0; i < kCCVertexAttrib_MAX; ++i) {
        const unsigned int bit = 1u << i;
        const bool want = (flags & bit) != 0;
        const bool have = (g_attribFlags & bit) != 0;
        if (g_attribsKnown && want == have) continue;
        if (g_hasContext) {
            if (want)
                glEnableVertexAttribArray(i);
            else
                glDisableVertexAttribArray(i);
        }
    }
    g_attribFlags = flags;
    g_attribsKnown = true;
}

GLuint currentProgramCached() { return g_currentProgram; }
GLuint currentTextureCached() { return g_currentTexture; }
ccBlendFunc currentBlendCached() { return ccBlendFuncMake(g_blendSrc, g_blendDst); }
unsigned int currentAttribsCached() { return g_attribFlags; }

}  // namespace detail

// ---- public calls: each one is a batch flush point

void ccGLUseProgram(GLuint program) {
    ccGLFlushBatch();
    detail::glUseProgramCached(program);
}

void ccGLDeleteProgram(GLuint program) {
    ccGLFlushBatch();
    if (program == g_currentProgram) g_currentProgram = kUnknown;
    if (g_hasContext && program != 0) glDeleteProgram(program);
}

void ccGLBindTexture2D(GLuint textureId) {
    ccGLFlushBatch();
    detail::glBindTextureCached(textureId);
}

void ccGLDeleteTexture(GLuint textureId) {
    ccGLFlushBatch();
    if (textureId == g_currentTexture) g_currentTexture = kUnknown;
    if (g_hasContext && textureId != 0) glDeleteTextures(1, &textureId);
}

void ccGLBlendFunc(GLenum sfactor, GLenum dfactor) {
    ccGLFlushBatch();
    detail::glBlendFuncCached(sfactor, dfactor);
}

void ccGLBlendResetToCache() { ccGLBlendFunc(CC_BLEND_SRC, CC_BLEND_DST); }

void ccGLEnableVertexAttribs(unsigned int flags) {
    ccGLFlushBatch();
    detail::glEnableVertexAttribsCached(flags);
}

void ccGLInvalidateStateCache() {
    g_currentProgram = kUnknown;
    g_currentTexture = kUnknown;
    g_blendSrc = kUnknown;
    g_blendDst = kUnknown;
    g_blendKnown = false;
    g_attribFlags = 0;
    g_attribsKnown = false;
    if (g_hasContext) glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// ---- draw calls

void ccGLAddDrawCalls(unsigned int n) { g_drawsThisFrame += n; }
unsigned int ccGLDrawCallsThisFrame() { return g_drawsThisFrame; }
unsigned int ccGLDrawCallsLastFrame() { return g_drawsLastFrame; }

void ccGLEndFrame() {
    ccGLFlushBatch();
    g_drawsLastFrame = g_drawsThisFrame;
    g_drawsThisFrame = 0;
}

void ccGLNodeDrawSetup(CCGLProgram* program) {
    ccGLFlushBatch();
    ccGLBlendFunc(CC_BLEND_SRC, CC_BLEND_DST);
    if (program) {
        program->use();
        program->setUniformsForBuiltins();
    }
}

}  // namespace cocos2d
