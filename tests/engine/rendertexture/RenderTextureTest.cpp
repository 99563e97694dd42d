#include <gtest/gtest.h>

#include <vector>

#include "base/CCAutoreleasePool.h"
#include "gl/CCShaderCache.h"
#include "gl/QuadBatcher.h"
#include "gl/ccGLStateCache.h"
#include "math/kazmath.h"
#include "rendertexture/CCRenderTexture.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"

using namespace cocos2d;

namespace {

class RenderTextureTest : public ::testing::Test {
public:
    static int maxSide() { return CCRenderTexture::maxTextureSize(); }

protected:
    void SetUp() override { kmGLFreeAll(); }
    void TearDown() override {
        ccGLEndFrame();
        CCShaderCache::purgeSharedShaderCache();
        CCPoolManager::sharedPoolManager()->finalize();
        kmGLFreeAll();
    }
};

// Where a point lands in normalised device coordinates under the current stacks.
CCPoint project(float x, float y) {
    kmMat4 p, mv, mvp;
    kmGLGetMatrix(KM_GL_PROJECTION, &p);
    kmGLGetMatrix(KM_GL_MODELVIEW, &mv);
    kmMat4Multiply(&mvp, &p, &mv);
    const float* m = mvp.mat;
    return CCPoint(m[0] * x + m[4] * y + m[12], m[1] * x + m[5] * y + m[13]);
}

void expectProjects(float x, float y, float nx, float ny) {
    const CCPoint p = project(x, y);
    EXPECT_NEAR(p.x, nx, 1e-5) << "from " << x << "," << y;
    EXPECT_NEAR(p.y, ny, 1e-5) << "from " << x << "," << y;
}

}  // namespace

TEST_F(RenderTextureTest, SizesFromBadScalesAreClampedToAUsableTexture) {
    struct Case {
        int w, h, expectW, expectH;
    } cases[] = {
        {200, 50, 200, 50},  // scale (2, 0.5)
        {0, 100, 1, 100},    // a scale below 0.01
        {-300, -1, 1, 1},    // negative scales
        {100000, 7, RenderTextureTest::maxSide(), 7},
    };
    for (const Case& c : cases) {
        CCRenderTexture* rt = CCRenderTexture::create(c.w, c.h);
        ASSERT_NE(rt, nullptr) << c.w << "x" << c.h;
        EXPECT_EQ((std::vector<int>{rt->getPixelsWide(), rt->getPixelsHigh()}),
                  (std::vector<int>{c.expectW, c.expectH}));
        ASSERT_NE(rt->getSprite(), nullptr);
        EXPECT_EQ(rt->getSprite()->getContentSize(), CCSize(float(c.expectW), float(c.expectH)));
        // Usable: a capture on it balances.
        rt->beginWithClear(0, 0, 0, 0);
        rt->end();
        EXPECT_EQ(kmGLGetStackDepth(KM_GL_PROJECTION), 1u);
    }
}

TEST_F(RenderTextureTest, CaptureMapsEyePointsToTexelsAndRestoresBothStacks) {
    CCRenderTexture* rt = CCRenderTexture::create(200, 50);
    kmGLMatrixMode(KM_GL_PROJECTION);
    kmGLLoadIdentity();
    kmGLScalef(0.5f, 0.5f, 1);
    kmGLMatrixMode(KM_GL_MODELVIEW);
    kmGLLoadIdentity();
    kmGLTranslatef(7, 9, 0);

    CCSprite* pending = CCSprite::createWithTexture(rt->getSprite()->getTexture());
    pending->visit();
    ASSERT_EQ(QuadBatcher::sharedBatcher()->pendingQuads(), 1u);
    rt->begin();
    // The outer drawing was flushed before the redirect.
    EXPECT_EQ(QuadBatcher::sharedBatcher()->pendingQuads(), 0u);
    EXPECT_TRUE(rt->isCapturing());
    // Eye (0, 0) is the bottom-left texel corner and (200, 50) the top-right.
    expectProjects(0, 0, -1, -1);
    expectProjects(200, 50, 1, 1);
    expectProjects(100, 10, 0, -0.6f);
    // Game code moves the model-view after begin; end undoes it.
    kmGLTranslatef(-430, -360, 0);
    rt->end();
    EXPECT_FALSE(rt->isCapturing());
    expectProjects(0, 0, 3.5f, 4.5f);
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_PROJECTION), 1u);
}

TEST_F(RenderTextureTest, NestedBeginAndStrayEndAreRefusedWithoutUnbalancingTheStacks) {
    CCRenderTexture* a = CCRenderTexture::create(10, 10);
    CCRenderTexture* b = CCRenderTexture::create(20, 20);
    a->begin();
    a->begin();  // refused
    b->begin();  // refused: one capture at a time
    EXPECT_FALSE(b->isCapturing());
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_PROJECTION), 2u);
    b->end();  // not capturing: ignored
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_PROJECTION), 2u);
    a->end();
    a->end();
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_PROJECTION), 1u);
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
    // A texture destroyed mid-capture gives the stacks back.
    CCRenderTexture* dying = new CCRenderTexture();
    ASSERT_TRUE(dying->initWithWidthAndHeight(4, 4, 7));
    dying->begin();
    dying->release();
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_PROJECTION), 1u);
    b->begin();
    EXPECT_TRUE(b->isCapturing());
    b->end();
}

TEST_F(RenderTextureTest, SpriteShowsTheCaptureUprightCentredOnTheNodeAndFollowsItsTransform) {
    CCRenderTexture* rt = CCRenderTexture::create(100, 40);
    CCSprite* sprite = rt->getSprite();
    EXPECT_EQ(sprite->getBlendFunc(), ccBlendFuncMake(GL_ONE, GL_ONE_MINUS_SRC_ALPHA));
    // Texel row 0 (v = 0) is the sprite's bottom.
    EXPECT_FLOAT_EQ(sprite->getQuad().bl.texCoords.v, 0);
    EXPECT_FLOAT_EQ(sprite->getQuad().tl.texCoords.v, 1);

    // The mirror: position, rotation and y scale -1 on the node.
    rt->setPosition(CCPoint(480, 310));
    rt->setScaleY(-1);
    rt->visit();
    QuadBatcher* batcher = QuadBatcher::sharedBatcher();
    ASSERT_EQ(batcher->pendingQuads(), 1u);
    const ccV3F_C4B_T2F_Quad& q = batcher->pendingVertices()[0];
    // Flipped: the bottom texel row (bl) is on top.
    EXPECT_EQ((std::vector<float>{q.bl.vertices.x, q.bl.vertices.y, q.tl.vertices.y, q.tr.vertices.x}),
              (std::vector<float>{430, 330, 290, 530}));
    rt->setVisible(false);
    ccGLEndFrame();
    rt->visit();
    EXPECT_EQ(batcher->pendingQuads(), 0u);
}
