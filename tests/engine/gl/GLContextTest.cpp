// Checks that need a real driver: run under Xvfb with Mesa (label engine-gl).
// The fixture makes its own hidden GLFW window, so these do not depend on the
// view's window handling.
#include "gl/CCGL.h"  // before GLFW, so GL comes with its prototypes

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <string>

#include "base/CCAutoreleasePool.h"
#include "gl/CCDrawingPrimitives.h"
#include "gl/CCGLProgram.h"
#include "gl/QuadBatcher.h"
#include "gl/CCShaderCache.h"
#include "gl/ccGLStateCache.h"
#include "gl/ccShaders.h"
#include "math/kazmath.h"

using namespace cocos2d;

namespace {

constexpr int kSize = 64;

struct Pixel {
    int r, g, b;
};

class GLContextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!glfwInit()) return;
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 2);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 1);
        s_window = glfwCreateWindow(kSize, kSize, "engine.gl", nullptr, nullptr);
        if (!s_window) return;
        glfwMakeContextCurrent(s_window);
        ccGLSetHasContext(true);
    }
    static void TearDownTestSuite() {
        CCShaderCache::purgeSharedShaderCache();
        CCPoolManager::sharedPoolManager()->finalize();
        ccGLSetHasContext(false);
        if (s_window) glfwDestroyWindow(s_window);
        s_window = nullptr;
        // No glfwTerminate: it unloads the driver, whose allocations then
        // show up as unattributable leaks under LeakSanitizer.
    }
    void SetUp() override {
        ASSERT_NE(s_window, nullptr) << "no GL context (run under tests/e2e/xrun)";
        kmGLFreeAll();
        // Pixels map 1:1 to points.
        kmGLMatrixMode(KM_GL_PROJECTION);
        kmMat4 ortho;
        kmMat4OrthographicProjection(&ortho, 0, kSize, 0, kSize, -1, 1);
        kmGLLoadMatrix(&ortho);
        kmGLMatrixMode(KM_GL_MODELVIEW);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        ccGLEndFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    static Pixel at(int x, int y) {
        ccGLFlushBatch();
        unsigned char px[4] = {0, 0, 0, 0};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        return Pixel{px[0], px[1], px[2]};
    }
    // The second component of a vec4 uniform as the driver holds it.
    static float uniformG(CCGLProgram* p, GLint location) {
        GLfloat got[4] = {0, 0, 0, 0};
        glGetUniformfv(p->getProgram(), location, got);
        return got[1];
    }
    static GLint arrayBuffer() {
        GLint bound = -1;
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
        return bound;
    }
    static GLFWwindow* s_window;
};
GLFWwindow* GLContextTest::s_window = nullptr;

const char* const kTintFrag =
    "#ifdef GL_ES\n"
    "precision lowp float;\n"
    "#endif\n"
    "varying vec4 v_fragmentColor;\n"
    "varying vec2 v_texCoord;\n"
    "uniform vec4 u_shadeColor;\n"
    "void main() { gl_FragColor = texture2D(CC_Texture0, v_texCoord) * v_fragmentColor * u_shadeColor; }\n";

// A triangle fan the way game code draws raw GL: client array, attribute 0.
void rawFan(float x0, float y0, float x1, float y1, float r, float g, float b) {
    CCGLProgram* p = CCShaderCache::sharedShaderCache()->programForKey(kCCShader_Position_uColor);
    p->use();
    p->setUniformsForBuiltins();
    p->setUniformLocationWith4f(p->getUniformLocationForName("u_color"), r, g, b, 1);
    ccGLEnableVertexAttribs(kCCVertexAttribFlag_Position);
    const GLfloat v[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
    glVertexAttribPointer(kCCVertexAttrib_Position, 2, GL_FLOAT, GL_FALSE, 0, v);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    CC_INCREMENT_GL_DRAWS(1);
}

}  // namespace

TEST_F(GLContextTest, BuiltInsCompileAndADataShaderBindingOnlyPositionAndTexCoordStillGetsColourAtOne) {
    for (const char* key : {kCCShader_Position_uColor, kCCShader_PositionTexture_uColor, kCCShader_PositionTextureColor}) {
        CCGLProgram* p = CCShaderCache::sharedShaderCache()->programForKey(key);
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(p->isValid()) << key << ": " << p->getErrorLog();
        EXPECT_NE(p->getProgram(), 0u);
    }
    CCGLProgram* p = new CCGLProgram();
    ASSERT_TRUE(p->initWithVertexShaderByteArray(ccPositionTextureA8Color_vert, kTintFrag)) << p->getErrorLog();
    p->addAttribute(kCCAttributeNamePosition, kCCVertexAttrib_Position);
    p->addAttribute(kCCAttributeNameTexCoord, kCCVertexAttrib_TexCoords);
    ASSERT_TRUE(p->link()) << p->getErrorLog();
    p->updateUniforms();
    EXPECT_EQ(glGetAttribLocation(p->getProgram(), "a_position"), 0);
    EXPECT_EQ(glGetAttribLocation(p->getProgram(), "a_color"), 1);
    EXPECT_EQ(glGetAttribLocation(p->getProgram(), "a_texCoord"), 2);
    EXPECT_NE(p->getUniformLocationForName("u_shadeColor"), -1);
    EXPECT_EQ(p->getUniformLocationForName("u_nothing"), -1);
    p->release();
}

TEST_F(GLContextTest, UniformSettersLandInTheirOwnProgramAndSkipUnchangedValues) {
    CCGLProgram* a = new CCGLProgram();
    CCGLProgram* b = new CCGLProgram();
    for (CCGLProgram* p : {a, b}) {
        ASSERT_TRUE(p->initWithVertexShaderByteArray(ccPositionTextureA8Color_vert, kTintFrag));
        ASSERT_TRUE(p->link());
        p->updateUniforms();
    }
    const GLint la = a->getUniformLocationForName("u_shadeColor");
    const GLint lb = b->getUniformLocationForName("u_shadeColor");
    a->use();
    b->setUniformLocationWith4f(lb, 0.25f, 0.5f, 0.75f, 1.0f);  // while a is current
    EXPECT_FLOAT_EQ(uniformG(b, lb), 0.5f);
    EXPECT_FLOAT_EQ(uniformG(a, la), 0.0f);  // a untouched

    // A value changed behind the cache's back shows the cache skipped the repeat.
    glUseProgram(b->getProgram());
    glUniform4f(lb, 0, 0, 0, 0);
    b->setUniformLocationWith4f(lb, 0.25f, 0.5f, 0.75f, 1.0f);
    EXPECT_FLOAT_EQ(uniformG(b, lb), 0.0f);
    // A relink forgets the cache.
    ASSERT_TRUE(b->link());
    b->updateUniforms();
    b->setUniformLocationWith4f(lb, 0.25f, 0.5f, 0.75f, 1.0f);
    EXPECT_FLOAT_EQ(uniformG(b, lb), 0.5f);
    ccGLInvalidateStateCache();
    a->release();
    b->release();
}

TEST_F(GLContextTest, ShaderTheDriverRejectsLeavesAnInvalidProgramWithTheDriversMessage) {
    CCGLProgram* p = new CCGLProgram();
    EXPECT_FALSE(p->initWithVertexShaderByteArray(ccPositionTextureA8Color_vert,
                                                  "void main() { gl_FragColor = undeclared_thing; }\n"));
    EXPECT_FALSE(p->link());
    EXPECT_FALSE(p->isValid());
    EXPECT_NE(p->getErrorLog().find("fragment"), std::string::npos);
    EXPECT_GT(p->getErrorLog().size(), std::string("fragment shader did not compile: ").size());
    p->use();  // harmless: nothing becomes current
    p->setUniformsForBuiltins();
    p->release();
    glGetError();  // the failed compile may leave nothing, but drain to be sure
}

TEST_F(GLContextTest, PrimitivesDrawInTheCurrentModelViewAndLeaveNoArrayBufferBound) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);  // left behind by someone else
    ccDrawColor4F(0.75f, 0.75f, 0.75f, 0.75f);
    kmGLPushMatrix();
    kmGLTranslatef(4, 4, 0);
    ccDrawSolidRect(CCPoint(0, 0), CCPoint(20, 20), ccColor4F{0.75f, 0.75f, 0.75f, 0.75f});
    ccDrawRect(CCPoint(30, 0), CCPoint(50, 20));
    kmGLPopMatrix();
    EXPECT_EQ(arrayBuffer(), 0);
    const Pixel inside = at(14, 14);
    EXPECT_NEAR(inside.r, 191, 3);
    EXPECT_NEAR(inside.g, 191, 3);
    EXPECT_EQ(at(2, 2).r, 0);                // the translation applied
    EXPECT_EQ(at(44, 14).r, 0);              // an outline is hollow
    glDeleteBuffers(1, &buffer);
}

TEST_F(GLContextTest, RawClientArrayDrawAfterBatchedQuadsLandsOnTop) {
    ccV3F_C4B_T2F_Quad q;
    q.bl.vertices = ccVertex3F{8, 8, 0};
    q.br.vertices = ccVertex3F{40, 8, 0};
    q.tl.vertices = ccVertex3F{8, 40, 0};
    q.tr.vertices = ccVertex3F{40, 40, 0};
    q.bl.colors = q.br.colors = q.tl.colors = q.tr.colors = ccColor4B{255, 255, 255, 255};
    // Texture 0 samples black with alpha 1 in a compatibility context, so the
    // quad paints its area black over a red background.
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    QuadBatcher::sharedBatcher()->addQuad(nullptr, nullptr, ccBlendFunc(), q);
    EXPECT_EQ(at(60, 60).r, 255);
    EXPECT_EQ(at(20, 20).r, 0);
    EXPECT_EQ(arrayBuffer(), 0);
    QuadBatcher::sharedBatcher()->addQuad(nullptr, nullptr, ccBlendFunc(), q);
    rawFan(24, 24, 56, 56, 0, 1, 0);  // the flush point inside use() draws the quad first
    EXPECT_EQ(at(30, 30).g, 255);
    EXPECT_EQ(at(12, 12).r, 0);
    EXPECT_EQ(at(12, 12).g, 0);
    ccGLEndFrame();
    EXPECT_EQ(ccGLDrawCallsLastFrame(), 3u);
    glClearColor(0, 0, 0, 1);
}
