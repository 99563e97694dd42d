// The sprite link: reference bookkeeping, the excluded-from-atlas hand-over,
// the pack/dictionary asymmetry of reading a link, the controller following
// the container; over the stand-in container (the real one: classes.sprite).
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVPackMap.h"
#include "../support/game_stand_ins.h"
#include "test_models.h"

namespace {

using cocos2d::CCDictionary;
using cocos2d::CCString;

class SpriteLink : public SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        installKeyTable({{"value", 10}});
        controller()->addModel(first);
        controller()->addModel(second);
    }
    std::shared_ptr<TestModel> owner = TestModel::create();
    QVAttributeSprite* sprite = new QVAttributeSprite("Sprite", owner.get());
    std::shared_ptr<QVModelSpriteContainer> first = QVModelSpriteContainer::create();
    std::shared_ptr<QVModelSpriteContainer> second = QVModelSpriteContainer::create();
    msgpack::zone zone;
};

TEST_F(SpriteLink, SettingMovesTheReferenceAndNotifiesEvenForTheSameContainer) {
    RecordingListener listener;
    owner->addListener(&listener);
    sprite->setValue(first);
    sprite->setValue(first);
    EXPECT_EQ(first->references(), std::vector<QVBaseAttribute*>{sprite});
    EXPECT_EQ(listener.attributeEvents.size(), 2u);
    sprite->setValue(second, true);
    EXPECT_TRUE(first->references().empty());
    EXPECT_EQ(sprite->value(), second);
    sprite->setValue(TestModel::create(), true);  // not a container: unlinks
    EXPECT_EQ(sprite->valueModel(), nullptr);
    EXPECT_TRUE(second->references().empty());
    EXPECT_EQ(listener.attributeEvents.size(), 2u);
    owner->removeListener(&listener);
}

TEST_F(SpriteLink, CopiesShareTheContainerAndDestructionLeavesItsList) {
    sprite->setExcludedFromAtlas(true);
    sprite->setValue(first, true);
    first->setExcludedFromAtlas(false);
    auto copy = TestModel::createCopy(*owner);
    auto* copied = attributeCast<QVAttributeSprite>(copy->attribute("Sprite"));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->value(), first);
    EXPECT_EQ(first->references().size(), 2u);
    EXPECT_TRUE(first->excludedFromAtlas());  // the copy passed its flag on
    copy.reset();
    EXPECT_EQ(first->references(), std::vector<QVBaseAttribute*>{sprite});
    owner.reset();
    EXPECT_TRUE(first->references().empty());
}

TEST_F(SpriteLink, ExcludedFromAtlasReachesTheContainerOnlyOnChange) {
    sprite->setExcludedFromAtlas(true);
    EXPECT_FALSE(first->excludedFromAtlas());  // nothing linked yet
    RecordingListener listener;
    first->addListener(&listener);
    sprite->setValue(first, true);
    sprite->setValue(first, true);
    EXPECT_TRUE(first->excludedFromAtlas());
    EXPECT_EQ(listener.attributeEvents.size(), 1u);
    first->removeListener(&listener);
}

TEST_F(SpriteLink, PackNamingANonContainerKeepsTheLinkWhileADictionaryEmptiesIt) {
    auto sound = TestOther::create();
    controller()->addModel(sound);
    sprite->setValue(first, true);
    QVPackMap map(zone), absent(zone);
    map.put("value", sound->id());
    sprite->unpackConnections(map);
    sprite->unpackConnections(absent);
    EXPECT_EQ(sprite->value(), first);

    CCDictionary* emptyText = CCDictionary::create();
    emptyText->setObject(CCString::create(""), "value");
    sprite->connectionFromDictionary(emptyText);
    EXPECT_EQ(sprite->value(), first);
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(CCString::createWithFormat("%u", sound->id()), "value");
    sprite->connectionFromDictionary(dict);
    EXPECT_EQ(sprite->valueModel(), nullptr);
    EXPECT_TRUE(first->references().empty());
}

TEST_F(SpriteLink, LinkWritesAndReadsTheContainerId) {
    QVPackMap none(zone), map(zone);
    sprite->packConnections(none);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(sprite->connectionToDictionary()->count(), 0u);
    sprite->setValue(second, true);
    sprite->packConnections(map);
    CCDictionary* dict = sprite->connectionToDictionary();
    EXPECT_EQ(dict->valueForKey("value")->uintValue(), second->id());

    auto reader = TestModel::create();
    auto* fromPack = new QVAttributeSprite("A", reader.get());
    auto* fromDict = new QVAttributeSprite("B", reader.get());
    fromPack->unpackConnections(map);
    fromDict->connectionFromDictionary(dict);
    EXPECT_EQ(fromPack->value(), second);
    EXPECT_EQ(fromDict->value(), second);
}

// The controller registers a linked container with its holder's tree and keeps
// it when the holder goes.
TEST(SpriteRegistry, ContainersFollowTheTreeInAndStayOnRemoval) {
    RecordingController recorder;
    QVModelController* previous = QVModelController::setShared(&recorder);
    recorder.clear();
    auto root = TestModel::create();
    auto child = TestOther::create();
    auto container = QVModelSpriteContainer::create();
    (new QVAttributeSprite("Sprite", child.get()))->setValue(container, true);
    root->addChild(child);
    recorder.addModel(root);
    EXPECT_EQ(recorder.getModel(container->id()), container);
    EXPECT_EQ(recorder.added.size(), 3u);
    recorder.removeModel(root);
    EXPECT_EQ(recorder.getModel(child->id()), nullptr);
    EXPECT_EQ(recorder.getModel(container->id()), container);
    recorder.clear();
    QVModelController::setShared(previous);
}

}  // namespace
