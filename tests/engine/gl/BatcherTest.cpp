#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "gl/CCDrawingPrimitives.h"
#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl/QuadBatcher.h"
#include "gl/ccGLStateCache.h"
#include "math/kazmath.h"
#include "scene/CCNode.h"
#include "textures/CCTexture2D.h"

using namespace cocos2d;

namespace {

CCTexture2D* makeTexture() {
    const unsigned char px[4] = {255, 255, 255, 255};
    CCTexture2D* t = new CCTexture2D();
    t->initWithData(px, kCCTexture2DPixelFormat_RGBA8888, 1, 1, CCSize(1, 1));
    return t;
}

ccV3F_C4B_T2F_Quad unitQuad() {
    ccV3F_C4B_T2F_Quad q;
    q.bl.vertices = ccVertex3F{0, 0, 0};
    q.br.vertices = ccVertex3F{1, 0, 0};
    q.tl.vertices = ccVertex3F{0, 1, 0};
    q.tr.vertices = ccVertex3F{1, 1, 0};
    return q;
}

class BatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        kmGLFreeAll();
        ccGLEndFrame();
        ccGLEndFrame();  // a clean "last frame" too
        batcher = QuadBatcher::sharedBatcher();
        texA = makeTexture();
        texB = makeTexture();
    }
    void TearDown() override {
        ccGLEndFrame();
        texA->release();
        texB->release();
        CCShaderCache::purgeSharedShaderCache();
        CCPoolManager::sharedPoolManager()->finalize();
        kmGLFreeAll();
    }
    unsigned long long flushesDuring(void (*fn)()) {
        batcher->addQuad(texA, nullptr, ccBlendFunc(), unitQuad());
        const unsigned long long before = batcher->flushCount();
        fn();
        return batcher->flushCount() - before;
    }

    QuadBatcher* batcher = nullptr;
    CCTexture2D* texA = nullptr;
    CCTexture2D* texB = nullptr;
};

// A node whose draw uses the node set-up macro without having a program.
class PlainNode : public CCNode {
public:
    void draw() override { CC_NODE_DRAW_SETUP(); }
};

// A node with a program, the way game nodes carry one.
class ProgramNode : public CCNode {
public:
    CCGLProgram* getShaderProgram() {
        return CCShaderCache::sharedShaderCache()->programForKey(kCCShader_Position_uColor);
    }
    void draw() override { CC_NODE_DRAW_SETUP(); }
};

}  // namespace

TEST_F(BatcherTest, ConsecutiveQuadsOfOneStateShareOneDrawAndAnyChangeStartsAnother) {
    const ccBlendFunc premultiplied;
    const ccBlendFunc additive = ccBlendFuncMake(GL_SRC_ALPHA, GL_ONE);
    CCGLProgram* other = CCShaderCache::sharedShaderCache()->programForKey(kCCShader_PositionTexture_uColor);
    const unsigned long long start = batcher->flushCount();

    for (int i = 0; i < 10; ++i) batcher->addQuad(texA, nullptr, premultiplied, unitQuad());
    EXPECT_EQ(batcher->pendingQuads(), 10u);
    EXPECT_EQ(batcher->flushCount(), start);
    batcher->addQuad(texB, nullptr, premultiplied, unitQuad());  // texture
    batcher->addQuad(texB, nullptr, additive, unitQuad());       // blend
    batcher->addQuad(texB, other, additive, unitQuad());         // program
    batcher->addQuad(texB, other, additive, unitQuad());
    EXPECT_EQ(batcher->flushCount(), start + 3);
    EXPECT_EQ(batcher->pendingQuads(), 2u);
    ccGLEndFrame();
    EXPECT_EQ(batcher->pendingQuads(), 0u);
    EXPECT_EQ(ccGLDrawCallsLastFrame(), 4u);

    // Null and invalid programs both mean the standard one, so they batch together.
    CCGLProgram* invalid = new CCGLProgram();
    batcher->addQuad(texA, nullptr, premultiplied, unitQuad());
    batcher->addQuad(texA, invalid, premultiplied, unitQuad());
    EXPECT_EQ(batcher->pendingQuads(), 2u);
    EXPECT_EQ(batcher->pendingProgram(),
              CCShaderCache::sharedShaderCache()->programForKey(kCCShader_PositionTextureColor));
    invalid->release();
}

// The model-view itself is checked on every corner below.
TEST_F(BatcherTest, AnExplicitMatrixWinsOverTheModelView) {
    kmGLMatrixMode(KM_GL_MODELVIEW);
    kmGLPushMatrix();
    kmGLTranslatef(100, 50, 0);
    kmMat4 rot;
    kmMat4RotationAxisAngle(&rot, 0, 0, 1, 3.14159265f / 2);
    const ccV3F_C4B_T2F_Quad unit = unitQuad();
    batcher->addQuads(texA, nullptr, ccBlendFunc(), &unit, 1, rot);
    kmGLPopMatrix();
    const ccV3F_C4B_T2F_Quad& r = batcher->pendingVertices().at(0);
    EXPECT_NEAR(r.br.vertices.x, 0, 1e-5);
    EXPECT_NEAR(r.br.vertices.y, 1, 1e-5);
}

// Single quads and runs, past the batch's first allocation: every corner
// keeps its colour and texture coordinates, its position (z included) goes
// through the model-view, and quads added earlier survive the batch growing.
TEST_F(BatcherTest, QuadsKeepColourAndTexCoordsAndSurviveTheBatchGrowing) {
    auto tagged = [](int i) {
        ccV3F_C4B_T2F_Quad q = unitQuad();
        int corner = 0;
        for (ccV3F_C4B_T2F* v : {&q.tl, &q.bl, &q.tr, &q.br}) {
            v->vertices.z = static_cast<float>(corner);
            v->colors =
                ccColor4B{static_cast<GLubyte>(i), static_cast<GLubyte>(i >> 8), static_cast<GLubyte>(corner), 200};
            v->texCoords = ccTex2F{static_cast<float>(i) / 4096.0f, static_cast<float>(corner) / 4.0f};
            ++corner;
        }
        return q;
    };
    kmGLMatrixMode(KM_GL_MODELVIEW);
    kmGLPushMatrix();
    kmGLTranslatef(10, 20, 30);
    kmGLScalef(2, 3, 4);
    const int singles = 1500, run = 700;
    for (int i = 0; i < singles; ++i) batcher->addQuad(texA, nullptr, ccBlendFunc(), tagged(i));
    std::vector<ccV3F_C4B_T2F_Quad> more;
    for (int i = singles; i < singles + run; ++i) more.push_back(tagged(i));
    batcher->addQuads(texA, nullptr, ccBlendFunc(), more.data(), more.size());
    kmGLPopMatrix();

    ASSERT_EQ(batcher->pendingQuads(), static_cast<std::size_t>(singles + run));
    for (int i = 0; i < singles + run; i += 37) {
        SCOPED_TRACE(i);
        const ccV3F_C4B_T2F_Quad& got = batcher->pendingVertices().at(static_cast<std::size_t>(i));
        ccV3F_C4B_T2F_Quad moved = tagged(i);
        for (ccV3F_C4B_T2F* v : {&moved.tl, &moved.bl, &moved.tr, &moved.br})
            v->vertices = ccVertex3F{10 + 2 * v->vertices.x, 20 + 3 * v->vertices.y, 30 + 4 * v->vertices.z};
        EXPECT_EQ(0, std::memcmp(&got, &moved, sizeof got));
    }
    EXPECT_THROW(batcher->pendingVertices().at(static_cast<std::size_t>(singles + run)), std::out_of_range);
}

TEST_F(BatcherTest, TextureIsHeldUntilTheFlushEvenWhenItsOwnerLetsGo) {
    CCTexture2D* t = makeTexture();
    batcher->addQuad(t, nullptr, ccBlendFunc(), unitQuad());
    EXPECT_EQ(t->retainCount(), 2u);
    t->release();  // the owner is gone; the pending batch still draws from it
    EXPECT_EQ(batcher->pendingTexture(), t);
    EXPECT_EQ(t->retainCount(), 1u);
    ccGLFlushBatch();  // the last reference goes here, without a crash
    EXPECT_EQ(batcher->pendingTexture(), nullptr);
}

TEST_F(BatcherTest, MoreQuadsThanOneDrawHoldsAreSplit) {
    std::vector<ccV3F_C4B_T2F_Quad> many(QuadBatcher::kMaxQuads + 5, unitQuad());
    const unsigned long long before = batcher->flushCount();
    batcher->addQuads(texA, nullptr, ccBlendFunc(), many.data(), many.size());
    EXPECT_EQ(batcher->flushCount(), before + 1);
    EXPECT_EQ(batcher->pendingQuads(), 5u);
}

TEST_F(BatcherTest, EveryStateCacheCallProgramCallAndPrimitiveIsAFlushPoint) {
    static auto uColor = [] { return CCShaderCache::sharedShaderCache()->programForKey(kCCShader_Position_uColor); };
    const std::pair<const char*, void (*)()> points[] = {
        {"ccGLUseProgram", [] { ccGLUseProgram(0); }},
        {"ccGLBindTexture2D", [] { ccGLBindTexture2D(0); }},
        {"ccGLBlendFunc", [] { ccGLBlendFunc(GL_ONE, GL_ONE); }},
        {"ccGLEnableVertexAttribs", [] { ccGLEnableVertexAttribs(kCCVertexAttribFlag_Position); }},
        {"ccGLDeleteTexture", [] { ccGLDeleteTexture(0); }},
        {"ccGLDeleteProgram", [] { ccGLDeleteProgram(0); }},
        {"use", [] { uColor()->use(); }},
        {"setUniformsForBuiltins", [] { uColor()->setUniformsForBuiltins(); }},
        {"setUniformLocationWith1f", [] { uColor()->setUniformLocationWith1f(-1, 1); }},
        {"ccDrawRect", [] { ccDrawRect(CCPoint(0, 0), CCPoint(1, 1)); }},
        {"ccDrawSolidRect",
         [] {
             ccDrawSolidRect(CCPoint(0, 0), CCPoint(1, 1), ccColor4F{1, 1, 1, 1});
         }},
        {"node set-up without a program", [] { PlainNode().draw(); }},
        {"node set-up with a program", [] { ProgramNode().draw(); }},
        {"ccGLEndFrame", [] { ccGLEndFrame(); }},
    };
    for (const auto& [name, call] : points) EXPECT_EQ(flushesDuring(call), 1u) << name;
}

TEST_F(BatcherTest, DrawCountOfAFrameAddsBatchesPrimitivesAndRawDraws) {
    // Sprite-like quad, a raw client-array draw counted by hand, another quad.
    batcher->addQuad(texA, nullptr, ccBlendFunc(), unitQuad());
    ccGLUseProgram(0);
    CC_INCREMENT_GL_DRAWS(1);
    batcher->addQuad(texA, nullptr, ccBlendFunc(), unitQuad());
    EXPECT_EQ(ccGLDrawCallsThisFrame(), 2u);
    ccGLEndFrame();
    EXPECT_EQ(ccGLDrawCallsLastFrame(), 3u);
    EXPECT_EQ(ccGLDrawCallsThisFrame(), 0u);

    ccDrawColor4F(0.75f, 0.75f, 0.75f, 0.75f);
    ccDrawRect(CCPoint(280, 300), CCPoint(680, 340));
    ccDrawSolidRect(CCPoint(280, 300), CCPoint(480, 340), ccColor4F{0.75f, 0.75f, 0.75f, 0.75f});
    ccGLEndFrame();
    EXPECT_EQ(ccGLDrawCallsLastFrame(), 2u);
    ccGLEndFrame();
    EXPECT_EQ(ccGLDrawCallsLastFrame(), 0u);  // an empty frame draws nothing
}
