// The sprite link: reference bookkeeping, the excluded-from-atlas hand-over,
// and the pack/dictionary asymmetry of reading a link; plus the container shell.
#include <gtest/gtest.h>

#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVPackMap.h"
#include "test_models.h"

namespace {

using cocos2d::CCDictionary;
using cocos2d::CCString;

class SpriteLink : public SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        installKeyTable({{"value", 10}, {"connectedModelId", 1}, {"attributeName", 2}});
        owner = TestModel::create();
        sprite = new QVAttributeSprite("Sprite", owner.get());
        first = QVModelSpriteContainer::create();
        second = QVModelSpriteContainer::create();
        controller()->addModel(first);
        controller()->addModel(second);
    }
    static size_t countOf(const QVModel& model, const QVBaseAttribute* attribute) {
        size_t n = 0;
        for (auto* r : model.references()) n += r == attribute;
        return n;
    }
    std::shared_ptr<TestModel> owner;
    QVAttributeSprite* sprite = nullptr;
    std::shared_ptr<QVModelSpriteContainer> first, second;
    msgpack::zone zone;
};

TEST_F(SpriteLink, SettingMovesTheReferenceAndNotifiesEvenForTheSameContainer) {
    RecordingListener listener;
    owner->addListener(&listener);
    sprite->setValue(first);
    EXPECT_EQ(countOf(*first, sprite), 1u);
    sprite->setValue(first);
    EXPECT_EQ(countOf(*first, sprite), 1u);
    EXPECT_EQ(listener.attributeEvents.size(), 2u);

    sprite->setValue(second, true);
    EXPECT_EQ(countOf(*first, sprite), 0u);
    EXPECT_EQ(countOf(*second, sprite), 1u);
    EXPECT_EQ(sprite->value(), second);
    EXPECT_EQ(listener.attributeEvents.size(), 2u);

    // Something that is not a container unlinks.
    sprite->setValue(TestModel::create(), true);
    EXPECT_EQ(sprite->valueModel(), nullptr);
    EXPECT_TRUE(second->references().empty());
    owner->removeListener(&listener);
}

TEST_F(SpriteLink, CopiesShareTheContainerAndDestructionLeavesItsList) {
    sprite->setValue(first, true);
    auto copy = TestModel::createCopy(*owner);
    auto* copied = attributeCast<QVAttributeSprite>(copy->attribute("Sprite"));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->value(), first);
    EXPECT_EQ(first->references().size(), 2u);

    copy.reset();
    EXPECT_EQ(first->references(), std::vector<QVBaseAttribute*>{sprite});
    owner.reset();
    EXPECT_TRUE(first->references().empty());
}

TEST_F(SpriteLink, ExcludedFromAtlasIsHandedToTheContainer) {
    sprite->setExcludedFromAtlas(true);
    EXPECT_FALSE(first->excludedFromAtlas());  // nothing linked yet
    RecordingListener listener;
    first->addListener(&listener);
    sprite->setValue(first, true);
    EXPECT_TRUE(first->excludedFromAtlas());
    EXPECT_EQ(listener.attributeEvents.size(), 1u);
    sprite->setValue(first, true);  // unchanged flag: the container hears nothing
    EXPECT_EQ(listener.attributeEvents.size(), 1u);

    auto copy = TestModel::createCopy(*owner);
    first->setExcludedFromAtlas(false);
    auto again = TestModel::createCopy(*owner);  // the copy passes its flag on
    EXPECT_TRUE(first->excludedFromAtlas());
    first->removeListener(&listener);
}

TEST_F(SpriteLink, PackNamingANonContainerKeepsTheLinkWhileADictionaryEmptiesIt) {
    auto sound = TestOther::create();
    controller()->addModel(sound);
    sprite->setValue(first, true);

    QVPackMap map(zone);
    map.put("value", sound->id());
    sprite->unpackConnections(map);
    EXPECT_EQ(sprite->value(), first);
    QVPackMap absent(zone);
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
    QVPackMap none(zone);
    sprite->packConnections(none);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(sprite->connectionToDictionary()->count(), 0u);

    sprite->setValue(second, true);
    QVPackMap map(zone);
    sprite->packConnections(map);
    uint32_t id = 0;
    ASSERT_TRUE(map.get("value", id));
    EXPECT_EQ(id, second->id());
    CCDictionary* dict = sprite->connectionToDictionary();
    EXPECT_EQ(dict->valueForKey("value")->uintValue(), second->id());
    EXPECT_EQ(sprite->valueToDictionary()->count(), 0u);

    auto reader = TestModel::create();
    auto* read = new QVAttributeSprite("Sprite", reader.get());
    read->unpackConnections(map);
    EXPECT_EQ(read->value(), second);
    auto other = new QVAttributeSprite("Other", reader.get());
    other->connectionFromDictionary(dict);
    EXPECT_EQ(other->value(), second);
    EXPECT_EQ(second->references().size(), 3u);
}

TEST_F(SpriteLink, ContainerShellDeclaresItsAttributes) {
    auto container = QVModelSpriteContainer::create();
    EXPECT_STREQ(container->className(), "QVModelSpriteContainer");
    EXPECT_EQ(container->type(), typeId<QVModelSpriteContainer>());
    EXPECT_TRUE(container->isKindOf(typeId<QVModel>()));
    EXPECT_EQ(container->name(), "");
    ASSERT_EQ(container->attributes().size(), 4u);
    EXPECT_EQ(container->attributes()[1]->name(), "Animation Speed");
    EXPECT_EQ(container->attributes()[2]->name(), "Duration");
    EXPECT_EQ(container->attributes()[3]->name(), "Excluded From Atlas");
    EXPECT_FLOAT_EQ(container->animationSpeed(), 1.0f);
    EXPECT_FLOAT_EQ(container->duration(), 0.0f);
    EXPECT_FALSE(container->excludedFromAtlas());

    auto clone = std::static_pointer_cast<QVModelSpriteContainer>(container->clone(false, false));
    EXPECT_NE(clone->id(), container->id());
    EXPECT_FLOAT_EQ(clone->animationSpeed(), 1.0f);
}

}  // namespace
