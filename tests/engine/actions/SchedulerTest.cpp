// Scheduler timing, tick order and changes made during a tick.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "actions/CCActionInterval.h"
#include "actions/CCActionManager.h"
#include "actions/CCScheduler.h"
#include "scene/CCNode.h"

using namespace cocos2d;

namespace {

std::vector<std::string> g_calls;

// A plain scheduled object (not a node) that logs its calls.
class Target : public CCObject {
public:
    explicit Target(std::string label = "t") : name(std::move(label)) {}
    void update(float) override {
        g_calls.push_back(name + ".update");
        ++updates;
        if (onUpdate) onUpdate();
    }
    void tick(float elapsed) {
        g_calls.push_back(name + ".tick");
        elapsedSeen.push_back(elapsed);
        if (onTick) onTick();
    }
    void other(float) { g_calls.push_back(name + ".other"); }

    std::string name;
    std::function<void()> onUpdate, onTick;
    std::vector<float> elapsedSeen;
    int updates = 0;
};

class LoggingAction : public CCActionInterval {
public:
    LoggingAction() { initWithDuration(100); }
    void update(float) override { g_calls.push_back("action"); }
};

class Scheduler : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
    CCScheduler scheduler;
};

}  // namespace

// Each call gets the time since the last one; a long frame fires once and
// never catches up; the delay comes first, then the interval.
TEST_F(Scheduler, SelectorTiming) {
    const struct {
        const char* name;
        float interval;
        unsigned int repeat;
        float delay;
        std::vector<float> dts, seen;
    } rows[] = {
        {"repeat 0 fires once", 0.5f, 0, 0, {0.25f, 0.25f, 0.5f, 0.5f, 0.5f}, {0.5f}},
        {"long frame", 1.0f, kCCRepeatForever, 0, {3.0f, 0.5f, 0.5f}, {3.0f, 1.0f}},
        {"delay, then 2 repeats", 1.0f, 2, 0.25f, {0.25f, 0.5f, 0.5f, 1.0f, 1.0f}, {0.25f, 1.0f, 1.0f}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Target t;
        scheduler.scheduleSelector(schedule_selector(Target::tick), &t, row.interval, row.repeat, row.delay, false);
        for (float dt : row.dts) scheduler.update(dt);
        EXPECT_EQ(t.elapsedSeen, row.seen);
        EXPECT_EQ(scheduler.isScheduled(schedule_selector(Target::tick), &t), row.repeat == kCCRepeatForever);
        scheduler.unscheduleAll();
    }
}

TEST_F(Scheduler, RescheduleKeepsTheEntryAndRestartsItsTiming) {
    Target t;
    scheduler.scheduleSelector(schedule_selector(Target::tick), &t, 1.0f, false);
    scheduler.update(0.75f);
    scheduler.scheduleSelector(schedule_selector(Target::tick), &t, 2.0f, false);
    scheduler.update(1.5f);
    EXPECT_TRUE(t.elapsedSeen.empty());
    scheduler.update(0.5f);
    EXPECT_EQ(t.elapsedSeen, (std::vector<float>{2.0f}));
    EXPECT_EQ(scheduler.entryCount(), 1u);
    scheduler.unscheduleAll();
}

TEST_F(Scheduler, TickOrderIsActionsThenUpdatesByPriorityThenSelectors) {
    CCActionManager actions;
    scheduler.setActionManager(&actions);
    Target late("late"), early("early"), mid1("mid1"), mid2("mid2"), early2("early2"), sel("sel");
    scheduler.scheduleSelector(schedule_selector(Target::tick), &sel, 0.0f, false);
    scheduler.scheduleUpdateForTarget(&late, 5, false);
    scheduler.scheduleUpdateForTarget(&mid1, 0, false);
    scheduler.scheduleUpdateForTarget(&early, -3, false);
    scheduler.scheduleUpdateForTarget(&mid2, 0, false);
    scheduler.scheduleUpdateForTarget(&early2, -3, false);
    scheduler.scheduleUpdateForTarget(&mid2, -100, false);  // already there: kept as it was
    CCNode* node = CCNode::create();
    auto* action = new LoggingAction();
    actions.addAction(action, node, false);
    action->release();

    scheduler.update(0.1f);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"action", "early.update", "early2.update", "mid1.update",
                                                 "mid2.update", "late.update", "sel.tick"}));
    actions.removeAllActions();
}

TEST_F(Scheduler, TargetUnschedulingItselfAndAnotherInsideItsCallback) {
    Target a("a"), b("b"), c("c");
    scheduler.scheduleSelector(schedule_selector(Target::tick), &a, 0.0f, false);
    scheduler.scheduleSelector(schedule_selector(Target::tick), &b, 0.0f, false);
    scheduler.scheduleUpdateForTarget(&c, 0, false);
    a.onTick = [&] {
        scheduler.unscheduleSelector(schedule_selector(Target::tick), &a);
        scheduler.unscheduleAllForTarget(&b);
    };
    // An update target removing another's selector and its own update.
    c.onUpdate = [&] { scheduler.unscheduleUpdateForTarget(&c); };
    scheduler.update(0.1f);
    scheduler.update(0.1f);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"c.update", "a.tick"}));
    EXPECT_EQ(scheduler.entryCount(), 0u);
}

TEST_F(Scheduler, TargetDeletedDuringTheTickIsNeverCalledAgain) {
    Target killer("killer");
    auto* victim = new Target("victim");
    scheduler.scheduleUpdateForTarget(&killer, -1, false);
    scheduler.scheduleUpdateForTarget(victim, 0, false);
    scheduler.scheduleSelector(schedule_selector(Target::tick), victim, 0.0f, false);
    killer.onUpdate = [&] {
        if (victim) {
            delete victim;  // count 1 and not in a pool: legal
            victim = nullptr;
        }
    };
    scheduler.update(0.1f);
    scheduler.update(0.1f);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"killer.update", "killer.update"}));
    EXPECT_EQ(scheduler.entryCount(), 1u);
}

TEST_F(Scheduler, ScheduleAddedDuringTheTickFirstRunsInTheNextTick) {
    Target a("a"), b("b");
    scheduler.scheduleSelector(schedule_selector(Target::tick), &a, 0.0f, false);
    a.onTick = [&] {
        scheduler.scheduleSelector(schedule_selector(Target::tick), &b, 0.0f, false);
        scheduler.scheduleUpdateForTarget(&b, -10, false);
        a.onTick = nullptr;
    };
    scheduler.update(0.1f);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a.tick"}));
    g_calls.clear();
    scheduler.update(0.1f);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"b.update", "a.tick", "b.tick"}));
}

TEST_F(Scheduler, ScheduledStackObjectGoingOutOfScopeAndPausing) {
    {
        Target local("local");
        scheduler.scheduleUpdateForTarget(&local, 0, false);
        scheduler.scheduleSelector(schedule_selector(Target::other), &local, 0.0f, false);
        scheduler.update(0.1f);
    }
    EXPECT_EQ(scheduler.entryCount(), 0u);
    scheduler.update(0.1f);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"local.update", "local.other"}));

    Target p("p");
    scheduler.scheduleUpdateForTarget(&p, 0, true);
    scheduler.update(0.1f);
    // Resuming and pausing again are the node tree's exit and enter test's.
    EXPECT_TRUE(scheduler.isTargetPaused(&p));
    EXPECT_EQ(p.updates, 0);
    scheduler.unscheduleAll();
    EXPECT_EQ(scheduler.entryCount(), 0u);
}
