// A visit started on a node nothing else keeps alive (held by the pool only,
// or by a parent that is not itself being visited) must survive its own walk,
// or the children listed by that walk are freed under it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "math/kazmath.h"
#include "scene/CCNode.h"

using namespace cocos2d;

namespace {

class Drawn : public CCNode {
public:
    Drawn(std::vector<std::string>* log, int* destroyed, std::string name)
        : m_log(log), m_destroyed(destroyed), m_name(std::move(name)) {}
    ~Drawn() override { ++*m_destroyed; }
    void draw() override {
        m_log->push_back(m_name);
        if (onDraw) {
            std::function<void()> hook = onDraw;  // the hook may free this node's parent
            hook();
        }
    }
    std::function<void()> onDraw;

private:
    std::vector<std::string>* m_log;
    int* m_destroyed;
    std::string m_name;
};

class VisitRoot : public ::testing::Test {
protected:
    void SetUp() override { kmGLFreeAll(); }
    void TearDown() override {
        CCPoolManager::sharedPoolManager()->finalize();
        kmGLFreeAll();
    }

    // Adds a child whose only reference is its parent's.
    Drawn* adopt(CCNode* parent, const std::string& name) {
        auto* child = new Drawn(&log, &destroyed, name);
        parent->addChild(child);
        child->release();
        return child;
    }

    std::vector<std::string> log;
    int destroyed = 0;
};

}  // namespace

TEST_F(VisitRoot, PoolEmptiedMidVisitKeepsTheRootAndItsChildrenUntilTheWalkEnds) {
    auto* root = new Drawn(&log, &destroyed, "root");
    root->autorelease();  // the pool holds the only reference
    Drawn* first = adopt(root, "first");
    adopt(root, "second");
    int destroyedDuringWalk = -1;
    first->onDraw = [&] {
        CCPoolManager::sharedPoolManager()->finalize();
        destroyedDuringWalk = destroyed;
    };
    root->visit();
    EXPECT_EQ(destroyedDuringWalk, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"root", "first", "second"}));
    EXPECT_EQ(destroyed, 3);  // all freed once the visit is over
    EXPECT_EQ(kmGLGetStackDepth(KM_GL_MODELVIEW), 1u);
}

TEST_F(VisitRoot, SubtreeVisitedOnItsOwnSurvivesBeingRemovedByItsGrandchild) {
    // As a render pass draws a part of the tree: the parent is not visiting.
    CCNode* holder = CCNode::create();
    holder->retain();
    auto* subtree = new Drawn(&log, &destroyed, "subtree");
    holder->addChild(subtree);
    subtree->release();
    Drawn* leaf = adopt(subtree, "leaf");
    adopt(subtree, "sibling");
    leaf->onDraw = [&] { subtree->removeFromParent(); };
    subtree->visit();
    EXPECT_EQ(log, (std::vector<std::string>{"subtree", "leaf", "sibling"}));
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(holder->getChildrenCount(), 0u);
    holder->release();
}
