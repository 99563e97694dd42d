#include "textures/TextureUpload.h"

#include "gl/CCGL.h"
#include "gl/ccGLStateCache.h"

namespace cocos2d {

GLuint uploadTexture(const unsigned char* rgba, int width, int height) {
    // Headless, or before the window's context exists: nothing to upload into.
    if (!ccGLHasContext() || !rgba || width < 1 || height < 1) return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) return 0;
    // Through the cache, so the engine's idea of the bound texture stays true.
    ccGLBindTexture2D(name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return name;
}

void deleteUploadedTexture(GLuint name) {
    if (name == 0 || !ccGLHasContext()) return;
    ccGLDeleteTexture(name);
}

}  // namespace cocos2d
