// Affine transforms, node placement and the matrix stack.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "math/CCAffineTransform.h"
#include "math/kazmath.h"
#include "scene/CCLayer.h"
#include "scene/CCNode.h"

using namespace cocos2d;

namespace {

void expectPointNear(const CCPoint& actual, float x, float y, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
}

void expectTransformNear(const CCAffineTransform& t, const CCAffineTransform& u, float tolerance = 1e-4f) {
    for (float CCAffineTransform::*m : {&CCAffineTransform::a, &CCAffineTransform::b, &CCAffineTransform::c,
                                        &CCAffineTransform::d, &CCAffineTransform::tx, &CCAffineTransform::ty})
        EXPECT_NEAR(t.*m, u.*m, tolerance);
}

// A node kept alive by the test, released when the test ends.
template <class T>
struct Owned {
    T* node;
    Owned() : node(new T()) { node->init(); }
    ~Owned() { node->release(); }
    T* operator->() { return node; }
};

const CCAffineTransform kTranslate = CCAffineTransformTranslate(CCAffineTransformIdentity, 10, 0);
const CCAffineTransform kRotate = CCAffineTransformRotate(CCAffineTransformIdentity, float(M_PI / 2));

}  // namespace

TEST(AffineTransform, PointsMapThroughConcatBuildersAndInverse) {
    const CCAffineTransform t = CCAffineTransformMake(1.5f, -0.5f, 0.25f, 2.0f, 7.0f, -3.0f);
    const struct {
        const char* name;
        CCAffineTransform transform;
        CCPoint in, out;
    } rows[] = {
        // Concat applies the first, then the second (rotation counter-clockwise).
        {"translate then rotate", CCAffineTransformConcat(kTranslate, kRotate), CCPointZero, ccp(0, 10)},
        {"rotate then translate", CCAffineTransformConcat(kRotate, kTranslate), CCPointZero, ccp(10, 0)},
        // Translate/Rotate/Scale apply the new step first.
        {"built", CCAffineTransformScale(CCAffineTransformTranslate(kRotate, 5, 0), 2, 3), ccp(1, 1), ccp(-3, 7)},
        {"inverse", CCAffineTransformInvert(t), CCPointApplyAffineTransform(ccp(3.5f, -8), t), ccp(3.5f, -8)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        expectPointNear(CCPointApplyAffineTransform(row.in, row.transform), row.out.x, row.out.y);
    }
    expectTransformNear(CCAffineTransformConcat(t, CCAffineTransformInvert(t)), CCAffineTransformIdentity);
    // A singular matrix inverts to the identity, never to NaN.
    for (const CCAffineTransform& singular :
         {CCAffineTransformMake(0, 0, 0, 0, 5, 5), CCAffineTransformMake(1, 2, 2, 4, 1, 1),  // parallel columns
          CCAffineTransformMake(NAN, 0, 0, 1, 0, 0)})
        EXPECT_TRUE(CCAffineTransformEqualToTransform(CCAffineTransformInvert(singular), CCAffineTransformIdentity));
}

TEST(AffineTransform, RectAndSizeApplication) {
    CCAffineTransform rotate = CCAffineTransformRotate(CCAffineTransformMake(1, 0, 0, 1, 100, 0), float(M_PI / 2));
    CCRect box = CCRectApplyAffineTransform(CCRect(0, 0, 10, 20), rotate);
    expectPointNear(box.origin, 80, 0);
    expectPointNear(ccp(box.size.width, box.size.height), 20, 10);
    // Sizes ignore the translation.
    CCSize s = CCSizeApplyAffineTransform(CCSize(2, 3), CCAffineTransformMake(2, 0, 0, 2, 50, 50));
    expectPointNear(ccp(s.width, s.height), 4, 6);
}

TEST(NodeTransform, RotatedMirroredChildUnderRotatedParentMatchesHandValues) {
    Owned<CCNode> parent, child;
    parent->setPosition(ccp(100, 50));
    parent->setRotation(90);  // clockwise
    child->setContentSize(CCSize(10, 20));
    child->setAnchorPoint(ccp(0.5f, 0.5f));
    child->setPosition(ccp(10, 0));
    child->setRotation(30);
    child->setScaleX(-2);
    parent->addChild(child.node);

    CCAffineTransform world = child->nodeToWorldTransform();
    expectPointNear(CCPointApplyAffineTransform(ccp(5, 10), world), 100, 40);
    expectPointNear(CCPointApplyAffineTransform(ccp(6, 10), world), 101, 41.732051f);
    expectPointNear(CCPointApplyAffineTransform(ccp(5, 11), world), 100.866025f, 39.5f);
    // The conversions agree with the transform and with each other.
    expectPointNear(child->convertToWorldSpace(ccp(6, 10)), 101, 41.732051f);
    expectPointNear(child->convertToNodeSpace(ccp(101, 41.732051f)), 6, 10);
    expectPointNear(child->convertToWorldSpaceAR(CCPointZero), 100, 40);
    expectPointNear(child->convertToNodeSpaceAR(ccp(100, 40)), 0, 0);
    parent->removeChild(child.node);
}

TEST(NodeTransform, LayersIgnoreTheAnchorForTheirPosition) {
    Owned<CCLayer> layer;
    layer->setContentSize(CCSize(200, 100));
    layer->setRotation(180);
    // Rotation is about the centre; the origin stays where the position says.
    expectPointNear(CCPointApplyAffineTransform(ccp(0, 0), layer->nodeToParentTransform()), 200, 100);
    expectPointNear(CCPointApplyAffineTransform(ccp(100, 50), layer->nodeToParentTransform()), 100, 50);
    layer->setRotation(0);
    expectPointNear(CCPointApplyAffineTransform(ccp(0, 0), layer->nodeToParentTransform()), 0, 0);

    Owned<CCNode> node;
    node->setContentSize(CCSize(200, 100));
    node->setAnchorPoint(ccp(0.5f, 0.5f));
    expectPointNear(CCPointApplyAffineTransform(ccp(100, 50), node->nodeToParentTransform()), 0, 0);
}

// A linker attaches b to a: b keeps position 0, rotation 0, scale 1 and a zero
// anchor offset, and gets t = b's node-to-world followed by the inverse of a's
// as its additional transform. b must stay where it was.
TEST(NodeTransform, AttachKeepsWorldPlacementAndDecomposesBack) {
    Owned<CCNode> world, a, b;
    a->setPosition(ccp(200, -10));
    a->setRotation(-60);
    a->setScale(2);
    b->setPosition(ccp(30, 40));
    b->setRotation(25);
    b->setScaleX(1.5f);
    b->setScaleY(0.5f);
    world->addChild(a.node);
    world->addChild(b.node);
    CCAffineTransform before = b->nodeToWorldTransform();

    CCAffineTransform t = CCAffineTransformConcat(before, CCAffineTransformInvert(a->nodeToWorldTransform()));
    world->removeChild(b.node, false);
    b->setPosition(CCPointZero);
    b->setRotation(0);
    b->setScale(1);
    b->setAdditionalTransform(t);
    a->addChild(b.node);
    CCAffineTransform after = b->nodeToWorldTransform();
    expectTransformNear(after, before, 2e-3f);
    a->removeChild(b.node);
    world->removeChild(a.node);
}

class MatrixStack : public ::testing::Test {
protected:
    void SetUp() override {
        kmGLFreeAll();
        kmGLMatrixMode(KM_GL_MODELVIEW);
    }
    void TearDown() override { kmGLFreeAll(); }
    static kmMat4 top() {
        kmMat4 m;
        kmGLGetMatrix(KM_GL_MODELVIEW, &m);
        return m;
    }
};

TEST_F(MatrixStack, PushTranslateRotatePopRestoresAndBasePopIsRefused) {
    kmGLLoadIdentity();
    kmGLTranslatef(5, 0, 0);
    const kmMat4 base = top();
    kmGLPushMatrix();
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 2u);
    kmGLTranslatef(10, 0, 0);
    kmGLRotatef(90, 0, 0, 1);
    // (1, 0) rotates to (0, 1), then moves by 15 in x.
    const kmMat4 moved = top();
    expectPointNear(ccp(moved.mat[0] + moved.mat[12], moved.mat[1] + moved.mat[13]), 15, 1, 1e-5f);
    kmGLPopMatrix();
    kmMat4 restored = top();
    EXPECT_TRUE(kmMat4AreEqual(&restored, &base, 0));
    // Popping the base matrix is refused: depth and matrix stay.
    kmGLPopMatrix();
    kmGLPopMatrix();
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
    restored = top();
    EXPECT_TRUE(kmMat4AreEqual(&restored, &base, 0));
    // The projection stack is separate.
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_PROJECTION), 1u);
}

TEST_F(MatrixStack, UnbalancedPushesGrowThenResetToTheBase) {
    kmGLScalef(2, 2, 1);
    for (int i = 0; i < 100; ++i) {
        kmGLPushMatrix();
        kmGLTranslatef(1, 0, 0);
    }
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 101u);
    EXPECT_EQ(kmGLResetStackDepth(KM_GL_MODELVIEW), 100u);
    EXPECT_EQ(kmGLResetStackDepth(KM_GL_MODELVIEW), 0u);
    kmMat4 m = top(), expected;
    EXPECT_TRUE(kmMat4AreEqual(&m, kmMat4Scaling(&expected, 2, 2, 1), 0));
}

namespace {
class RecordingNode : public CCNode {
public:
    kmMat4 seen{};
    int draws = 0;
    void draw() override {
        ++draws;
        kmGLGetMatrix(KM_GL_MODELVIEW, &seen);
    }
};
}  // namespace

TEST_F(MatrixStack, ModelViewInsideDrawEqualsNodeToWorld) {
    kmGLLoadIdentity();
    Owned<CCLayer> root;
    root->setContentSize(CCSize(960, 640));
    root->setPosition(ccp(13, -7));
    root->setRotation(10);
    Owned<CCNode> middle;
    middle->setPosition(ccp(100, 200));
    middle->setRotation(-35);
    middle->setScale(0.5f);
    Owned<RecordingNode> leaf;
    leaf->setContentSize(CCSize(40, 30));
    leaf->setAnchorPoint(ccp(0.25f, 0.75f));
    leaf->setPosition(ccp(-20, 5));
    leaf->setRotation(200);
    leaf->setScaleX(-1.25f);
    leaf->setAdditionalTransform(CCAffineTransformMake(1, 0.1f, 0, 1, 3, 4));
    root->addChild(middle.node, -1);
    middle->addChild(leaf.node, 2);

    root->visit();
    ASSERT_EQ(leaf->draws, 1);
    kmMat4 expected;
    kmMat4FromAffineTransform(&expected, leaf->nodeToWorldTransform());
    EXPECT_TRUE(kmMat4AreEqual(&leaf->seen, &expected, 1e-3f));
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
    middle->removeChild(leaf.node);
    root->removeChild(middle.node);
}
