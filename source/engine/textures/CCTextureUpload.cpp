#include "textures/CCTextureUpload.h"

namespace cocos2d {

GLuint uploadTexture(const unsigned char* rgba, int width, int height) {
    (void)rgba;
    (void)width;
    (void)height;
    return 0;  // headless: no context to upload into
}

void deleteUploadedTexture(GLuint name) { (void)name; }

}  // namespace cocos2d
