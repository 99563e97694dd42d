#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "base/CCArray.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCObject.h"

using namespace cocos2d;

namespace {

// Records its death, and can run a hook in its destructor.
class Probe : public CCObject {
public:
    static std::set<const Probe*>& alive() {
        static std::set<const Probe*> set;
        return set;
    }
    static Probe* make(std::function<void()> onDestroy = nullptr) {
        Probe* p = new Probe();
        p->onDestroy_ = std::move(onDestroy);
        return p;
    }
    static Probe* autoreleased(std::function<void()> onDestroy = nullptr) {
        Probe* p = make(std::move(onDestroy));
        p->autorelease();
        return p;
    }
    static bool isAlive(const Probe* p) { return alive().count(p) > 0; }

    Probe() { alive().insert(this); }
    ~Probe() override {
        alive().erase(this);
        if (onDestroy_) onDestroy_();
    }

private:
    std::function<void()> onDestroy_;
};

class Pool : public ::testing::Test {
protected:
    void SetUp() override {
        pm()->finalize();
        Probe::alive().clear();
    }
    void TearDown() override {
        pm()->finalize();
        EXPECT_TRUE(Probe::alive().empty()) << "every probe dies";
    }
    static CCPoolManager* pm() { return CCPoolManager::sharedPoolManager(); }
};

TEST_F(Pool, CreateIsAutoreleasedAndTheLastReleaseDeletes) {
    CCArray* array = CCArray::create();
    EXPECT_EQ(array->retainCount(), 1u);
    EXPECT_EQ(pm()->pendingCount(), 1u);

    Probe* p = Probe::make();
    p->retain();
    p->release();
    EXPECT_TRUE(Probe::isAlive(p));
    p->release();
    EXPECT_FALSE(Probe::isAlive(p));
}

TEST_F(Pool, FinalizeReleasesEachPendingEntryOnceAndLeavesAUsablePool) {
    Probe* unowned = Probe::autoreleased();
    Probe* kept = Probe::autoreleased();
    kept->retain();
    Probe* twice = Probe::make();
    twice->retain();
    twice->autorelease();
    twice->autorelease();  // two references handed to the pool

    pm()->finalize();
    EXPECT_FALSE(Probe::isAlive(unowned));
    EXPECT_FALSE(Probe::isAlive(twice));
    ASSERT_TRUE(Probe::isAlive(kept));
    EXPECT_EQ(kept->retainCount(), 1u);
    EXPECT_EQ(pm()->pendingCount(), 0u);

    // The frame-end drain must not release those entries again.
    Probe* later = Probe::autoreleased();
    pm()->drain();
    EXPECT_FALSE(Probe::isAlive(later));
    ASSERT_TRUE(Probe::isAlive(kept));
    EXPECT_EQ(kept->retainCount(), 1u);
    kept->release();
}

TEST_F(Pool, FinalizeCoversEveryPushedPoolAndPopDrainsOnlyTheInnerOne) {
    Probe* outer = Probe::autoreleased();
    pm()->push();
    Probe* inner = Probe::autoreleased();
    pm()->pop();
    EXPECT_FALSE(Probe::isAlive(inner));
    EXPECT_TRUE(Probe::isAlive(outer));

    pm()->push();
    Probe* inner2 = Probe::autoreleased();
    pm()->finalize();
    EXPECT_FALSE(Probe::isAlive(outer));
    EXPECT_FALSE(Probe::isAlive(inner2));
    pm()->pop();
    EXPECT_EQ(pm()->pendingCount(), 0u);
}

TEST_F(Pool, DestructorThatAutoreleasesDuringADrainWaitsForTheNextDrain) {
    Probe* born = nullptr;
    Probe::autoreleased([&born] { born = Probe::autoreleased(); });
    pm()->drain();
    ASSERT_NE(born, nullptr);
    EXPECT_TRUE(Probe::isAlive(born)) << "added during the drain, released by the next one";
    EXPECT_EQ(pm()->pendingCount(), 1u);
    pm()->drain();
    EXPECT_FALSE(Probe::isAlive(born));
}

TEST_F(Pool, DestructorsMayDrainOrFinalizeInsideADrain) {
    Probe* afterDrainer = nullptr;
    Probe* bornInFinalize = nullptr;
    Probe::autoreleased([] { CCPoolManager::sharedPoolManager()->drain(); });
    Probe::autoreleased([&bornInFinalize] {
        bornInFinalize = Probe::autoreleased();
        CCPoolManager::sharedPoolManager()->finalize();
    });
    afterDrainer = Probe::autoreleased();
    afterDrainer->retain();
    pm()->drain();
    // Still one reference: the entry was released exactly once, whoever got to it.
    ASSERT_TRUE(Probe::isAlive(afterDrainer));
    EXPECT_EQ(afterDrainer->retainCount(), 1u);
    afterDrainer->release();
    EXPECT_FALSE(Probe::isAlive(bornInFinalize));
    EXPECT_EQ(pm()->pendingCount(), 0u);
}

TEST_F(Pool, DeletingAnObjectThatIsStillPooledRemovesItsEntries) {
    Probe* p = Probe::make();
    p->autorelease();
    const size_t before = pm()->pendingCount();
    delete p;  // legal for count 1; the pending entry must not dangle
    EXPECT_EQ(pm()->pendingCount(), before - 1);
    pm()->drain();

    // A destructor deleting an object that waits later in the same drain.
    Probe* victim = Probe::make();
    Probe::autoreleased([victim] { delete victim; });
    victim->autorelease();
    pm()->drain();
    EXPECT_FALSE(Probe::isAlive(victim));
    EXPECT_EQ(pm()->pendingCount(), 0u);

    // Never pooled: plain delete, nothing logged into the pool.
    Probe* plain = Probe::make();
    delete plain;
    {
        Probe onStack;
        onStack.retain();
        onStack.release();
    }
    EXPECT_EQ(pm()->pendingCount(), 0u);
}

TEST_F(Pool, ArraysRetainWhatTheyHoldAcrossDrains) {
    CCArray* array = CCArray::create();
    array->retain();
    Probe* p = Probe::autoreleased();
    array->addObject(p);
    pm()->drain();
    ASSERT_TRUE(Probe::isAlive(p));
    EXPECT_EQ(p->retainCount(), 1u);
    array->release();
    EXPECT_FALSE(Probe::isAlive(p));
}

}  // namespace
