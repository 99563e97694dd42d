// The director's frame: order of the steps, scene switching, pool drain,
// stopped animation, frame time, the run loop and its tear-down.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "actions/CCScheduler.h"
#include "base/CCAutoreleasePool.h"
#include "director/CCApplication.h"
#include "director/CCDirector.h"
#include "director/CCEGLView.h"
#include "math/kazmath.h"
#include "scene/CCLayer.h"
#include "scene/CCScene.h"

using namespace cocos2d;

namespace {

std::vector<std::string> g_events;

// A scene that records what happens to it and runs test code from its
// update and draw.
class ProbeScene : public CCScene {
public:
    explicit ProbeScene(std::string name, bool* destroyed = nullptr) : m_name(std::move(name)), m_destroyed(destroyed) {}
    ~ProbeScene() override {
        g_events.push_back(m_name + " destroyed");
        if (m_destroyed) *m_destroyed = true;
    }
    static ProbeScene* create(const std::string& name, bool* destroyed = nullptr) {
        ProbeScene* scene = new ProbeScene(name, destroyed);
        scene->init();
        scene->autorelease();
        return scene;
    }
    void onEnter() override {
        CCScene::onEnter();
        ++entered;
        g_events.push_back(m_name + " entered");
    }
    void onExit() override {
        CCScene::onExit();
        ++exited;
        g_events.push_back(m_name + " exited");
    }
    void cleanup() override {
        CCScene::cleanup();
        g_events.push_back(m_name + " cleanup");
    }
    void update(float dt) override {
        updates.push_back(dt);
        if (onUpdate) onUpdate();
    }
    void draw() override {
        ++draws;
        if (onDraw) onDraw();
    }

    int entered = 0, exited = 0, draws = 0;
    std::vector<float> updates;
    std::function<void()> onUpdate, onDraw;

private:
    std::string m_name;
    bool* m_destroyed;
};

// Lives only through the pool unless retained.
class Tracked : public CCObject {
public:
    explicit Tracked(bool* alive) : m_alive(alive) { *m_alive = true; }
    ~Tracked() override { *m_alive = false; }

private:
    bool* m_alive;
};

class DirectorTest : public testing::Test {
protected:
    void SetUp() override {
        CCDirector::resetForTest();
        director = CCDirector::sharedDirector();
        director->setFixedDeltaTime(false);
        director->setFrameLimit(0);
        g_events.clear();
    }
    void TearDown() override { CCDirector::resetForTest(); }

    CCDirector* director = nullptr;
};

}  // namespace

// ---- scene switching

TEST_F(DirectorTest, RunWithSceneEntersAtTheFirstFrameAfterTheTick) {
    ProbeScene* a = ProbeScene::create("A");
    a->scheduleUpdate();
    director->runWithScene(a);
    EXPECT_EQ(director->getRunningScene(), nullptr);
    EXPECT_EQ(a->entered, 0);
    director->stepFrame(0.5f);
    EXPECT_EQ(director->getRunningScene(), a);
    EXPECT_EQ(a->entered, 1);
    // Its schedule was paused while it was not running, so the first tick
    // (which came before the switch) did not reach it.
    EXPECT_TRUE(a->updates.empty());
    EXPECT_EQ(a->draws, 1);
    director->stepFrame(0.25f);
    EXPECT_EQ(a->updates, std::vector<float>{0.25f});
}

TEST_F(DirectorTest, ReplaceFromDrawSwitchesAtTheNextFrame) {
    bool aDead = false;
    ProbeScene* a = ProbeScene::create("A", &aDead);
    ProbeScene* b = ProbeScene::create("B");
    b->retain();
    director->runWithScene(a);
    director->stepFrame(0);
    a->onDraw = [&] {
        director->replaceScene(b);
        a->onDraw = nullptr;
    };
    director->stepFrame(0);  // frame 2: A draws and asks for B
    EXPECT_EQ(director->getRunningScene(), a);
    EXPECT_FALSE(aDead);
    EXPECT_EQ(b->entered, 0);
    EXPECT_EQ(director->getNextScene(), b);

    g_events.clear();
    director->stepFrame(0);  // frame 3: the switch
    EXPECT_EQ(g_events, (std::vector<std::string>{"A exited", "A cleanup", "A destroyed", "B entered"}));
    EXPECT_TRUE(aDead);
    EXPECT_EQ(director->getRunningScene(), b);
    EXPECT_EQ(b->draws, 1);
    b->release();
}

TEST_F(DirectorTest, ReplaceFromUpdateSwitchesInTheSameFrameAfterTheTick) {
    ProbeScene* a = ProbeScene::create("A");
    ProbeScene* b = nullptr;
    a->scheduleUpdate();
    director->runWithScene(a);
    director->stepFrame(0);
    a->onUpdate = [&] {
        g_events.push_back("A update");
        b = ProbeScene::create("B");
        director->replaceScene(b);
    };
    g_events.clear();
    director->stepFrame(0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"A update", "A exited", "A cleanup", "A destroyed", "B entered"}));
    EXPECT_EQ(director->getRunningScene(), b);
    EXPECT_EQ(b->draws, 1);
}

TEST_F(DirectorTest, SecondReplaceInAFrameDropsTheFirstWithoutEnteringIt) {
    bool firstDead = false;
    ProbeScene* a = ProbeScene::create("A");
    director->runWithScene(a);
    director->stepFrame(0);
    ProbeScene* first = ProbeScene::create("first", &firstDead);
    ProbeScene* second = ProbeScene::create("second");
    a->onDraw = [&] {
        director->replaceScene(first);
        director->replaceScene(second);
        a->onDraw = nullptr;
    };
    director->stepFrame(0);
    // Only the pool still holds the dropped scene; the frame-end drain frees it.
    EXPECT_TRUE(firstDead);
    EXPECT_EQ(director->getNextScene(), second);
    director->stepFrame(0);
    EXPECT_EQ(director->getRunningScene(), second);
    EXPECT_EQ(second->entered, 1);
    for (const std::string& e : g_events) EXPECT_NE(e, "first entered");
}

TEST_F(DirectorTest, ReplacingWithNullOrTheRunningSceneIsIgnored) {
    bool aDead = false;
    ProbeScene* a = ProbeScene::create("A", &aDead);
    director->runWithScene(a);
    director->stepFrame(0);
    a->onUpdate = [&] {
        director->replaceScene(nullptr);
        director->replaceScene(a);
    };
    a->scheduleUpdate();
    for (int i = 0; i < 3; ++i) director->stepFrame(0);
    EXPECT_FALSE(aDead);
    EXPECT_EQ(director->getRunningScene(), a);
    EXPECT_EQ(a->entered, 1);
    EXPECT_EQ(a->exited, 0);
    EXPECT_EQ(a->updates.size(), 3u);  // still scheduled: never cleaned up
    EXPECT_EQ(a->retainCount(), 1u);
}

TEST_F(DirectorTest, ReplaceWithNoSceneActsAsRunWithScene) {
    ProbeScene* a = ProbeScene::create("A");
    director->replaceScene(a);
    director->stepFrame(0);
    EXPECT_EQ(director->getRunningScene(), a);
    EXPECT_EQ(a->entered, 1);
}

// ---- frame contract

TEST_F(DirectorTest, FrameStepsRunInOrderAndCountAfterTheDrain) {
    ProbeScene* a = ProbeScene::create("A");
    a->scheduleUpdate();
    director->runWithScene(a);
    director->stepFrame(0);
    std::vector<unsigned int> seen;
    bool pooledAlive = false;
    a->onUpdate = [&] {
        g_events.push_back("tick");
        seen.push_back(director->getTotalFrames());
    };
    a->onDraw = [&] {
        g_events.push_back("visit");
        (new Tracked(&pooledAlive))->autorelease();
    };
    director->addFrameHook([&](unsigned int frame) {
        g_events.push_back("hook " + std::to_string(frame));
        // Autoreleased objects live through the hooks; the drain comes after.
        EXPECT_TRUE(pooledAlive);
        seen.push_back(director->getTotalFrames());
    });
    g_events.clear();
    director->stepFrame(0);
    director->stepFrame(0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"tick", "visit", "hook 2", "tick", "visit", "hook 3"}));
    EXPECT_EQ(seen, (std::vector<unsigned int>{1, 1, 2, 2}));
    EXPECT_FALSE(pooledAlive);
    EXPECT_EQ(director->getTotalFrames(), 3u);
}

TEST_F(DirectorTest, UnownedObjectsDieAtTheFrameEndAndRetainedOnesSurvive) {
    bool unowned = false, kept = false;
    (new Tracked(&unowned))->autorelease();
    Tracked* keep = new Tracked(&kept);
    keep->autorelease();
    keep->retain();
    director->stepFrame(0);
    EXPECT_FALSE(unowned);
    EXPECT_TRUE(kept);
    EXPECT_EQ(keep->retainCount(), 1u);
    keep->release();
    EXPECT_FALSE(kept);
}

TEST_F(DirectorTest, FrameHooksMayRemoveThemselvesAndOthers) {
    int first = 0, second = 0;
    int secondId = 0;
    int firstId = director->addFrameHook([&](unsigned int) {
        ++first;
        director->removeFrameHook(firstId);
        director->removeFrameHook(secondId);
    });
    secondId = director->addFrameHook([&](unsigned int) { ++second; });
    director->stepFrame(0);
    director->stepFrame(0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(director->addFrameHook(nullptr), 0);
}

TEST_F(DirectorTest, VisitStartsFromIdentityAndUnbalancedPushesAreDropped) {
    ProbeScene* a = ProbeScene::create("A");
    a->setPosition(0, 0);
    director->runWithScene(a);
    kmMat4 seen;
    a->onDraw = [&] {
        kmGLGetMatrix(KM_GL_MODELVIEW, &seen);
        // Drawing code that forgets its pop.
        kmGLPushMatrix();
        kmGLTranslatef(100, 50, 0);
    };
    // Junk left on the stack before the frame must not reach the scene either.
    kmGLMatrixMode(KM_GL_MODELVIEW);
    kmGLTranslatef(7, 7, 0);
    for (int i = 0; i < 5; ++i) {
        director->stepFrame(0);
        kmMat4 identity;
        kmMat4Identity(&identity);
        EXPECT_TRUE(kmMat4AreEqual(&seen, &identity, 1e-6f)) << "frame " << i;
        EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
    }
}

TEST_F(DirectorTest, ProjectionFollowsTheWindowSize) {
    auto corner = [] {
        kmMat4 p;
        kmGLGetMatrix(KM_GL_PROJECTION, &p);
        // The top right corner of the window in clip space.
        const CCSize win = CCDirector::sharedDirector()->getWinSize();
        return CCPoint(p.mat[0] * win.width + p.mat[12], p.mat[5] * win.height + p.mat[13]);
    };
    CCEGLView* view = director->getOpenGLView();
    EXPECT_EQ(director->getWinSize(), CCSize(960, 640));
    EXPECT_TRUE(corner().fuzzyEquals(CCPoint(1, 1), 1e-5f));
    kmMat4 p;
    kmGLGetMatrix(KM_GL_PROJECTION, &p);
    EXPECT_NEAR(p.mat[0], 2.0f / 960, 1e-7);

    view->setFrameSize(1280, 600);
    view->setDesignResolutionSize(1136, 640, kResolutionFixedHeight);
    EXPECT_NEAR(director->getWinSize().width, 1365.333f, 0.01f);
    kmGLGetMatrix(KM_GL_PROJECTION, &p);
    EXPECT_NEAR(p.mat[0], 2.0f / 1365.333f, 1e-7);
    EXPECT_NEAR(p.mat[5], 2.0f / 640, 1e-7);
    EXPECT_EQ(director->getContentOffset(), CCPointZero);
    EXPECT_EQ(director->getVisibleSize(), view->getVisibleSize());

    view->setFrameSize(0, 0);  // ignored, nothing changes
    kmMat4 after;
    kmGLGetMatrix(KM_GL_PROJECTION, &after);
    EXPECT_TRUE(kmMat4AreEqual(&p, &after, 0));
}

TEST_F(DirectorTest, LayerInitTakesTheWindowSize) {
    director->getOpenGLView()->setDesignResolutionSize(480, 320, kResolutionShowAll);
    CCLayer* layer = CCLayer::create();
    EXPECT_EQ(layer->getContentSize(), CCSize(480, 320));
}

// ---- animation and frame time

TEST_F(DirectorTest, StoppedAnimationNeitherTicksNorVisitsButDrains) {
    ProbeScene* a = ProbeScene::create("A");
    a->scheduleUpdate();
    director->runWithScene(a);
    director->mainLoop();
    director->mainLoop();
    const size_t updates = a->updates.size();
    const int draws = a->draws;
    const unsigned int frames = director->getTotalFrames();

    director->stopAnimation();
    bool pooled = false;
    for (int i = 0; i < 3; ++i) {
        (new Tracked(&pooled))->autorelease();
        director->mainLoop();
        EXPECT_FALSE(pooled);
    }
    EXPECT_EQ(a->updates.size(), updates);
    EXPECT_EQ(a->draws, draws);
    EXPECT_EQ(director->getTotalFrames(), frames);

    director->startAnimation();
    director->mainLoop();
    ASSERT_EQ(a->updates.size(), updates + 1);
    // The time spent stopped is not game time.
    EXPECT_EQ(a->updates.back(), 0.0f);
    EXPECT_EQ(director->getTotalFrames(), frames + 1);
}

TEST_F(DirectorTest, RealFrameTimeStartsAtZeroAndIsNeverNegative) {
    ProbeScene* a = ProbeScene::create("A");
    a->scheduleUpdate();
    director->runWithScene(a);
    director->stepFrame(0);  // A enters
    director->startAnimation();
    for (int i = 0; i < 5; ++i) director->mainLoop();
    ASSERT_EQ(a->updates.size(), 5u);
    EXPECT_EQ(a->updates[0], 0.0f);
    for (float dt : a->updates) {
        EXPECT_GE(dt, 0.0f);
        EXPECT_LT(dt, 5.0f);
    }
    // Explicit odd values are clamped, never passed on.
    a->updates.clear();
    director->stepFrame(-1.0f);
    director->stepFrame(std::numeric_limits<float>::quiet_NaN());
    director->stepFrame(std::numeric_limits<float>::infinity());
    EXPECT_EQ(a->updates, (std::vector<float>{0, 0, 0}));
}

TEST_F(DirectorTest, FixedDeltaTimeGivesEveryUpdateExactlyTheInterval) {
    director->setFixedDeltaTime(true);
    director->setAnimationInterval(1.0 / 30.0);
    director->setAnimationInterval(0);  // ignored
    director->setAnimationInterval(-1);
    director->setAnimationInterval(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(director->getAnimationInterval(), 1.0 / 30.0);
    ProbeScene* a = ProbeScene::create("A");
    a->scheduleUpdate();
    director->runWithScene(a);
    director->startAnimation();
    for (int i = 0; i < 4; ++i) director->mainLoop();
    director->stopAnimation();
    director->mainLoop();
    director->startAnimation();
    director->mainLoop();
    EXPECT_EQ(a->updates, std::vector<float>(4, 1.0f / 30.0f));
}

// ---- the application and its run loop

namespace {

class TestApp : public CCApplication {
public:
    bool applicationDidFinishLaunching() override {
        ++launches;
        if (!launchOk) return false;
        CCDirector* director = CCDirector::sharedDirector();
        director->setOpenGLView(CCEGLView::sharedOpenGLView());
        if (onLaunch) onLaunch();
        return true;
    }
    bool launchOk = true;
    int launches = 0;
    std::function<void()> onLaunch;
};

}  // namespace

TEST_F(DirectorTest, RunReturnsOneWhenLaunchingFails) {
    TestApp app;
    app.launchOk = false;
    EXPECT_EQ(CCApplication::sharedApplication(), &app);
    EXPECT_EQ(app.run(), 1);
    EXPECT_EQ(app.launches, 1);
    EXPECT_EQ(director->getTotalFrames(), 0u);
}

TEST_F(DirectorTest, FrameLimitEndsRunAndTearsDownInOrder) {
    bool aDead = false, pendingDead = false;
    TestApp app;
    director->setFixedDeltaTime(true);
    director->setFrameLimit(7);
    ProbeScene* a = nullptr;
    app.onLaunch = [&] {
        a = ProbeScene::create("A", &aDead);
        a->scheduleUpdate();
        director->runWithScene(a);
        // The pending scene of the last frame is dropped at tear-down.
        a->onDraw = [&] {
            if (director->getTotalFrames() == 6) director->replaceScene(ProbeScene::create("late", &pendingDead));
        };
    };
    g_events.clear();
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.launches, 1);
    EXPECT_EQ(director->getTotalFrames(), 7u);
    EXPECT_TRUE(aDead);
    EXPECT_TRUE(pendingDead);
    EXPECT_EQ(director->getRunningScene(), nullptr);
    EXPECT_EQ(director->getNextScene(), nullptr);
    EXPECT_EQ(CCScheduler::sharedScheduler()->entryCount(), 0u);
    EXPECT_EQ(CCPoolManager::sharedPoolManager()->pendingCount(), 0u);
    ASSERT_GE(g_events.size(), 4u);
    const std::vector<std::string> tail(g_events.end() - 4, g_events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"A exited", "A cleanup", "A destroyed", "late destroyed"}));
}

TEST_F(DirectorTest, EndAndViewCloseStopRun) {
    {
        TestApp app;
        director->setFixedDeltaTime(true);
        app.onLaunch = [&] {
            ProbeScene* a = ProbeScene::create("A");
            a->scheduleUpdate();
            a->onUpdate = [&] {
                if (director->getTotalFrames() == 2) director->end();
            };
            director->runWithScene(a);
        };
        EXPECT_EQ(app.run(), 0);
        EXPECT_EQ(director->getTotalFrames(), 3u);
        EXPECT_FALSE(director->isEndRequested());
    }
    CCDirector::resetForTest();
    {
        TestApp app;
        director->setFixedDeltaTime(true);
        director->setFrameLimit(0);
        app.onLaunch = [&] {
            ProbeScene* a = ProbeScene::create("A");
            a->onDraw = [] {
                if (CCDirector::sharedDirector()->getTotalFrames() == 4) CCEGLView::sharedOpenGLView()->end();
            };
            director->runWithScene(a);
        };
        EXPECT_EQ(app.run(), 0);
        EXPECT_EQ(director->getTotalFrames(), 5u);
    }
}

TEST_F(DirectorTest, UnfixedRunSleepsToTheInterval) {
    TestApp app;
    director->setFixedDeltaTime(false);
    director->setFrameLimit(6);
    app.setAnimationInterval(0.01);
    EXPECT_DOUBLE_EQ(director->getAnimationInterval(), 0.01);
    ProbeScene* a = nullptr;
    app.onLaunch = [&] {
        a = ProbeScene::create("A");
        a->retain();
        a->scheduleUpdate();
        director->runWithScene(a);
    };
    EXPECT_EQ(app.run(), 0);
    ASSERT_NE(a, nullptr);
    // Frame 1 ticks before A enters; frame 2's dt is the first it sees.
    ASSERT_EQ(a->updates.size(), 5u);
    float total = 0;
    for (float dt : a->updates) total += dt;
    EXPECT_GE(total, 0.035f);  // five frames paced at 10 ms, with slack for scheduling
    a->release();
}
