// Actions: frame animation timing, repeats, restarts, fades, odd durations
// and the action manager's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "actions/CCActionInterval.h"
#include "actions/CCActionManager.h"
#include "actions/CCScheduler.h"
#include "base/CCAutoreleasePool.h"
#include "frames/CCSpriteFrame.h"
#include "frames/DisplayFrameTarget.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

using namespace cocos2d;

namespace {

// Stands in for a sprite: shows frames and has an opacity.
class FakeSprite : public CCNode, public DisplayFrameTarget, public CCRGBAProtocol {
public:
    void setDisplayFrame(CCSpriteFrame* frame) override {
        shown = frame;
        ++frameChanges;
    }
    void setColor(const ccColor3B& c) override { color = c; }
    const ccColor3B& getColor() override { return color; }
    void setOpacity(GLubyte o) override { opacity = o; }
    GLubyte getOpacity() override { return opacity; }

    CCSpriteFrame* shown = nullptr;
    int frameChanges = 0;
    ccColor3B color;
    GLubyte opacity = 255;
};

class Actions : public ::testing::Test {
protected:
    void SetUp() override {
        sprite = new FakeSprite();
        for (int i = 0; i < 4; ++i) frames.push_back(new CCSpriteFrame());
    }
    void TearDown() override {
        manager.removeAllActions();
        sprite->release();
        for (CCSpriteFrame* f : frames) f->release();
        CCPoolManager::sharedPoolManager()->finalize();
    }

    CCAnimation* animation(unsigned int n, float delay) {
        CCAnimation* a = CCAnimation::create();
        for (unsigned int i = 0; i < n; ++i) a->addSpriteFrame(frames[i]);
        a->setDelayPerUnit(delay);
        return a;
    }
    int shownIndex() const {
        const auto it = std::find(frames.begin(), frames.end(), sprite->shown);
        return it == frames.end() ? -1 : static_cast<int>(it - frames.begin());
    }
    void tick(float dt) { manager.update(dt); }

    CCActionManager manager;
    FakeSprite* sprite = nullptr;
    std::vector<CCSpriteFrame*> frames;
};

constexpr float kSixtieth = 1.0f / 60.0f;

}  // namespace

// The first step counts as time 0; a finite action ends exactly on the last
// listed tick (its tag gone with it) and keeps its last frame. A frame is set
// when it changes, never again while it stays.
TEST_F(Actions, FrameAnimationsFollowTheClockTick) {
    std::vector<int> forever;  // stays on the beat over many ticks
    for (int i = 0; i < 600; ++i) forever.push_back(i / 2 % 3);
    const struct {
        const char* name;
        std::function<CCAction*()> make;
        float dt;
        std::vector<int> shown;
    } rows[] = {
        {"animate", [&] { return CCAnimate::create(animation(4, 1 / 30.0f)); }, kSixtieth, {0, 0, 1, 1, 2, 2, 3, 3, 3}},
        {"forever", [&] { return CCRepeatForever::create(CCAnimate::create(animation(3, 1 / 30.0f))); }, kSixtieth,
         forever},
        {"repeat 3 back to back",
         [&] { return CCRepeat::create(CCAnimate::create(animation(2, 1 / 30.0f)), 3); },
         kSixtieth,
         {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 1}},
        {"repeat once",
         [&] { return CCRepeat::create(CCAnimate::create(animation(3, 0.1f)), 1); },
         0.05f,
         {0, 0, 1, 1, 2, 2, 2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        sprite->frameChanges = 0;
        CCAction* action = row.make();
        action->setTag(76);
        manager.addAction(action, sprite, false);
        const bool finite = row.shown != forever;
        for (size_t i = 0; i < row.shown.size(); ++i) {
            tick(row.dt);
            ASSERT_EQ(shownIndex(), row.shown[i]) << "tick " << i;
            const bool running = !finite || i + 1 < row.shown.size();
            ASSERT_EQ(manager.getActionByTag(76, sprite), running ? action : nullptr) << "tick " << i;
        }
        EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), finite ? 0u : 1u);
        int changes = 1;
        for (size_t i = 1; i < row.shown.size(); ++i) changes += row.shown[i] != row.shown[i - 1];
        EXPECT_EQ(sprite->frameChanges, changes);
        manager.removeAllActionsFromTarget(sprite);
    }
}

TEST_F(Actions, FadesReachTheirTargetsAndSkipTargetsWithoutOpacity) {
    sprite->opacity = 255;
    manager.addAction(CCFadeTo::create(1.0f, 55), sprite, false);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        tick(0.25f);
        seen.push_back(sprite->opacity);
    }
    EXPECT_EQ(seen, (std::vector<int>{255, 205, 155, 105, 55}));
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), 0u);

    sprite->opacity = 200;
    manager.addAction(CCFadeOut::create(0.5f), sprite, false);
    for (int i = 0; i < 3; ++i) tick(0.25f);
    EXPECT_EQ(sprite->opacity, 0);

    CCNode* plain = CCNode::create();
    manager.addAction(CCFadeOut::create(0.5f), plain, false);
    manager.addAction(CCAnimate::create(animation(2, 0.25f)), plain, false);
    for (int i = 0; i < 2; ++i) tick(0.25f);
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(plain), 2u);
    tick(0.25f);
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(plain), 0u);
}

TEST_F(Actions, ZeroNegativeNaNAndInfiniteDurations) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float delay : {0.0f, -0.5f, nan}) {
        SCOPED_TRACE(delay);
        sprite->shown = nullptr;
        manager.addAction(CCAnimate::create(animation(4, delay)), sprite, false);
        sprite->opacity = 255;
        manager.addAction(CCFadeTo::create(delay, 10), sprite, false);
        tick(kSixtieth);
        EXPECT_EQ(shownIndex(), 3);  // finished at once on the last frame
        EXPECT_EQ(sprite->opacity, 10);
        EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), 0u);
    }

    manager.addAction(CCAnimate::create(animation(4, inf)), sprite, false);
    for (int i = 0; i < 100; ++i) tick(1000.0f);
    EXPECT_EQ(shownIndex(), 0);
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), 1u);
    manager.removeAllActionsFromTarget(sprite);

    // Repeating a zero-length pass restarts it once per step and returns.
    manager.addAction(CCRepeatForever::create(CCAnimate::create(animation(3, 0.0f))), sprite, false);
    for (int i = 0; i < 3; ++i) tick(kSixtieth);
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), 1u);
    manager.addAction(CCRepeat::create(CCAnimate::create(animation(3, nan)), kCCRepeatForever), sprite, false);
    tick(kSixtieth);
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), 1u);
    manager.removeAllActionsFromTarget(sprite);

    // Fractions fed in directly are clamped, never cast from NaN.
    CCRepeat* repeat = CCRepeat::create(CCAnimate::create(animation(4, 0.1f)), 2);
    CCFadeTo* fade = CCFadeTo::create(1.0f, 0);
    manager.addAction(repeat, sprite, false);
    manager.addAction(fade, sprite, false);
    for (float t : {nan, -inf, inf, 2.0f}) {
        repeat->update(t);
        fade->update(t);
    }
    EXPECT_EQ(shownIndex(), 3);
    EXPECT_EQ(sprite->opacity, 0);
}

TEST_F(Actions, ActionManagerRunRulesAndRestarts) {
    CCAnimate* animate = CCAnimate::create(animation(4, 0.1f));
    animate->retain();
    manager.addAction(nullptr, sprite, false);
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), 0u);

    manager.addAction(animate, sprite, false);
    tick(0.5f);  // first step: time 0 whatever dt says
    tick(0.15f);
    EXPECT_EQ(shownIndex(), 1);
    // Already running here: left as it is, not restarted.
    manager.addAction(animate, sprite, false);
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), 1u);
    tick(0.1f);
    EXPECT_EQ(shownIndex(), 2);
    // Running on another target: refused.
    FakeSprite* other = new FakeSprite();
    manager.addAction(animate, other, false);
    EXPECT_EQ(manager.numberOfRunningActionsInTarget(other), 0u);
    EXPECT_EQ(animate->getTarget(), sprite);
    other->release();
    // Pausing is the node tree's exit and enter test's.
    tick(0.1f);
    EXPECT_EQ(shownIndex(), 3);
    // Stopping does not restore a frame; stopped and finished instances
    // restart from the beginning.
    manager.removeAction(animate);
    EXPECT_EQ(shownIndex(), 3);
    for (int pass = 0; pass < 2; ++pass) {
        manager.addAction(animate, sprite, false);
        tick(0.1f);
        EXPECT_EQ(shownIndex(), 0) << pass;
        for (int i = 0; i < 10; ++i) tick(0.1f);
        EXPECT_EQ(manager.numberOfRunningActionsInTarget(sprite), 0u);
        EXPECT_EQ(shownIndex(), 3);
    }
    animate->release();
}

TEST_F(Actions, ChangesDuringTheTickAndDestroyedTargets) {
    // An action that runs a hook on every step.
    class Hook : public CCActionInterval {
    public:
        explicit Hook(std::function<void()> f) : fn(std::move(f)) { initWithDuration(10); }
        void update(float) override {
            ++steps;
            if (fn) fn();
        }
        std::function<void()> fn;
        int steps = 0;
    };
    FakeSprite* doomed = new FakeSprite();
    auto* victimAction = new Hook(nullptr);
    auto* added = new Hook(nullptr);
    auto* killer = new Hook([&] {
        if (doomed) {
            doomed->release();  // destroyed with its running action
            doomed = nullptr;
            manager.addAction(added, sprite, false);
        }
    });
    manager.addAction(killer, sprite, false);
    manager.addAction(victimAction, doomed, false);

    tick(0.1f);
    EXPECT_EQ(killer->steps, 1);
    EXPECT_EQ(victimAction->steps, 0);
    EXPECT_EQ(victimAction->getTarget(), nullptr);
    EXPECT_EQ(added->steps, 0);  // first steps in the next tick
    tick(0.1f);
    EXPECT_EQ(added->steps, 1);
    EXPECT_EQ(victimAction->steps, 0);

    // Restarting an action whose target died works on a new target.
    manager.addAction(victimAction, sprite, false);
    tick(0.1f);
    EXPECT_EQ(victimAction->steps, 1);
    victimAction->release();
    killer->release();
    added->release();
}

TEST_F(Actions, NodeActionsGoThroughTheSharedManagerAndTheSchedulerTick) {
    CCNode* node = new FakeSprite();
    node->onEnter();
    CCAction* action = node->runAction(CCFadeTo::create(0.2f, 0));
    action->setTag(7);
    EXPECT_EQ(node->getActionByTag(7), action);
    EXPECT_EQ(node->runAction(nullptr), nullptr);
    CCScheduler::sharedScheduler()->update(0.0f);
    CCScheduler::sharedScheduler()->update(0.1f);
    EXPECT_EQ(static_cast<FakeSprite*>(node)->opacity, 128);
    node->stopActionByTag(7);
    EXPECT_EQ(node->numberOfRunningActions(), 0u);
    node->onExit();
    node->release();
}
