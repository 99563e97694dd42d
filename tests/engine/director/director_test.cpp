// The director's frame: order of the steps, scene switching, pool drain,
// stopped animation, frame time, the run loop and its tear-down.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "../view/ViewTestSupport.h"

using namespace cocos2d;
using viewtest::ProbeScene;
using viewtest::TestApp;

namespace {

using Events = std::vector<std::string>;
Events& g_events = ProbeScene::events();

bool happened(const std::string& event) { return std::find(g_events.begin(), g_events.end(), event) != g_events.end(); }

// Lives only through the pool unless retained.
struct Tracked : CCObject {
    explicit Tracked(bool* flag) : alive(flag) { *alive = true; }
    ~Tracked() override { *alive = false; }
    bool* alive;
};

class DirectorTest : public testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { CCDirector::resetForTest(); }
    void reset() {
        CCDirector::resetForTest();
        director->setFixedDeltaTime(false);
        director->setFrameLimit(0);
        g_events.clear();
    }
    // A running scene, entered by one frame.
    ProbeScene* runScene(const std::string& name) {
        ProbeScene* scene = ProbeScene::create(name);
        director->runWithScene(scene);
        director->stepFrame(0);
        g_events.clear();
        return scene;
    }
    // run() with one scene A, paused until it enters, prepared by `prepare`.
    int runApp(TestApp& app, const std::function<void(ProbeScene*)>& prepare = nullptr) {
        app.onLaunch = [&] {
            ProbeScene* a = ProbeScene::create("A");
            if (prepare) prepare(a);
            director->runWithScene(a);
        };
        return app.run();
    }

    CCDirector* director = CCDirector::sharedDirector();
};

}  // namespace

// ---- scene switching

TEST_F(DirectorTest, FirstSceneEntersAfterTheFirstTickAndNullOrSelfReplacesAreIgnored) {
    ProbeScene* a = ProbeScene::create("A");
    director->replaceScene(a);  // with no scene at all, the same as runWithScene
    EXPECT_EQ(director->getRunningScene(), nullptr);
    director->stepFrame(0.5f);
    EXPECT_EQ(g_events, Events{"A entered"});
    // Paused until it entered, so the tick before the switch missed it.
    EXPECT_TRUE(a->updates.empty());
    EXPECT_EQ(a->drawFrames.size(), 1u);
    a->onUpdate = [&] {
        director->replaceScene(nullptr);
        director->replaceScene(a);
    };
    for (int i = 0; i < 3; ++i) director->stepFrame(0.25f);
    EXPECT_EQ(g_events, Events{"A entered"});  // never exited, cleaned up or freed
    EXPECT_EQ(director->getRunningScene(), a);
    EXPECT_EQ(director->getNextScene(), nullptr);
    EXPECT_EQ(a->updates, std::vector<float>(3, 0.25f));
    EXPECT_EQ(a->retainCount(), 1u);
}

// From draw the switch waits for the next frame; from update it happens in
// the same frame, after the tick. Either way A is gone before B enters.
TEST_F(DirectorTest, ReplaceSwitchesAfterTheTickThatAskedOrAtTheNextFrame) {
    for (bool fromDraw : {true, false}) {
        SCOPED_TRACE(fromDraw ? "from draw" : "from update");
        reset();
        ProbeScene* a = runScene("A");
        ProbeScene* b = nullptr;
        (fromDraw ? a->onDraw : a->onUpdate) = [&] {
            if (!b) director->replaceScene(b = ProbeScene::create("B"));
        };
        director->stepFrame(0);
        if (fromDraw) {  // A drew and asked for B; A stays alive and running
            EXPECT_EQ(director->getRunningScene(), a);
            EXPECT_EQ(director->getNextScene(), b);
            EXPECT_TRUE(g_events.empty());
            director->stepFrame(0);
        }
        EXPECT_EQ(g_events, (Events{"A exited", "A cleanup", "A destroyed", "B entered"}));
        EXPECT_EQ(director->getRunningScene(), b);
        EXPECT_EQ(b->drawFrames.size(), 1u);
    }
}

TEST_F(DirectorTest, SecondReplaceInAFrameDropsTheFirstWithoutEnteringIt) {
    ProbeScene* a = runScene("A");
    ProbeScene* second = nullptr;
    a->onDraw = [&] {
        director->replaceScene(ProbeScene::create("first"));
        director->replaceScene(second = ProbeScene::create("second"));
        a->onDraw = nullptr;
    };
    director->stepFrame(0);
    // Only the pool still held the dropped scene; the frame-end drain freed it.
    EXPECT_EQ(g_events, Events{"first destroyed"});
    director->stepFrame(0);
    EXPECT_EQ(director->getRunningScene(), second);
    EXPECT_TRUE(happened("second entered"));
    EXPECT_FALSE(happened("first entered"));
}

// ---- frame contract

TEST_F(DirectorTest, FrameStepsRunInOrderAndUnownedObjectsDieAtTheEnd) {
    ProbeScene* a = runScene("A");
    std::vector<unsigned int> counts;
    bool pooled = false, kept = false;
    Tracked* keep = nullptr;
    a->onUpdate = [&] {
        g_events.push_back("tick");
        counts.push_back(director->getTotalFrames());
    };
    a->onDraw = [&] {
        g_events.push_back("visit");
        (new Tracked(&pooled))->autorelease();
        if (keep) return;
        keep = new Tracked(&kept);
        keep->autorelease();
        keep->retain();
    };
    director->addFrameHook([&](unsigned int frame) {
        g_events.push_back("hook " + std::to_string(frame));
        EXPECT_TRUE(pooled);  // the drain comes after the hooks
        counts.push_back(director->getTotalFrames());
    });
    director->stepFrame(0);
    director->stepFrame(0);
    EXPECT_EQ(g_events, (Events{"tick", "visit", "hook 2", "tick", "visit", "hook 3"}));
    // During frame n the count is n - 1; it moves on after the drain.
    EXPECT_EQ(counts, (std::vector<unsigned int>{1, 1, 2, 2}));
    EXPECT_EQ(director->getTotalFrames(), 3u);
    EXPECT_FALSE(pooled);
    EXPECT_TRUE(kept);
    EXPECT_EQ(keep->retainCount(), 1u);
    keep->release();
}

TEST_F(DirectorTest, FrameHooksMayRemoveThemselvesAndOthers) {
    int first = 0, second = 0, firstId = 0, secondId = 0;
    firstId = director->addFrameHook([&](unsigned int) {
        ++first;
        director->removeFrameHook(firstId);
        director->removeFrameHook(secondId);
    });
    secondId = director->addFrameHook([&](unsigned int) { ++second; });
    director->stepFrame(0);
    director->stepFrame(0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}

TEST_F(DirectorTest, VisitStartsFromIdentityAndUnbalancedPushesAreDropped) {
    ProbeScene* a = runScene("A");
    kmMat4 seen, identity;
    kmMat4Identity(&identity);
    a->onDraw = [&] {
        kmGLGetMatrix(KM_GL_MODELVIEW, &seen);
        kmGLPushMatrix();  // drawing code that forgets its pop
        kmGLTranslatef(100, 50, 0);
    };
    kmGLTranslatef(7, 7, 0);  // junk left before the frame
    for (int i = 0; i < 5; ++i) {
        director->stepFrame(0);
        EXPECT_TRUE(kmMat4AreEqual(&seen, &identity, 1e-6f)) << "frame " << i;
        EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
    }
}

TEST_F(DirectorTest, ProjectionFollowsTheWindowSize) {
    EXPECT_EQ(director->getWinSize(), CCSize(960, 640));  // attaches the shared view
    kmMat4 p;
    kmGLGetMatrix(KM_GL_PROJECTION, &p);
    // Orthographic over the window: (0, 0) and (w, h) map to the clip corners.
    EXPECT_NEAR(p.mat[0], 2.0f / 960, 1e-7);
    EXPECT_NEAR(p.mat[5], 2.0f / 640, 1e-7);
    EXPECT_NEAR(p.mat[12], -1.0f, 1e-6);
    EXPECT_NEAR(p.mat[13], -1.0f, 1e-6);

    CCEGLView* view = director->getOpenGLView();
    view->setFrameSize(1280, 600);
    view->setDesignResolutionSize(1136, 640, kResolutionFixedHeight);
    EXPECT_NEAR(director->getWinSize().width, 1365.333f, 0.01f);
    EXPECT_EQ(director->getVisibleSize(), view->getVisibleSize());
    EXPECT_EQ(director->getContentOffset(), CCPointZero);
    kmGLGetMatrix(KM_GL_PROJECTION, &p);
    EXPECT_NEAR(p.mat[0], 2.0f / 1365.333f, 1e-7);
}

// ---- animation and frame time

TEST_F(DirectorTest, StoppedAnimationNeitherTicksNorVisitsButDrains) {
    ProbeScene* a = runScene("A");
    director->mainLoop();
    const unsigned int frames = director->getTotalFrames();
    director->stopAnimation();
    bool pooled = false;
    for (int i = 0; i < 3; ++i) {
        (new Tracked(&pooled))->autorelease();
        director->mainLoop();
        EXPECT_FALSE(pooled);
    }
    EXPECT_EQ(a->updates.size(), 1u);
    EXPECT_EQ(a->drawFrames.size(), 2u);
    // Stopped iterations still count: frame numbers are loop iterations.
    EXPECT_EQ(director->getTotalFrames(), frames + 3);

    director->startAnimation();
    director->mainLoop();
    ASSERT_EQ(a->updates.size(), 2u);
    EXPECT_EQ(a->updates.back(), 0.0f);  // the time spent stopped is not game time
    EXPECT_EQ(director->getTotalFrames(), frames + 4);
}

TEST_F(DirectorTest, RealFrameTimeStartsAtZeroAndIsNeverNegative) {
    ProbeScene* a = runScene("A");
    director->startAnimation();
    for (int i = 0; i < 5; ++i) director->mainLoop();
    ASSERT_EQ(a->updates.size(), 5u);
    EXPECT_EQ(a->updates[0], 0.0f);
    for (float dt : a->updates) EXPECT_TRUE(dt >= 0.0f && dt < 5.0f) << dt;

    a->updates.clear();
    for (float bad : {-1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        director->stepFrame(bad);
    EXPECT_EQ(a->updates, (std::vector<float>{0, 0, 0}));
}

TEST_F(DirectorTest, FixedDeltaTimeGivesEveryUpdateExactlyTheInterval) {
    director->setFixedDeltaTime(true);
    director->setAnimationInterval(1.0 / 30.0);
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) director->setAnimationInterval(bad);
    EXPECT_DOUBLE_EQ(director->getAnimationInterval(), 1.0 / 30.0);
    ProbeScene* a = runScene("A");
    director->startAnimation();
    for (int i = 0; i < 3; ++i) director->mainLoop();
    director->stopAnimation();
    director->mainLoop();
    director->startAnimation();
    director->mainLoop();
    EXPECT_EQ(a->updates, std::vector<float>(4, 1.0f / 30.0f));
}

// ---- the application and its run loop

TEST_F(DirectorTest, RunReturnsOneWhenLaunchingFailsAndEndStopsItAfterThatFrame) {
    {
        TestApp app(false);
        app.launchOk = false;
        EXPECT_EQ(CCApplication::sharedApplication(), &app);
        EXPECT_EQ(app.run(), 1);
        EXPECT_EQ(app.launches, 1);
        EXPECT_EQ(director->getTotalFrames(), 0u);
    }
    reset();
    director->setFixedDeltaTime(true);
    TestApp app(false);
    EXPECT_EQ(runApp(app,
                     [&](ProbeScene* a) {
                         a->onUpdate = [&] {
                             if (director->getTotalFrames() == 2) director->end();
                         };
                     }),
              0);
    EXPECT_EQ(director->getTotalFrames(), 3u);
    EXPECT_FALSE(director->isEndRequested());
}

TEST_F(DirectorTest, FrameLimitEndsRunAndTearsDownInOrder) {
    TestApp app(false);
    director->setFixedDeltaTime(true);
    director->setFrameLimit(7);
    // Still pending when the limit is reached: released at tear-down.
    EXPECT_EQ(runApp(app,
                     [&](ProbeScene* a) {
                         a->onDraw = [&] {
                             if (director->getTotalFrames() == 6) director->replaceScene(ProbeScene::create("late"));
                         };
                     }),
              0);
    EXPECT_EQ(app.launches, 1);
    EXPECT_EQ(director->getTotalFrames(), 7u);
    ASSERT_GE(g_events.size(), 4u);
    EXPECT_EQ(Events(g_events.end() - 4, g_events.end()),
              (Events{"A exited", "A cleanup", "A destroyed", "late destroyed"}));
    EXPECT_EQ(director->getRunningScene(), nullptr);
    EXPECT_EQ(director->getNextScene(), nullptr);
    EXPECT_EQ(CCScheduler::sharedScheduler()->entryCount(), 0u);
    EXPECT_EQ(CCPoolManager::sharedPoolManager()->pendingCount(), 0u);
}

TEST_F(DirectorTest, UnfixedRunSleepsToTheInterval) {
    TestApp app(false);
    director->setFrameLimit(6);
    app.setAnimationInterval(0.01);
    EXPECT_DOUBLE_EQ(director->getAnimationInterval(), 0.01);
    float total = 0;
    EXPECT_EQ(runApp(app, [&](ProbeScene* a) { a->onUpdate = [&total, a] { total += a->updates.back(); }; }), 0);
    // Frame 1 ticks before A enters; frames 2 to 6 are paced at 10 ms.
    EXPECT_GE(total, 0.035f);
}
