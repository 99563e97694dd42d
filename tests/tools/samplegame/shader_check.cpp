// The game's mirror shader against a real driver (run under tests/e2e/xrun):
// after the engine's header pass it compiles and links with the vertex
// shader the mirror draws with, and keeps its tint uniform.
#include "gl/CCGL.h"  // before GLFW, so GL comes with its prototypes

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/CCAutoreleasePool.h"
#include "gl/CCGLProgram.h"
#include "gl/ccGLStateCache.h"
#include "gl/ccShaders.h"

namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

TEST(ShaderCompiles, WaterReflectionLinksWithTheTextureAlphaColourVertexShader) {
    const std::string fragment = readText(std::string(QV_BINARY_DIR) + "/samplegame/data/shaders/WaterReflection.fsh");
    ASSERT_FALSE(fragment.empty());
    ASSERT_TRUE(glfwInit());
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 2);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 1);
    GLFWwindow* window = glfwCreateWindow(16, 16, "samplegame", nullptr, nullptr);
    ASSERT_NE(window, nullptr) << "no GL context (run under tests/e2e/xrun)";
    glfwMakeContextCurrent(window);
    cocos2d::ccGLSetHasContext(true);
    {
        cocos2d::CCGLProgram program;
        ASSERT_TRUE(program.initWithVertexShaderByteArray(cocos2d::ccPositionTextureA8Color_vert, fragment.c_str()))
            << program.getErrorLog();
        ASSERT_TRUE(program.link()) << program.getErrorLog();
        EXPECT_TRUE(program.isValid());
        // Without it the reflection shows untinted.
        EXPECT_NE(program.getUniformLocationForName("u_shadeColor"), -1);
        EXPECT_NE(program.getUniformLocationForName("CC_Texture0"), -1);
        EXPECT_NE(program.getUniformLocationForName("CC_Time"), -1);
        program.reset();
    }
    cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    cocos2d::ccGLSetHasContext(false);
    glfwDestroyWindow(window);
    // No glfwTerminate: it unloads the driver, whose allocations then show
    // up as unattributable leaks under LeakSanitizer.
}
