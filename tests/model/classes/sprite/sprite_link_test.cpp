// The sprite link: reference bookkeeping, the excluded-from-atlas hand-over,
// the pack/dictionary asymmetry of reading a link, the controller following
// the container; plus the container shell and its pack against the fixtures.
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVPackMap.h"
#include "model/core/QVPackStream.h"
#include "../../core/spine/test_models.h"
#include "../../core/support/model_test_support.h"

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

// The fixtures' containers (tests/model/core/golden reads the rest of these
// files with a stand-in) read field by field and pack back to their bytes.
TEST_F(SpriteLink, ContainerReadsAndPacksTheFixtureBytes) {
    const std::string dir = std::string(QV_SOURCE_DIR) + "/tests/fixtures/packs/";
    const auto keys = modeltest::readFile(dir + "Keys.pack");
    installKeyTable(readKeysPack(keys.data(), keys.size(), "12345"));
    struct Row { const char* file; size_t index; uint32_t id; float speed, duration; bool excluded; };
    for (const Row& row : {Row{"all-kinds.attributes.pack", 2, 77, 1.5f, 0.75f, false},
                           Row{"stream.pack", 1, 128, 0.5f, 0.f, true}}) {
        SCOPED_TRACE(row.file);
        const auto bytes = modeltest::readFile(dir + row.file);
        QVPackStream stream(bytes.data(), bytes.size());
        msgpack::object_handle handle;
        for (size_t i = 0; i <= row.index; ++i) ASSERT_TRUE(stream.next(handle));
        const modeltest::Bytes object(bytes.begin() + static_cast<std::ptrdiff_t>(stream.objectOffset()),
                                      bytes.begin() + static_cast<std::ptrdiff_t>(stream.offset()));
        auto container = QVModelSpriteContainer::create();
        container->unpack(QVPackMap(handle.get()));
        EXPECT_EQ(container->id(), row.id);
        EXPECT_EQ(container->animationSpeed(), row.speed);
        EXPECT_EQ(container->duration(), row.duration);
        EXPECT_EQ(container->excludedFromAtlas(), row.excluded);
        if (row.id != 77) continue;  // the stream object is written in other size classes
        msgpack::zone packZone;
        QVPackMap packed(packZone);
        container->pack(packed);
        EXPECT_EQ(modeltest::hexText(packed.toBytes()), modeltest::hexText(object));
    }
}

TEST_F(SpriteLink, ContainerShellClonesWithItsDefaults) {
    auto clone = std::static_pointer_cast<QVModelSpriteContainer>(QVModelSpriteContainer::create()->clone(false, false));
    EXPECT_STREQ(clone->className(), "QVModelSpriteContainer");
    EXPECT_FLOAT_EQ(clone->animationSpeed(), 1.0f);
    EXPECT_FLOAT_EQ(clone->duration(), 0.0f);
    EXPECT_FALSE(clone->excludedFromAtlas());
}

}  // namespace
