#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "base/CCArray.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"

using namespace cocos2d;

namespace {

class Containers : public ::testing::Test {
protected:
    void TearDown() override { CCPoolManager::sharedPoolManager()->finalize(); }
};

std::vector<std::string> keysOf(CCDictionary* d) {
    std::vector<std::string> out;
    CCObject* o = nullptr;
    CCArray* keys = d->allKeys();
    CCARRAY_FOREACH(keys, o) out.push_back(static_cast<CCString*>(o)->getCString());
    return out;
}

TEST_F(Containers, ArrayBoundsIdentityAndReferences) {
    CCArray* a = CCArray::createWithCapacity(4);
    EXPECT_EQ(a->objectAtIndex(0), nullptr);
    EXPECT_EQ(a->lastObject(), nullptr);
    CCString* s = new CCString("held");
    a->addObject(s);
    a->addObject(s);
    EXPECT_EQ(s->retainCount(), 3u);
    EXPECT_TRUE(a->containsObject(s));
    EXPECT_EQ(a->objectAtIndex(2), nullptr);
    EXPECT_EQ(a->objectAtIndex(UINT_MAX), nullptr);
    EXPECT_EQ(a->indexOfObject(CCString::create("held")), UINT_MAX) << "identity, not equality";
    a->removeObjectAtIndex(5);  // logged, ignored
    a->addObject(nullptr);
    EXPECT_EQ(a->count(), 2u);
    a->removeObject(s);
    EXPECT_EQ(s->retainCount(), 2u);
    EXPECT_EQ(a->indexOfObject(s), 0u);
    a->removeAllObjects();
    EXPECT_EQ(s->retainCount(), 1u);
    EXPECT_FALSE(a->containsObject(s));
    s->release();
}

TEST_F(Containers, ForeachReadsTheCountAtEveryStep) {
    CCArray* a = CCArray::create();
    for (int i = 0; i < 6; ++i) a->addObject(CCString::createWithFormat("%d", i));
    std::vector<std::string> seen;
    CCObject* o = nullptr;
    CCARRAY_FOREACH(a, o) {
        seen.push_back(static_cast<CCString*>(o)->getCString());
        // Shrinking the array under the loop must end it, not read past the end.
        if (a->count() > 3) a->removeLastObject();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"0", "1", "2"}));
    CCArray* none = nullptr;
    CCARRAY_FOREACH(none, o) { ADD_FAILURE() << "a null array has no elements"; }
}

// Removing any key leaves every other one in order with its own value;
// replacing keeps a key's place, and a removed key comes back last.
TEST_F(Containers, DictionaryKeepsInsertionOrderAndValuesThroughRemoveAndReplace) {
    const std::vector<std::string> keys{"k0", "k1", "k2", "k3", "k4", "k5"};
    for (const std::string& removed : keys) {
        SCOPED_TRACE(removed);
        CCDictionary* d = CCDictionary::create();
        for (const std::string& k : keys) d->setObject(CCString::create("value of " + k), k);
        d->removeObjectForKey(removed);
        d->removeObjectForKey("missing");
        EXPECT_EQ(d->objectForKey(removed), nullptr);
        std::vector<std::string> rest;
        for (const std::string& k : keys) {
            if (k == removed) continue;
            rest.push_back(k);
            EXPECT_EQ(d->valueForKey(k)->str(), "value of " + k) << k;
        }
        EXPECT_EQ(d->count(), rest.size());
        CCString* replacement = CCString::create("new");
        d->setObject(replacement, rest[0]);
        d->setObject(CCString::create("again"), removed);
        rest.push_back(removed);
        EXPECT_EQ(keysOf(d), rest);
        EXPECT_EQ(d->objectForKey(rest[0]), replacement);
    }
}

TEST_F(Containers, DictionaryValueForKeyIsNeverNull) {
    CCDictionary* d = CCDictionary::create();
    d->setObject(CCArray::create(), "array");
    const CCString* missing = d->valueForKey("missing");
    const CCString* notString = d->valueForKey("array");
    ASSERT_NE(missing, nullptr);
    ASSERT_NE(notString, nullptr);
    EXPECT_EQ(notString->length(), 0u);
    EXPECT_EQ(missing->intValue(), 0);
    // Shared, and still there after drains.
    CCPoolManager::sharedPoolManager()->finalize();
    EXPECT_EQ(CCDictionary::create()->valueForKey("x"), missing);
    EXPECT_STREQ(missing->getCString(), "");
}

TEST_F(Containers, DictionaryRetainsValuesAndReleasesReplacedOnes) {
    CCDictionary* d = CCDictionary::create();
    CCString* first = new CCString("1");
    CCString* second = new CCString("2");
    d->setObject(first, "k");
    d->setObject(first, "k");  // same value again
    EXPECT_EQ(first->retainCount(), 2u);
    d->setObject(second, "k");
    EXPECT_EQ(first->retainCount(), 1u);
    EXPECT_EQ(second->retainCount(), 2u);
    d->removeAllObjects();
    EXPECT_EQ(second->retainCount(), 1u);
    EXPECT_EQ(d->allKeys()->count(), 0u);
    first->release();
    second->release();
}

}  // namespace
