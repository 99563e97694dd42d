#include <gtest/gtest.h>

#include <string>

#include "base/CCAutoreleasePool.h"
#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl/ccShaders.h"

using namespace cocos2d;

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void TearDown() override {
        CCShaderCache::purgeSharedShaderCache();
        CCPoolManager::sharedPoolManager()->finalize();
    }
};

const char* const kFrag = "void main() { gl_FragColor = texture2D(CC_Texture0, vec2(0.5)); }\n";

}  // namespace

TEST_F(ProgramTest, HeadlessProgramsLinkWithoutDriverAndReportNoLocations) {
    CCGLProgram* p = new CCGLProgram();
    ASSERT_TRUE(p->initWithVertexShaderByteArray(ccPositionTextureA8Color_vert, kFrag));
    p->addAttribute(kCCAttributeNamePosition, 0);
    p->addAttribute(kCCAttributeNameTexCoord, 2);
    p->addAttribute(kCCAttributeNameTexCoord, 2);  // a repeat rebinds, never duplicates
    EXPECT_TRUE(p->link());
    p->updateUniforms();
    p->use();
    p->setUniformsForBuiltins();
    EXPECT_TRUE(p->isValid());
    EXPECT_EQ(p->getProgram(), 0u);
    EXPECT_EQ(p->getUniformLocationForName("u_shadeColor"), -1);
    EXPECT_EQ(p->getUniformLocationForName(nullptr), -1);
    // Location -1 is ignored by every setter.
    p->setUniformLocationWith4f(-1, 0.5f, 0.5f, 0.5f, 0.5f);
    p->setUniformLocationWith4fv(-1, nullptr, 1);
    ASSERT_EQ(p->getAttributeBindings().size(), 2u);
    EXPECT_EQ(p->getAttributeBindings()[1].first, "a_texCoord");
    // The header pass ran: the sampler the fragment names is declared for it.
    EXPECT_NE(p->getFragmentSource().find("uniform sampler2D CC_Texture0;"), std::string::npos);
    p->release();
}

TEST_F(ProgramTest, RefusedSourcesLeaveAnInvalidProgramThatNeverLinks) {
    CCGLProgram* p = new CCGLProgram();
    const std::string huge(300 * 1024, '/');
    EXPECT_FALSE(p->initWithVertexShaderByteArray(ccPositionTextureColor_vert, huge.c_str()));
    EXPECT_FALSE(p->link());
    EXPECT_FALSE(p->isValid());
    EXPECT_NE(p->getErrorLog().find("fragment"), std::string::npos);

    // A missing source, and linking before any init, fail the same way.
    EXPECT_FALSE(p->initWithVertexShaderByteArray(nullptr, kFrag));
    EXPECT_FALSE(p->isValid());
    CCGLProgram* fresh = new CCGLProgram();
    EXPECT_FALSE(fresh->link());
    fresh->release();
    p->release();
}

TEST_F(ProgramTest, CacheHoldsTheThreeBuiltInsAndReplacesByKey) {
    CCShaderCache* cache = CCShaderCache::sharedShaderCache();
    for (const char* key : {kCCShader_Position_uColor, kCCShader_PositionTexture_uColor, kCCShader_PositionTextureColor}) {
        CCGLProgram* p = cache->programForKey(key);
        ASSERT_NE(p, nullptr) << key;
        EXPECT_TRUE(p->isValid()) << key;
    }
    EXPECT_EQ(cache->programForKey("ShaderNobodyMade"), nullptr);
    EXPECT_EQ(cache->programForKey(nullptr), nullptr);

    CCGLProgram* a = new CCGLProgram();
    CCGLProgram* b = new CCGLProgram();
    cache->addProgram(a, "custom");
    EXPECT_EQ(a->retainCount(), 2u);
    cache->addProgram(b, "custom");
    EXPECT_EQ(a->retainCount(), 1u);  // the replaced program lost the cache's reference
    EXPECT_EQ(cache->programForKey("custom"), b);

    // Reloading keeps the same objects, so nodes holding them stay valid.
    CCGLProgram* standard = cache->programForKey(kCCShader_PositionTextureColor);
    cache->reloadDefaultShaders();
    EXPECT_EQ(cache->programForKey(kCCShader_PositionTextureColor), standard);
    a->release();
    b->release();
}
