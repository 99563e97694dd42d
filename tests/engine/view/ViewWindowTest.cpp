// The view with a window back-end (ENGINE_HEADLESS=0), driven by fakes: a
// window that cannot start, and one that reports scripted window events.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "ViewTestSupport.h"
#include "director/EngineHooks.h"

using namespace cocos2d;
using namespace viewtest;

namespace {

// Plays one list of window callbacks per poll, as GLFW would report them.
class FakeWindow : public ViewBackend {
public:
    explicit FakeWindow(std::deque<std::function<void(CCEGLView*)>>* polls) : m_polls(polls) {}
    const char* getName() const override { return "fake"; }
    bool isOpenGLReady() const override { return true; }
    bool hasNativeWindow() const override { return true; }
    uintptr_t nativeWindowId() const override { return 42; }
    void pollEvents(CCEGLView* view) override {
        if (m_polls->empty()) return;
        auto poll = m_polls->front();
        m_polls->pop_front();
        if (poll) poll(view);
    }
    void swapBuffers() override {}

private:
    std::deque<std::function<void(CCEGLView*)>>* m_polls;
};

class WindowView : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(engineHooks().headless) << "these run with ENGINE_HEADLESS=0"; }
    void TearDown() override {
        CCEGLView::setBackendFactory(nullptr);
        CCDirector::resetForTest();
    }
    void useFake() {
        CCEGLView::setBackendFactory([this] { return std::unique_ptr<ViewBackend>(new FakeWindow(&polls)); });
        CCDirector::resetForTest();
    }
    std::deque<std::function<void(CCEGLView*)>> polls;
};

TEST_F(WindowView, AFailedStartIsReportedNotRunHeadless) {
    CCEGLView::setBackendFactory([] { return std::unique_ptr<ViewBackend>(); });
    CCDirector::resetForTest();
    CCEGLView* view = CCEGLView::sharedOpenGLView();
    EXPECT_FALSE(view->isHeadless());
    EXPECT_FALSE(view->hasNativeWindow());
    EXPECT_EQ(view->getHWnd(), 0u);
    // Window calls are harmless no-ops.
    view->setFullscreen(true);
    EXPECT_FALSE(view->isFullscreen());
    const unsigned char icon[4] = {1, 2, 3, 4};
    view->setIcon(icon, 1, 1);
    view->setViewName("x");
    EXPECT_EQ(view->getMonitorRect().size, CCSize());
    TestApp app;
    EXPECT_EQ(app.run(), 1);
    EXPECT_EQ(app.launches, 0) << "nothing is launched without a window";
}

std::vector<std::string> g_log;

class TouchAndBackLayer : public CCLayer {
public:
    bool init() override {
        if (!CCLayer::init()) return false;
        setTouchMode(kCCTouchesOneByOne);
        setTouchEnabled(true);
        setKeypadEnabled(true);
        return true;
    }
    // GL locations: y up from the bottom of the 640-high window.
    bool ccTouchBegan(CCTouch* t, CCEvent*) override { return note("began", t); }
    void ccTouchMoved(CCTouch* t, CCEvent*) override { note("moved", t); }
    void ccTouchEnded(CCTouch* t, CCEvent*) override { note("ended", t); }
    bool note(const char* what, CCTouch* t) {
        g_log.push_back(std::string(what) + " " + std::to_string(static_cast<int>(t->getLocation().x)) + "," +
                        std::to_string(static_cast<int>(t->getLocation().y)));
        return true;
    }
    void ccTouchCancelled(CCTouch*, CCEvent*) override { g_log.push_back("cancelled"); }
    void keyBackClicked() override { g_log.push_back("back"); }
    void keyDown(int) override { g_log.push_back("key code"); }  // Escape gives none
};

TEST_F(WindowView, MouseKeysFocusAndTheCloseButtonArriveInOrder) {
    useFake();
    ViewKeyEvent esc;
    esc.key = kViewKeyEscape;
    esc.pressed = true;
    ViewKeyEvent a;
    a.key = 65;
    a.text = 'a';
    a.pressed = true;
    polls = {
        nullptr,
        [&](CCEGLView* v) {           // frame 2
            v->queueMouseMove(5, 5);  // hovering: no touch
            v->queueMouseButton(true, 100, 50);
            v->queueMouseMove(100, 50);  // unchanged: no move
            v->queueMouseMove(130, 50);
            v->queueKey(a);
            v->queueKey(esc);
            v->queueKey(esc);     // auto-repeat: neither back nor the sink
            v->queueFocusLost();  // the held touch is cancelled
        },
        [&](CCEGLView* v) {                       // frame 3
            v->queueMouseButton(false, 130, 50);  // the release after the cancel
            v->queueMouseButton(true, 10, 600);
            v->queueMouseMove(20, 600);
            v->queueMouseButton(false, 30, 600);
            v->queueMouseMove(40, 600);  // released: no touch
            v->requestClose();           // as the close button does
        },
    };
    TestApp app;
    std::vector<int> keys;
    std::vector<std::string> hook;
    app.onLaunch = [&] {
        CCEGLView* view = CCDirector::sharedDirector()->getOpenGLView();
        EXPECT_EQ(view->getHWnd(), 42u);
        view->setKeySink([&](const ViewKeyEvent& k) { keys.push_back(k.pressed ? k.key + k.text : -k.key); });
        view->setWndProc([&](const ViewEvent& e) { hook.push_back(std::to_string(e.type)); });
        auto* layer = new TouchAndBackLayer();
        layer->init();
        layer->autorelease();
        app.scene->addChild(layer);
    };
    CCDirector::sharedDirector()->setFixedDeltaTime(true);
    CCDirector::sharedDirector()->setFrameLimit(20);
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(keys, (std::vector<int>{65 + 'a', kViewKeyEscape}));
    EXPECT_EQ(g_log, (std::vector<std::string>{"began 100,590", "moved 130,590", "back", "cancelled", "began 10,40",
                                               "moved 20,40", "ended 30,40"}));
    EXPECT_EQ(hook, (std::vector<std::string>{"0"}));
    EXPECT_EQ(app.scene->tickFrames, (std::vector<unsigned int>{1, 2})) << "the close ends run() before frame 3 ticks";
}

}  // namespace
