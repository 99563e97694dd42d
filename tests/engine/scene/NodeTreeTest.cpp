// The node tree: drawing order, mutation during walks, teardown, enter/exit
// and the pool emptied in the middle of a visit. A visit started on a node
// nothing else keeps alive must survive its own walk, or the children listed
// by that walk are freed under it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "actions/CCActionInterval.h"
#include "actions/CCActionManager.h"
#include "actions/CCScheduler.h"
#include "base/CCAutoreleasePool.h"
#include "math/kazmath.h"
#include "scene/CCLayer.h"
#include "scene/CCNode.h"
#include "scene/CCScene.h"

using namespace cocos2d;

namespace {

std::vector<std::string> g_log;
int g_destroyed = 0;

// A node that logs its callbacks under its name and runs optional hooks.
class Probe : public CCNode {
public:
    explicit Probe(std::string name) : m_name(std::move(name)) {}
    ~Probe() override {
        ++g_destroyed;
        if (onDestroy) onDestroy();
    }
    static Probe* make(const std::string& name) {
        auto* p = new Probe(name);
        p->autorelease();
        return p;
    }
    void draw() override {
        g_log.push_back("draw " + m_name);
        if (!onDraw) return;
        std::function<void()> hook = onDraw;  // the hook may free this node
        hook();
    }
    void onEnter() override {
        ++enters;
        g_log.push_back("enter " + m_name);
        CCNode::onEnter();
        if (afterEnter) afterEnter();
    }
    void onExit() override {
        ++exits;
        g_log.push_back("exit " + m_name);
        CCNode::onExit();
        if (afterExit) afterExit();
    }
    void setParent(CCNode* parent) override {
        parents.push_back(parent);
        CCNode::setParent(parent);
    }
    void update(float) override { ++updates; }

    std::string m_name;
    std::function<void()> onDraw, afterEnter, afterExit, onDestroy;
    std::vector<CCNode*> parents;
    int enters = 0, exits = 0, updates = 0;
};

// Counts the steps it gets; never finishes on its own.
class CountingAction : public CCActionInterval {
public:
    static CountingAction* make() {
        auto* a = new CountingAction();
        a->initWithDuration(1000.0f);
        a->autorelease();
        return a;
    }
    void update(float) override { ++steps; }
    int steps = 0;
};

class NodeTree : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        g_destroyed = 0;
        kmGLFreeAll();
    }
    void TearDown() override {
        CCScheduler::sharedScheduler()->unscheduleAll();
        CCActionManager::sharedManager()->removeAllActions();
        CCPoolManager::sharedPoolManager()->finalize();
        kmGLFreeAll();
    }
    void tick(float dt = 1.0f / 60) { CCScheduler::sharedScheduler()->update(dt); }
};

std::vector<std::string> draws() {
    std::vector<std::string> out;
    for (const std::string& line : g_log)
        if (line.rfind("draw ", 0) == 0) out.push_back(line.substr(5));
    return out;
}

}  // namespace

TEST_F(NodeTree, DrawOrderIsStoredZThenArrivalAndReorderGivesANewArrival) {
    Probe* root = Probe::make("root");
    root->retain();
    root->addChild(Probe::make("a0"), 0);
    root->addChild(Probe::make("bneg"), -1);
    root->addChild(Probe::make("c2"), 2);
    root->addChild(Probe::make("d0"), 0);
    root->addChild(Probe::make("eneg"), -1);
    root->visit();
    EXPECT_EQ(draws(), (std::vector<std::string>{"bneg", "eneg", "root", "a0", "d0", "c2"}));

    // Same z again: the reordered child now arrives last among its equals.
    g_log.clear();
    root->reorderChild(static_cast<CCNode*>(root->getChildren()->objectAtIndex(0)), -1);
    root->visit();
    EXPECT_EQ(draws(), (std::vector<std::string>{"eneg", "bneg", "root", "a0", "d0", "c2"}));

    // setZOrder goes through the parent.
    g_log.clear();
    root->getChildByTag(kCCNodeTagInvalid)->setZOrder(5);  // first in array order: eneg
    root->visit();
    EXPECT_EQ(draws(), (std::vector<std::string>{"bneg", "root", "a0", "d0", "c2", "eneg"}));
    root->release();
    CCPoolManager::sharedPoolManager()->finalize();
    EXPECT_EQ(g_destroyed, 6);
}

TEST_F(NodeTree, ZOrderOverrideDoesNotChangeTheOrder) {
    class Inverted : public Probe {
    public:
        using Probe::Probe;
        int getZOrder() override { return -100 * CCNode::getZOrder(); }
    };
    CCNode* root = CCNode::create();
    root->retain();
    auto* low = new Inverted("low");
    auto* high = new Inverted("high");
    root->addChild(high, 3);
    root->addChild(low, 1);
    auto* plain = new Inverted("plain");
    plain->setZOrder(2);
    root->addChild(plain);  // keeps the stored 2, not the override's -200
    low->release();
    high->release();
    plain->release();
    root->visit();
    EXPECT_EQ(draws(), (std::vector<std::string>{"low", "plain", "high"}));
    root->release();
}

TEST_F(NodeTree, ChildrenArrayAndSetParentOverride) {
    CCNode* node = CCNode::create();
    ASSERT_NE(node->getChildren(), nullptr);
    EXPECT_EQ(node->getChildren()->count(), 0u);
    EXPECT_EQ(node->getChildrenCount(), 0u);

    Probe* child = Probe::make("c");
    node->addChild(child, 0, 42);
    EXPECT_EQ(node->getChildByTag(42), child);
    ASSERT_EQ(child->parents.size(), 1u);
    EXPECT_EQ(child->parents[0], node);
    // A second parent is refused.
    CCNode* other = CCNode::create();
    other->addChild(child);
    EXPECT_EQ(child->getParent(), node);
    EXPECT_EQ(other->getChildrenCount(), 0u);
    node->addChild(node);  // refused, no cycle
    EXPECT_EQ(node->getChildrenCount(), 1u);

    child->retain();
    node->removeChild(child);
    ASSERT_EQ(child->parents.size(), 2u);
    EXPECT_EQ(child->parents[1], nullptr);
    EXPECT_EQ(node->getChildrenCount(), 0u);
    child->release();
}

TEST_F(NodeTree, ChildRemovingASiblingAndItselfDuringVisitEnterAndExit) {
    for (std::string phase : {"visit", "enter", "exit"}) {
        SCOPED_TRACE(phase);
        g_log.clear();
        g_destroyed = 0;
        CCNode* root = CCNode::create();
        root->retain();
        Probe* first = Probe::make("first");
        Probe* killer = Probe::make("killer");
        Probe* victim = Probe::make("victim");
        victim->retain();
        root->addChild(first);
        root->addChild(killer);
        root->addChild(victim);
        std::function<void()> act = [&] {
            root->removeChild(victim, true);
            killer->removeFromParent();
            root->removeChild(first);
        };
        if (phase == "visit") killer->onDraw = act;
        if (phase == "enter") killer->afterEnter = act;
        if (phase == "exit") {
            killer->afterExit = act;
            root->onEnter();
            g_log.clear();
        }

        if (phase == "visit") root->visit();
        if (phase == "enter") root->onEnter();
        if (phase == "exit") root->onExit();
        EXPECT_EQ(root->getChildrenCount(), 0u);
        if (phase == "exit") {
            // Exited once, by its removal rather than by the walk.
            EXPECT_EQ(victim->exits, 1);
            EXPECT_EQ(killer->exits, 1);
        } else {
            // The walk that was running when it left never reaches it.
            for (const std::string& line : g_log) EXPECT_EQ(line.find("victim"), std::string::npos) << line;
            EXPECT_EQ(victim->enters, 0);
        }
        if (phase == "enter") {
            EXPECT_EQ(killer->enters, 1);
            EXPECT_EQ(killer->exits, 1);  // removal exits a running child
        }
        CCPoolManager::sharedPoolManager()->finalize();
        EXPECT_EQ(g_destroyed, 2);
        victim->release();
        EXPECT_EQ(g_destroyed, 3);
        if (root->isRunning()) root->onExit();
        root->release();
    }
}

// A node whose destructor removes a sibling from their common parent, while
// the whole scene is being destroyed.
TEST_F(NodeTree, SceneTeardownWhileADestructorRemovesASibling) {
    CCScene* scene = CCScene::create();
    scene->retain();
    CCLayer* layer = CCLayer::create();
    scene->addChild(layer);
    Probe* particles = Probe::make("particles");
    Probe* owner = Probe::make("owner");
    layer->addChild(owner);
    layer->addChild(particles);
    particles->retain();
    CCNode* parentSeen = layer;
    owner->onDestroy = [particles, &parentSeen] {
        parentSeen = particles->getParent();
        particles->removeFromParent();
        particles->release();
    };
    // And one that removes a sibling through the (dying) parent pointer it kept.
    Probe* other = Probe::make("other");
    Probe* keeper = Probe::make("keeper");
    layer->addChild(keeper);
    layer->addChild(other);
    CCNode* parentNode = layer;
    keeper->onDestroy = [parentNode, other] { parentNode->removeChild(other); };

    scene->onEnter();
    CCPoolManager::sharedPoolManager()->finalize();
    scene->onExit();
    scene->cleanup();
    scene->release();
    EXPECT_EQ(g_destroyed, 4);
    EXPECT_EQ(parentSeen, nullptr);  // the dying parent let go of its children first
}

TEST_F(NodeTree, NestedVisitFromInsideVisit) {
    CCScene* scene = CCScene::create();
    scene->retain();
    Probe* back = Probe::make("back");
    Probe* loader = Probe::make("loader");
    Probe* front = Probe::make("front");
    scene->addChild(back, -1);
    scene->addChild(loader, 0);
    scene->addChild(front, 1);
    int depth = 0;
    loader->onDraw = [&] {
        if (depth++ == 0) {
            // Mutates the tree and sorts it again inside the nested walk.
            scene->reorderChild(front, -2);
            scene->visit();
        }
    };
    scene->visit();
    EXPECT_EQ(draws(), (std::vector<std::string>{"back", "loader", "front", "back", "loader", "front"}));
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
    scene->release();
}

// The parent's array holds the only reference: a child removed during the
// visit (here before a nested visit) is neither drawn nor freed while a walk
// that listed it is still running, and is freed as soon as the last one ends.
TEST_F(NodeTree, ChildRemovedDuringVisitLivesUntilTheWalkEnds) {
    CCNode* root = CCNode::create();
    root->retain();
    Probe* killer = Probe::make("killer");
    Probe* victim = Probe::make("victim");
    root->addChild(killer);
    root->addChild(victim);
    CCPoolManager::sharedPoolManager()->finalize();
    ASSERT_EQ(victim->retainCount(), 1u);
    int destroyedInsideWalk = -1;
    int depth = 0;
    killer->onDraw = [&] {
        if (depth++ > 0) return;
        root->removeChild(victim);
        root->visit();
        destroyedInsideWalk = g_destroyed;
    };
    root->visit();
    EXPECT_EQ(destroyedInsideWalk, 0);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(draws(), (std::vector<std::string>{"killer", "killer"}));
    root->visit();  // nothing left parked from the last frame
    EXPECT_EQ(g_destroyed, 1);
    root->release();
    EXPECT_EQ(g_destroyed, 2);
}

// That entering resumes its actions and updates is the next test's.
TEST_F(NodeTree, ChildAddedDuringEnterWalkIsEnteredOnce) {
    CCNode* root = CCNode::create();
    root->retain();
    Probe* spawner = Probe::make("spawner");
    Probe* late = Probe::make("late");
    root->addChild(spawner);
    root->addChild(Probe::make("after"));
    spawner->afterEnter = [&] { root->addChild(late); };
    root->onEnter();
    EXPECT_EQ(late->enters, 1);
    EXPECT_TRUE(late->isRunning());
    root->onExit();
    root->cleanup();
    root->release();
}

TEST_F(NodeTree, ExitPausesEnterResumesAndCleanupStopsRecursively) {
    CCNode* root = CCNode::create();
    root->retain();
    Probe* child = Probe::make("child");
    Probe* grandchild = Probe::make("grandchild");
    root->addChild(child);
    child->addChild(grandchild);
    CountingAction* action = CountingAction::make();
    grandchild->runAction(action);
    grandchild->scheduleUpdate();
    // Each row, then one tick: the grandchild's action steps and updates.
    const struct {
        const char* what;
        std::function<void()> step;
        int expected;
    } rows[] = {
        {"not running yet: paused", [] {}, 0},
        {"entered", [&] { root->onEnter(); }, 1},
        {"exited", [&] { root->onExit(); }, 1},
        {"entered again", [&] { root->onEnter(); }, 2},
        {"entered twice: no second enter", [&] { root->onEnter(); }, 3},
        {"cleaned up", [&] { root->cleanup(); }, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.step();
        tick();
        EXPECT_EQ(action->steps, row.expected);
        EXPECT_EQ(grandchild->updates, row.expected);
        EXPECT_EQ(grandchild->isRunning(), root->isRunning());
    }
    EXPECT_EQ(grandchild->enters, 2);
    EXPECT_EQ(grandchild->numberOfRunningActions(), 0u);
    EXPECT_FALSE(CCScheduler::sharedScheduler()->isUpdateScheduled(grandchild));
    root->onExit();
    root->release();
}

TEST_F(NodeTree, DestroyedScheduledNodeLeavesTheSchedulerAndActionManager) {
    CCScheduler* scheduler = CCScheduler::sharedScheduler();
    unsigned int before = scheduler->entryCount();
    CCNode* root = CCNode::create();
    root->retain();
    root->onEnter();
    Probe* child = Probe::make("child");
    root->addChild(child);
    child->scheduleUpdate();
    CountingAction* action = CountingAction::make();
    action->retain();
    child->runAction(action);
    EXPECT_EQ(scheduler->entryCount(), before + 1);
    // Removal without cleanup keeps the entries; destruction drops them.
    root->removeChild(child, false);
    CCPoolManager::sharedPoolManager()->finalize();
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(scheduler->entryCount(), before);
    EXPECT_EQ(action->getTarget(), nullptr);
    tick();
    action->release();
    root->onExit();
    root->release();
}

// The pool emptied from inside a draw, in the middle of the traversal (what
// the pool releases, and when, is the pool suite's): the walk goes on, and a
// node created this frame and attached survives.
TEST_F(NodeTree, FinalizeDuringDrawKeepsTheWalkAndAttachedNewNodes) {
    CCScene* scene = CCScene::create();
    scene->retain();
    CCLayer* layer = CCLayer::create();
    scene->addChild(layer);
    Probe* loader = Probe::make("loader");
    layer->addChild(loader);
    layer->addChild(Probe::make("after"));
    loader->onDraw = [&] {
        layer->addChild(Probe::make("fresh"));
        CCPoolManager::sharedPoolManager()->finalize();
    };
    scene->onEnter();
    scene->visit();
    EXPECT_EQ(draws(), (std::vector<std::string>{"loader", "after"}));
    CCPoolManager::sharedPoolManager()->drain();  // the frame end
    EXPECT_EQ(g_destroyed, 0);
    loader->onDraw = nullptr;
    g_log.clear();
    scene->visit();
    EXPECT_EQ(draws(), (std::vector<std::string>{"loader", "after", "fresh"}));
    scene->onExit();
    scene->release();
    EXPECT_EQ(g_destroyed, 3);
}

TEST_F(NodeTree, PoolEmptiedMidVisitKeepsTheRootAndItsChildrenUntilTheWalkEnds) {
    Probe* root = Probe::make("root");  // the pool holds the only reference
    Probe* first = Probe::make("first");
    root->addChild(first);
    root->addChild(Probe::make("second"));
    int destroyedDuringWalk = -1;
    first->onDraw = [&] {
        CCPoolManager::sharedPoolManager()->finalize();
        destroyedDuringWalk = g_destroyed;
    };
    root->visit();
    EXPECT_EQ(destroyedDuringWalk, 0);
    EXPECT_EQ(draws(), (std::vector<std::string>{"root", "first", "second"}));
    EXPECT_EQ(g_destroyed, 3);  // all freed once the visit is over
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
}

TEST_F(NodeTree, SubtreeVisitedOnItsOwnSurvivesBeingRemovedByItsGrandchild) {
    // As a render pass draws a part of the tree: the parent is not visiting.
    CCNode* holder = CCNode::create();
    holder->retain();
    Probe* subtree = Probe::make("subtree");
    Probe* leaf = Probe::make("leaf");
    holder->addChild(subtree);
    subtree->addChild(leaf);
    subtree->addChild(Probe::make("sibling"));
    CCPoolManager::sharedPoolManager()->finalize();  // the parents hold the only references
    leaf->onDraw = [&] { subtree->removeFromParent(); };
    subtree->visit();
    EXPECT_EQ(draws(), (std::vector<std::string>{"subtree", "leaf", "sibling"}));
    EXPECT_EQ(g_destroyed, 3);
    EXPECT_EQ(holder->getChildrenCount(), 0u);
    holder->release();
}
