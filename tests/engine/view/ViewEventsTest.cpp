// The view's event queue and the run loop, headless: delivery order, posting
// from the hook, close, lifecycle, zero-sized frames and the run hooks.
#include <gtest/gtest.h>

#include <cmath>

#include "ViewTestSupport.h"
#include "input/ViewInput.h"

using namespace cocos2d;
using namespace viewtest;

namespace {

class ViewEvents : public ::testing::Test {
protected:
    void SetUp() override {
        CCDirector::resetForTest();
        view = CCDirector::sharedDirector()->getOpenGLView();
        ASSERT_TRUE(view->isHeadless());
    }
    void TearDown() override { CCDirector::resetForTest(); }

    static ViewEvent event(ViewEvent::Type type, intptr_t param = 0) {
        ViewEvent e;
        e.type = type;
        e.param = param;
        return e;
    }
    // What the hook saw: type, param and the frame width at that moment.
    std::vector<std::string> seen;
    void recordHook() {
        view->setWndProc([this](const ViewEvent& e) {
            seen.push_back(std::to_string(e.type) + ":" + std::to_string(e.param) + "@" +
                           std::to_string(static_cast<int>(view->getFrameSize().width)));
        });
    }
    CCEGLView* view = nullptr;
};

TEST_F(ViewEvents, DeliveredInArrivalOrderWithTheEngineBeforeTheHook) {
    recordHook();
    view->postUserMessage(1);
    view->queueResize(1280, 600);
    view->queueEvent(event(ViewEvent::User, 2));
    view->requestClose();
    view->postUserMessage(3);
    EXPECT_TRUE(seen.empty()) << "nothing is delivered before the loop asks";
    EXPECT_FALSE(view->deliverEvents());
    // The resize was applied before the hook saw it; the close does not
    // swallow what arrived after it.
    EXPECT_EQ(seen, (std::vector<std::string>{"4:1@960", "1:0@1280", "4:2@1280", "0:0@1280", "4:3@1280"}));
    EXPECT_TRUE(view->windowShouldClose());
    // A new view starts open.
    CCDirector::resetForTest();
    EXPECT_FALSE(CCEGLView::sharedOpenGLView()->windowShouldClose());
}

TEST_F(ViewEvents, HookPostingDuringDeliveryWaitsForTheNextIteration) {
    int calls = 0;
    view->setWndProc([&](const ViewEvent& e) {
        ++calls;
        view->postUserMessage(e.param + 1);  // would loop forever if delivered at once
    });
    view->postUserMessage(0);
    for (int iteration = 1; iteration <= 3; ++iteration) {
        EXPECT_TRUE(view->deliverEvents());
        EXPECT_EQ(calls, iteration);
    }
}

TEST_F(ViewEvents, ZeroSizedFramesAreNeverApplied) {
    view->setDesignResolutionSize(960, 640, kResolutionShowAll);
    recordHook();
    view->queueResize(0, 600);
    view->queueResize(1280, 0);
    view->queueResize(-5, -5);
    EXPECT_TRUE(view->deliverEvents());
    EXPECT_TRUE(seen.empty()) << "a zero-sized report never becomes Resized";
    view->setFrameSize(0.5f, 600);
    view->setFrameSize(1280, 0);
    view->setFrameSize(NAN, 600);
    EXPECT_EQ(view->getFrameSize(), CCSize(960, 640));
    EXPECT_EQ(view->getScaleX(), 1.0f);
    // Touch conversion stays finite.
    const CCPoint p = TouchInput::frameToView(*view, 10, 10);
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

// Escape as the back key can be turned off for a host that maps Escape
// itself: then one press would otherwise go back twice.
TEST_F(ViewEvents, EscapeIsBackOffLeavesEscapeToTheKeySink) {
    struct BackCounter : CCKeypadDelegate {
        int backs = 0;
        void keyBackClicked() override { ++backs; }
    } delegate;
    CCKeypadDispatcher::sharedDispatcher()->addDelegate(&delegate);
    int sunk = 0;
    view->setKeySink([&](const ViewKeyEvent& k) { sunk += k.key == kViewKeyEscape ? 1 : 100; });
    ViewKeyEvent esc;
    esc.key = kViewKeyEscape;
    const auto pressAndRelease = [&] {
        esc.pressed = true;
        view->queueKey(esc);
        esc.pressed = false;
        view->queueKey(esc);
        EXPECT_TRUE(view->deliverEvents());
    };
    EXPECT_TRUE(view->escapeIsBack());
    pressAndRelease();
    EXPECT_EQ(delegate.backs, 1);
    EXPECT_EQ(sunk, 2);

    view->setEscapeIsBack(false);
    pressAndRelease();
    EXPECT_EQ(delegate.backs, 1) << "the press reaches only the sink";
    EXPECT_EQ(sunk, 4);

    ASSERT_TRUE(InputScriptPlayer::sharedPlayer()->loadText("1 back\n"));
    viewInputDeliverScript(1, nullptr);
    InputScriptPlayer::sharedPlayer()->unload();
    EXPECT_EQ(delegate.backs, 2) << "the script's back line is not a key";
    EXPECT_EQ(sunk, 4);
    CCKeypadDispatcher::sharedDispatcher()->removeDelegate(&delegate);
}

// ---- the run loop

class RunLoop : public ViewEvents {};

TEST_F(RunLoop, CloseEndsRunBeforeThatFrameTicksOrDraws) {
    CCDirector::sharedDirector()->setFixedDeltaTime(true);
    TestApp app;
    std::vector<std::string> hook;
    app.onLaunch = [&] {
        view->setWndProc([&](const ViewEvent& e) {
            hook.push_back(std::to_string(e.type) + "@" + std::to_string(ProbeScene::frame()));
        });
        app.scene->onUpdate = [&] {
            if (ProbeScene::frame() == 4) view->requestClose();
        };
    };
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.scene->tickFrames, (std::vector<unsigned int>{1, 2, 3, 4}));
    EXPECT_EQ(app.scene->drawFrames.back(), 4u) << "no frame is drawn after the close";
    EXPECT_EQ(hook, (std::vector<std::string>{"0@5"}));
    EXPECT_TRUE(app.lifecycle.empty()) << "close is not a trip to the background";
}

TEST_F(RunLoop, ScriptedIconifyStopsTheFramesAndScriptQuitClosesInItsOwnFrame) {
    const ScopedEnv script(
        "ENGINE_INPUT_SCRIPT",
        writeTemp("view_iconify.txt", "2 restore\n3 iconify\n4 iconify\n7 restore\n8 restore\n10 quit\n"));
    CCDirector* director = CCDirector::sharedDirector();
    director->setFixedDeltaTime(false);
    director->setFrameLimit(20);
    director->setAnimationInterval(0.002);
    TestApp app;
    EXPECT_EQ(app.run(), 0);
    // Once per transition: a restore while shown and a second iconify do nothing.
    EXPECT_EQ(app.lifecycle, (std::vector<std::string>{"background 3", "foreground 7"}));
    // Frames 3 to 6 are stopped but counted; frame 10 quits before its tick.
    EXPECT_EQ(app.scene->tickFrames, (std::vector<unsigned int>{1, 2, 7, 8, 9}));
    EXPECT_EQ(app.scene->updates[2], 0.0f) << "the time spent minimised arrived as one step";
}

TEST_F(RunLoop, BadRunHooksStopBeforeLaunching) {
    {  // each refused form: the screenshot suite's
        const ScopedEnv shots("ENGINE_SCREENSHOT", "2:a.png;2:b.png");
        TestApp app;
        EXPECT_EQ(app.run(), 1);
        EXPECT_EQ(app.launches, 0);
    }
    CCDirector::resetForTest();
    const ScopedEnv script("ENGINE_INPUT_SCRIPT", writeTemp("view_bad.txt", "1 back\n2 jump\n"));
    TestApp app;
    EXPECT_EQ(app.run(), 1);
    EXPECT_EQ(app.launches, 0);
    EXPECT_EQ(CCDirector::sharedDirector()->getTotalFrames(), 0u);
}

}  // namespace
