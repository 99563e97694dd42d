#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "base/CCArray.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCObject.h"

using namespace cocos2d;

namespace {

std::set<const CCObject*> g_alive;

// Records its death, and can run a hook in its destructor.
struct Probe : CCObject {
    explicit Probe(std::function<void()> hook = nullptr) : onDestroy(std::move(hook)) { g_alive.insert(this); }
    ~Probe() override {
        g_alive.erase(this);
        if (onDestroy) onDestroy();
    }
    std::function<void()> onDestroy;
};

Probe* pooled(std::function<void()> hook = nullptr) {
    auto* p = new Probe(std::move(hook));
    p->autorelease();
    return p;
}
bool alive(const CCObject* p) { return g_alive.count(p) > 0; }

class Pool : public ::testing::Test {
protected:
    void SetUp() override {
        pm()->finalize();
        g_alive.clear();
    }
    void TearDown() override {
        pm()->finalize();
        EXPECT_TRUE(g_alive.empty()) << "every probe dies";
    }
    static CCPoolManager* pm() { return CCPoolManager::sharedPoolManager(); }
};

TEST_F(Pool, CreateIsAutoreleasedAndArraysHoldTheLastReferenceAcrossDrains) {
    CCArray* array = CCArray::create();
    EXPECT_EQ(array->retainCount(), 1u);
    EXPECT_EQ(pm()->pendingCount(), 1u);
    array->retain();
    Probe* p = pooled();
    array->addObject(p);
    pm()->drain();
    ASSERT_TRUE(alive(p));
    EXPECT_EQ(p->retainCount(), 1u);
    array->release();  // the last release deletes
    EXPECT_FALSE(alive(p));
}

TEST_F(Pool, FinalizeReleasesEachPendingEntryOnceAndLeavesAUsablePool) {
    Probe* unowned = pooled();
    Probe* kept = pooled();
    kept->retain();
    Probe* twice = new Probe();
    twice->retain();
    twice->autorelease();
    twice->autorelease();  // two references handed to the pool

    pm()->finalize();
    EXPECT_FALSE(alive(unowned));
    EXPECT_FALSE(alive(twice));
    ASSERT_TRUE(alive(kept));
    EXPECT_EQ(kept->retainCount(), 1u);
    EXPECT_EQ(pm()->pendingCount(), 0u);

    // The frame-end drain must not release those entries again.
    Probe* later = pooled();
    pm()->drain();
    EXPECT_FALSE(alive(later));
    ASSERT_TRUE(alive(kept));
    EXPECT_EQ(kept->retainCount(), 1u);
    kept->release();
}

TEST_F(Pool, FinalizeCoversEveryPushedPoolAndPopDrainsOnlyTheInnerOne) {
    Probe* outer = pooled();
    pm()->push();
    Probe* inner = pooled();
    pm()->pop();
    EXPECT_FALSE(alive(inner));
    EXPECT_TRUE(alive(outer));

    pm()->push();
    Probe* inner2 = pooled();
    pm()->finalize();
    EXPECT_FALSE(alive(outer));
    EXPECT_FALSE(alive(inner2));
    pm()->pop();
    EXPECT_EQ(pm()->pendingCount(), 0u);
}

TEST_F(Pool, DestructorThatAutoreleasesDuringADrainWaitsForTheNextDrain) {
    Probe* born = nullptr;
    pooled([&born] { born = pooled(); });
    pm()->drain();
    ASSERT_NE(born, nullptr);
    EXPECT_TRUE(alive(born)) << "added during the drain, released by the next one";
    EXPECT_EQ(pm()->pendingCount(), 1u);
    pm()->drain();
    EXPECT_FALSE(alive(born));
}

TEST_F(Pool, DestructorsMayDrainOrFinalizeInsideADrain) {
    Probe* afterDrainer = nullptr;
    Probe* bornInFinalize = nullptr;
    pooled([] { CCPoolManager::sharedPoolManager()->drain(); });
    pooled([&bornInFinalize] {
        bornInFinalize = pooled();
        CCPoolManager::sharedPoolManager()->finalize();
    });
    afterDrainer = pooled();
    afterDrainer->retain();
    pm()->drain();
    // Still one reference: the entry was released exactly once, whoever got to it.
    ASSERT_TRUE(alive(afterDrainer));
    EXPECT_EQ(afterDrainer->retainCount(), 1u);
    afterDrainer->release();
    EXPECT_FALSE(alive(bornInFinalize));
    EXPECT_EQ(pm()->pendingCount(), 0u);
}

TEST_F(Pool, DeletingAnObjectThatIsStillPooledRemovesItsEntries) {
    Probe* p = new Probe();
    p->autorelease();
    const size_t before = pm()->pendingCount();
    delete p;  // legal for count 1; the pending entry must not dangle
    EXPECT_EQ(pm()->pendingCount(), before - 1);
    pm()->drain();

    // A destructor deleting an object that waits later in the same drain.
    Probe* victim = new Probe();
    pooled([victim] { delete victim; });
    victim->autorelease();
    pm()->drain();
    EXPECT_FALSE(alive(victim));
    EXPECT_EQ(pm()->pendingCount(), 0u);

    // Never pooled: plain delete, nothing logged into the pool.
    Probe* plain = new Probe();
    delete plain;
    {
        Probe onStack;
        onStack.retain();
        onStack.release();
    }
    EXPECT_EQ(pm()->pendingCount(), 0u);
}

}  // namespace
