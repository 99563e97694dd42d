// The only file that includes GLEW: its macros turn every GL call into a call
// through a function pointer, which stays null in headless runs.
#include <GL/glew.h>

#include <cstdio>
#include <string>

#include "view/glfw/GLFWBackend.h"

namespace cocos2d {

namespace {

std::string glString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "unknown";
}

}  // namespace

bool checkGLCapabilities(std::string* problem) {
    glewExperimental = GL_TRUE;
    const GLenum status = glewInit();
    // GLEW_ERROR_NO_GLX_DISPLAY only means GLEW could not query GLX
    // extensions; the GL ones below are what matters.
    if (status != GLEW_OK) {
        *problem = std::string("GLEW could not load the GL entry points: ") +
                   reinterpret_cast<const char*>(glewGetErrorString(status));
        return false;
    }
    const std::string version = glString(GL_VERSION);
    int major = 0, minor = 0;
    if (std::sscanf(version.c_str(), "%d.%d", &major, &minor) != 2) major = minor = 0;
    const bool gl21 = major > 2 || (major == 2 && minor >= 1);
    // The engine calls the unsuffixed framebuffer-object names.
    const bool fbo = major >= 3 || GLEW_ARB_framebuffer_object;
    if (!gl21 || !fbo) {
        *problem = "needs OpenGL 2.1 with framebuffer objects; this context: " + version + " (" +
                   glString(GL_RENDERER) + ")";
        return false;
    }
    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    // Atlas sheets go up to 4096 pixels a side.
    if (maxTexture < 4096) {
        *problem = "needs textures of 4096 pixels; this context allows " + std::to_string(maxTexture) + " (" +
                   version + ", " + glString(GL_RENDERER) + ")";
        return false;
    }
    return true;
}

}  // namespace cocos2d
