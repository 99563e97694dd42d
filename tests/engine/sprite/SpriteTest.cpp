#include <gtest/gtest.h>

#include "../textures/PngTestUtil.h"
#include "base/CCAutoreleasePool.h"
#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl/QuadBatcher.h"
#include "gl/ccGLStateCache.h"
#include "gl/ccShaders.h"
#include "math/kazmath.h"
#include "sprite/CCSprite.h"
#include "sprite/CCSpriteBatchNode.h"
#include "textures/CCImage.h"
#include "textures/CCTexture2D.h"

using namespace cocos2d;

namespace {

// A premultiplied white texture of the given size.
CCTexture2D* texture(unsigned int w, unsigned int h) {
    std::vector<unsigned char> px(w * h * 4, 255);
    CCTexture2D* t = new CCTexture2D();
    t->initWithData(px.data(), kCCTexture2DPixelFormat_RGBA8888, w, h, CCSize(float(w), float(h)));
    t->autorelease();
    return t;
}

// Bottom-left and top-right corners.
std::vector<float> box(const ccV3F_C4B_T2F_Quad& q) {
    return {q.bl.vertices.x, q.bl.vertices.y, q.tr.vertices.x, q.tr.vertices.y};
}
// Texture coordinates of bl, tl, tr, br.
std::vector<float> uv(const ccV3F_C4B_T2F_Quad& q) {
    return {q.bl.texCoords.u, q.bl.texCoords.v, q.tl.texCoords.u, q.tl.texCoords.v,
            q.tr.texCoords.u, q.tr.texCoords.v, q.br.texCoords.u, q.br.texCoords.v};
}
std::vector<int> rgba(const ccColor4B& c) { return {c.r, c.g, c.b, c.a}; }

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        kmGLFreeAll();
        ccGLEndFrame();
    }
    void TearDown() override {
        ccGLEndFrame();
        CCSpriteFrameCache::purgeSharedSpriteFrameCache();
        CCShaderCache::purgeSharedShaderCache();
        CCPoolManager::sharedPoolManager()->finalize();
        kmGLFreeAll();
    }
};

struct Holder {
    // Game classes keep a batch node by value.
    CCSpriteBatchNode batch;
};

}  // namespace

TEST_F(SpriteTest, RotatedFrameShowsUprightWithItsLeftEdgeFromTheStoredTopRow) {
    // "duo" 96x48 upright, stored turned clockwise as 48x96 texels at (10, 20).
    CCTexture2D* sheet = texture(128, 128);
    CCSpriteFrame* frame =
        CCSpriteFrame::createWithTexture(sheet, CCRect(10, 20, 96, 48), true, CCPointZero, CCSize(96, 48));
    CCSprite* s = CCSprite::createWithSpriteFrame(frame);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->getContentSize(), CCSize(96, 48));
    EXPECT_EQ(box(s->getQuad()), (std::vector<float>{0, 0, 96, 48}));
    const float left = 10 / 128.f, right = (10 + 48) / 128.f, top = 20 / 128.f, bottom = (20 + 96) / 128.f;
    // Upright left edge = stored top row; upright top edge = stored right column.
    EXPECT_EQ(uv(s->getQuad()), (std::vector<float>{left, top, right, top, right, bottom, left, bottom}));
}

TEST_F(SpriteTest, TrimmedFrameSitsAtItsOffsetWithYUpAndKeepsTheOriginalSize) {
    CCTexture2D* sheet = texture(64, 64);
    // A 32x32 piece of a 64x64 image, its centre 16 right and 16 up of the original's.
    CCSpriteFrame* frame =
        CCSpriteFrame::createWithTexture(sheet, CCRect(0, 0, 32, 32), false, CCPoint(16, 16), CCSize(64, 64));
    CCSprite* s = CCSprite::createWithSpriteFrame(frame);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->getContentSize(), CCSize(64, 64));
    EXPECT_EQ(box(s->getQuad()), (std::vector<float>{32, 32, 64, 64}));
    // A negative offset moves it down-left.
    CCSpriteFrame* low =
        CCSpriteFrame::createWithTexture(sheet, CCRect(0, 0, 32, 32), false, CCPoint(-16, -8), CCSize(64, 64));
    s->setDisplayFrame(low);
    EXPECT_EQ(box(s->getQuad()), (std::vector<float>{0, 8, 32, 40}));
    // The node's size may change afterwards without moving the quad.
    s->setContentSize(CCSize(200, 10));
    EXPECT_EQ(box(s->getQuad()), (std::vector<float>{0, 8, 32, 40}));
}

TEST_F(SpriteTest, OnePixelTextureIsStretchedOverTheRequestedRect) {
    CCSprite* s = CCSprite::create();
    ASSERT_NE(s, nullptr);
    s->setTexture(texture(1, 1));
    s->setTextureRect(CCRect(0, 0, 100, 50));
    EXPECT_EQ(s->getContentSize(), CCSize(100, 50));
    EXPECT_EQ(box(s->getQuad()), (std::vector<float>{0, 0, 100, 50}));
    // rect / texture pixels: clamped to the edge texel when drawn.
    EXPECT_EQ(uv(s->getQuad()), (std::vector<float>{0, 50, 0, 0, 100, 0, 100, 50}));
}

TEST_F(SpriteTest, OpacityIsPremultipliedIntoTheTintAndStraightAlphaTexturesBlendByAlpha) {
    CCTexture2D* premul = texture(4, 4);
    ASSERT_TRUE(premul->hasPremultipliedAlpha());
    CCSprite* s = CCSprite::createWithTexture(premul);
    s->setColor(ccc3(255, 128, 0));
    s->setOpacity(128);
    // (r, g, b) scaled by opacity: a fading sprite never shows a bright halo.
    EXPECT_EQ(rgba(s->getQuad().tl.colors), (std::vector<int>{128, 64, 0, 128}));
    EXPECT_EQ(s->getBlendFunc(), ccBlendFuncMake(GL_ONE, GL_ONE_MINUS_SRC_ALPHA));
    EXPECT_EQ(s->getColor().g, 128);
    EXPECT_EQ(s->getOpacity(), 128);
    // All four corners carry it.
    EXPECT_EQ(s->getQuad().br.colors.r, 128);

    // A straight-alpha texture keeps the colour and blends by its alpha.
    const pngtest::Bytes png = pngtest::solid(2, 2, 255, 0, 0, 128);
    CCImage* image = new CCImage();
    ASSERT_TRUE(image->initWithPngDataStraightAlpha(png.data(), png.size()));
    CCTexture2D* straight = new CCTexture2D();
    ASSERT_TRUE(straight->initWithImage(image));
    image->release();
    ASSERT_FALSE(straight->hasPremultipliedAlpha());
    s->setTexture(straight);
    straight->release();
    EXPECT_EQ(rgba(s->getQuad().tl.colors), (std::vector<int>{255, 128, 0, 128}));
    EXPECT_EQ(s->getBlendFunc(), ccBlendFuncMake(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
}

TEST_F(SpriteTest, DisplayFrameFromAnotherSheetSwitchesTextureRectAndSize) {
    CCTexture2D* first = texture(64, 64);
    CCTexture2D* second = texture(32, 16);
    CCSprite* s = CCSprite::createWithTexture(first);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->getContentSize(), CCSize(64, 64));
    CCSpriteFrame* frame = CCSpriteFrame::createWithTexture(second, CCRect(16, 0, 16, 16));
    s->setDisplayFrame(frame);
    EXPECT_EQ(s->getTexture(), second);
    EXPECT_EQ(s->getContentSize(), CCSize(16, 16));
    EXPECT_FLOAT_EQ(s->getQuad().bl.texCoords.u, 0.5f);
    EXPECT_FLOAT_EQ(s->getQuad().tr.texCoords.u, 1.0f);
    EXPECT_TRUE(s->isFrameDisplayed(frame));
    // Frames drive animations: the sprite is a display-frame target.
    DisplayFrameTarget* target = s;
    target->setDisplayFrame(CCSpriteFrame::createWithTexture(first, CCRect(0, 0, 8, 8)));
    EXPECT_EQ(s->getTexture(), first);
    EXPECT_FALSE(s->isFrameDisplayed(frame));
    s->setDisplayFrame(nullptr);  // ignored
    EXPECT_EQ(s->getTexture(), first);
}

TEST_F(SpriteTest, MissingFilesAndFramesGiveNull) {
    EXPECT_EQ(CCSprite::create("no/such/file.png"), nullptr);
    EXPECT_EQ(CCSprite::createWithSpriteFrameName("nobody.png"), nullptr);
    EXPECT_EQ(CCSprite::createWithSpriteFrame(nullptr), nullptr);
    EXPECT_EQ(CCSprite::createWithTexture(nullptr), nullptr);
    CCSprite* empty = CCSprite::create();
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getAnchorPoint(), CCPoint(0.5f, 0.5f));
    // A sprite without a texture submits nothing.
    empty->visit();
    EXPECT_EQ(QuadBatcher::sharedBatcher()->pendingQuads(), 0u);

    CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFrame(
        CCSpriteFrame::createWithTexture(texture(8, 8), CCRect(0, 0, 8, 8)), "known.png");
    EXPECT_NE(CCSprite::createWithSpriteFrameName("known.png"), nullptr);
}

TEST_F(SpriteTest, StandardSpritesBatchInWorldSpaceAndOwnProgramsDrawAlone) {
    CCTexture2D* sheet = texture(16, 16);
    CCNode* root = CCNode::create();
    CCSprite* a = CCSprite::createWithTexture(sheet);
    CCSprite* b = CCSprite::createWithTexture(sheet);
    a->setPosition(CCPoint(100, 100));
    b->setPosition(CCPoint(200, 100));
    b->setScale(2);
    root->addChild(a);
    root->addChild(b);
    root->visit();
    QuadBatcher* batcher = QuadBatcher::sharedBatcher();
    ASSERT_EQ(batcher->pendingQuads(), 2u);
    // Centred on the position: 16 wide at scale 1, 32 at scale 2.
    EXPECT_EQ(box(batcher->pendingVertices()[0]), (std::vector<float>{92, 92, 108, 108}));
    EXPECT_EQ(box(batcher->pendingVertices()[1]), (std::vector<float>{184, 84, 216, 116}));
    ccGLEndFrame();
    EXPECT_EQ(ccGLDrawCallsLastFrame(), 1u);

    // A custom program: flushed before it, one draw of its own.
    CCGLProgram* custom = new CCGLProgram();
    ASSERT_TRUE(custom->initWithVertexShaderByteArray(
        ccPositionTextureA8Color_vert, "void main() { gl_FragColor = texture2D(CC_Texture0, vec2(0.0)); }"));
    ASSERT_TRUE(custom->link());
    b->setShaderProgram(custom);
    custom->release();
    root->visit();
    EXPECT_EQ(batcher->pendingQuads(), 0u);  // a was flushed, b drew alone
    ccGLEndFrame();
    EXPECT_EQ(ccGLDrawCallsLastFrame(), 2u);

    // A program that failed draws batched with the standard one instead.
    CCGLProgram* broken = new CCGLProgram();
    EXPECT_FALSE(broken->initWithVertexShaderByteArray(ccPositionTextureA8Color_vert, nullptr));
    b->setShaderProgram(broken);
    broken->release();
    root->visit();
    EXPECT_EQ(batcher->pendingQuads(), 2u);
    ccGLEndFrame();
    EXPECT_EQ(ccGLDrawCallsLastFrame(), 1u);
}

TEST_F(SpriteTest, BatchNodeWorksAsAValueMemberAndDrawsNothingOfItsOwn) {
    Holder holder;
    EXPECT_TRUE(holder.batch.init());
    holder.batch.addChild(CCSprite::createWithTexture(texture(4, 4)));
    holder.batch.visit();
    EXPECT_EQ(QuadBatcher::sharedBatcher()->pendingQuads(), 1u);  // only the child
    holder.batch.removeAllChildren();
    EXPECT_NE(CCSpriteBatchNode::create(), nullptr);
    EXPECT_EQ(CCSpriteBatchNode::create("no/such.png"), nullptr);
}
