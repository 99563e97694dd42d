// Window pixels to touch locations under each policy, the touch's history,
// and the layer's registration life cycle.
#include "InputTestSupport.h"

namespace inputtest {
namespace {

class Logger : public CCLayer {
public:
    static Logger* make(ccTouchesMode mode) {
        auto* layer = new Logger();
        layer->init();
        layer->autorelease();
        layer->setTouchMode(mode);
        return layer;
    }
    bool ccTouchBegan(CCTouch* t, CCEvent*) override {
        points.push_back(t->getLocation());
        starts.push_back(t->getPreviousLocation());
        return true;
    }
    void ccTouchMoved(CCTouch* t, CCEvent*) override {
        points.push_back(t->getLocation());
        starts.push_back(t->getPreviousLocation());
    }
    void ccTouchEnded(CCTouch* t, CCEvent*) override { points.push_back(t->getLocation()); }
    void ccTouchesBegan(CCSet* s, CCEvent*) override { standardCalls += s->count(); }
    std::vector<CCPoint> points, starts;
    int standardCalls = 0;
};

class TouchConversionTest : public InputTest {
protected:
    CCEGLView* view() { return CCDirector::sharedDirector()->getOpenGLView(); }
    void setUp(float fw, float fh, float dw, float dh, int policy) {
        view()->setFrameSize(fw, fh);
        view()->setDesignResolutionSize(dw, dh, policy);
    }
};

#define EXPECT_POINT(p, ex, ey)       \
    do {                              \
        EXPECT_NEAR((p).x, ex, 1e-3); \
        EXPECT_NEAR((p).y, ey, 1e-3); \
    } while (0)

TEST_F(TouchConversionTest, FramePixelsMapIntoTheDesignAreaUnderEachPolicy) {
    const struct {
        const char* what;
        float frameW, frameH;
        int policy;
        float px, py, x, y;
    } rows[] = {
        // Show all, letterboxed left and right: scale 0.9375, viewport x 190.
        {"show all, bars left and right", 1280, 600, kResolutionShowAll, 640, 300, 480, 320},
        {"show all, bars left and right", 1280, 600, kResolutionShowAll, 190, 0, 0, 0},
        {"show all, bars left and right", 1280, 600, kResolutionShowAll, 1090, 600, 960, 640},
        // The viewport top is 20 px down.
        {"show all, bars top and bottom", 960, 680, kResolutionShowAll, 0, 20, 0, 0},
        {"show all, bars top and bottom", 960, 680, kResolutionShowAll, 480, 340, 480, 320},
        // Scale 4/3: the design area overhangs the frame by 126.7 px above
        // and below, which is 95 design units.
        {"no border", 1280, 600, kResolutionNoBorder, 640, 300, 480, 320},
        {"no border", 1280, 600, kResolutionNoBorder, 0, 0, 0, 95},
        {"exact fit stretches each axis", 1920, 320, kResolutionExactFit, 1920, 160, 960, 320},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        setUp(r.frameW, r.frameH, 960, 640, r.policy);
        EXPECT_POINT(TouchInput::frameToView(*view(), r.px, r.py), r.x, r.y);
    }
}

TEST_F(TouchConversionTest, TouchesCarryGLLocationsAndTheirHistory) {
    setUp(1280, 600, 960, 640, kResolutionShowAll);
    CCScene* scene = CCScene::create();
    Logger* layer = Logger::make(kCCTouchesOneByOne);
    layer->setTouchEnabled(true);
    scene->addChild(layer);
    scene->onEnter();

    // Unchanged moves, cancels and releases are the view's mouse test's.
    TouchInput input;
    input.touchBegan(0, 640, 300);
    input.touchMoved(0, 715, 300);
    input.touchEnded(0, 715, 300);
    ASSERT_EQ(layer->points.size(), 3u);
    EXPECT_POINT(layer->points[1], 560, 320);
    // A fresh touch starts with no movement; a move keeps where it was.
    EXPECT_POINT(layer->starts[0], 480, 320);
    EXPECT_POINT(layer->starts[1], 480, 320);
    scene->onExit();
}

TEST_F(TouchConversionTest, NodesConvertTouchesIntoTheirOwnSpace) {
    CCNode* node = CCNode::create();
    node->setPosition(100, 50);
    node->setRotation(90);
    CCTouch* touch = touchAt(100, 150);
    // 100 above the node's origin is 100 along its -x after a clockwise turn.
    EXPECT_POINT(node->convertTouchToNodeSpace(touch), -100, 0);
    node->setContentSize(CCSize(20, 20));
    node->setAnchorPoint(CCPoint(0.5f, 0.5f));
    EXPECT_POINT(node->convertTouchToNodeSpaceAR(touch), -100, 0);
    EXPECT_POINT(node->convertTouchToNodeSpace(nullptr), 0, 0);
}

TEST_F(TouchConversionTest, LayersRegisterWhileRunningAndFollowTheirSwitches) {
    CCDirector* director = CCDirector::sharedDirector();
    CCTouchDispatcher* touches = director->getTouchDispatcher();
    CCKeypadDispatcher* keypad = director->getKeypadDispatcher();
    CCAccelerometer* accelerometer = director->getAccelerometer();
    CCScene* scene = CCScene::create();
    Logger* layer = Logger::make(kCCTouchesAllAtOnce);
    layer->setTouchEnabled(true);
    layer->setKeypadEnabled(true);
    layer->setAccelerometerEnabled(true);
    scene->addChild(layer);
    EXPECT_FALSE(touches->hasDelegate(layer));  // not running yet

    scene->onEnter();
    EXPECT_TRUE(touches->hasDelegate(layer));
    EXPECT_EQ(touches->getPriority(layer), 0);
    EXPECT_TRUE(keypad->hasDelegate(layer));
    EXPECT_EQ(accelerometer->getDelegate(), layer);
    // All at once: a standard delegate.
    TouchInput input;
    input.touchBegan(0, 1, 1);
    EXPECT_EQ(layer->standardCalls, 1);
    EXPECT_TRUE(layer->points.empty());
    input.touchEnded(0, 1, 1);

    // Switching while running re-registers at once.
    layer->setTouchMode(kCCTouchesOneByOne);
    layer->setTouchPriority(-7);
    EXPECT_EQ(touches->getPriority(layer), -7);
    input.touchBegan(0, 1, 1);
    EXPECT_EQ(layer->points.size(), 1u);
    input.touchEnded(0, 1, 1);
    layer->setTouchEnabled(false);
    layer->setKeypadEnabled(false);
    EXPECT_FALSE(touches->hasDelegate(layer));
    EXPECT_FALSE(keypad->hasDelegate(layer));
    layer->setTouchEnabled(true);
    layer->setKeypadEnabled(true);

    scene->onExit();
    EXPECT_FALSE(touches->hasDelegate(layer));
    EXPECT_FALSE(keypad->hasDelegate(layer));
    EXPECT_EQ(accelerometer->getDelegate(), nullptr);
}

}  // namespace
}  // namespace inputtest
