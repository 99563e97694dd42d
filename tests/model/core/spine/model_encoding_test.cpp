// The model's pack and dictionary forms: entry order, what is left out,
// what reading keeps, and how "children" arrays are resolved.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVPackMap.h"
#include "test_models.h"

namespace {

using cocos2d::CCArray;
using cocos2d::CCDictionary;
using cocos2d::CCString;

class ModelEncoding : public SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        installKeyTable({{"Name", 0},
                         {"value", 10},
                         {"Class Name", 33},
                         {"id", 42},
                         {"children", 3},
                         {"Load", 4},
                         {"Target", 5},
                         {"connectedModelId", 6},
                         {"attributeName", 7}});
    }
    static std::vector<uint32_t> keysOf(const QVPackMap& map) {
        std::vector<uint32_t> keys;
        for (const auto& e : map.entries()) keys.push_back(e.first);
        return keys;
    }
    msgpack::zone zone;
};

TEST_F(ModelEncoding, AttributesPackHoldsIdClassNameThenNonEmptyAttributesInOrder) {
    auto node = TestNode::create();
    node->setName("Hero");
    node->setId(7);
    QVPackMap map(zone);
    node->pack(map);
    // Load and Target carry no value: no entries for them.
    EXPECT_EQ(keysOf(map), (std::vector<uint32_t>{42, 33, 0}));
    uint32_t id = 0;
    std::string className;
    ASSERT_TRUE(map.get("id", id));
    ASSERT_TRUE(map.get("Class Name", className));
    EXPECT_EQ(id, 7u);
    EXPECT_EQ(className, "TestNode");
    QVPackMap name;
    ASSERT_TRUE(map.get("Name", name));
    std::string text;
    ASSERT_TRUE(name.get("value", text));
    EXPECT_EQ(text, "Hero");
}

TEST_F(ModelEncoding, WritersRefuseMissingZoneAndUnknownKeys) {
    auto model = TestModel::create();
    QVPackMap noZone;
    EXPECT_THROW(model->pack(noZone), std::logic_error);
    installKeyTable({{"id", 42}});
    QVPackMap map(zone);
    EXPECT_THROW(model->pack(map), std::runtime_error);
}

TEST_F(ModelEncoding, PackRoundTripAndMissingEntriesKeepDefaults) {
    auto source = TestModel::create();
    source->setName("Stored");
    source->setId(1234);
    QVPackMap map(zone);
    source->pack(map);

    auto target = TestModel::create();
    target->unpack(map);
    EXPECT_EQ(target->id(), 1234u);
    EXPECT_EQ(target->name(), "Stored");

    // Without "id" the id becomes the no-id value; without "Name" the name stays.
    QVPackMap bare(zone);
    bare.put("Class Name", "TestModel");
    auto fresh = TestModel::create();
    fresh->setName("Kept");
    fresh->unpack(bare);
    EXPECT_EQ(fresh->id(), QVModel::kNoId);
    EXPECT_EQ(fresh->name(), "Kept");
}

TEST_F(ModelEncoding, WronglyTypedEntriesRaiseTypeError) {
    auto model = TestModel::create();
    QVPackMap negativeId(zone);
    negativeId.put("id", -3);
    EXPECT_THROW(model->unpack(negativeId), msgpack::type_error);

    QVPackMap nameNotAMap(zone);
    nameNotAMap.put("id", 5u);
    nameNotAMap.put("Name", "flat");
    EXPECT_THROW(model->unpack(nameNotAMap), msgpack::type_error);
    EXPECT_EQ(model->id(), 5u);  // read before the bad entry

    QVPackMap childrenNotIds(zone);
    childrenNotIds.put("children", std::string("1,2"));
    EXPECT_THROW(model->unpackConnections(childrenNotIds), msgpack::type_error);
}

TEST_F(ModelEncoding, ChildrenArraySkipsUnknownIdsKeepsOrderAndDeduplicates) {
    auto parent = TestModel::create();
    auto a = TestModel::create();
    auto b = TestModel::create();
    auto c = TestModel::create();
    for (const auto& m : {a, b, c}) controller()->addModel(m);
    parent->addChild(b, true);
    RecordingListener listener;
    parent->addListener(&listener);

    QVPackMap map(zone);
    map.put("children", std::vector<uint32_t>{c->id(), 99999, a->id(), c->id(), b->id()});
    parent->unpackConnections(map);

    ASSERT_EQ(parent->children().size(), 3u);
    EXPECT_EQ(parent->children()[0], b);
    EXPECT_EQ(parent->children()[1], c);
    EXPECT_EQ(parent->children()[2], a);
    EXPECT_EQ(c->parents().size(), 1u);
    EXPECT_EQ(listener.changed, 0);  // reading is silent
    parent->removeListener(&listener);
}

TEST_F(ModelEncoding, ChildrenArrayCannotCloseACycle) {
    auto root = TestModel::create();
    auto child = TestModel::create();
    controller()->addModel(root);
    controller()->addModel(child);
    root->addChild(child);
    QVPackMap map(zone);
    map.put("children", std::vector<uint32_t>{root->id(), child->id()});
    child->unpackConnections(map);
    EXPECT_TRUE(child->children().empty());
}

TEST_F(ModelEncoding, ConnectionsPackHoldsIdLinksThenChildren) {
    auto source = TestNode::create();
    auto node = TestNode::create();
    auto child = TestModel::create();
    node->target->connect(source->load, true);
    node->addChild(child);
    QVPackMap map(zone);
    node->packConnections(map);
    EXPECT_EQ(keysOf(map), (std::vector<uint32_t>{42, 5, 3}));
    std::vector<uint32_t> ids;
    ASSERT_TRUE(map.get("children", ids));
    EXPECT_EQ(ids, std::vector<uint32_t>{child->id()});

    QVPackMap lonely(zone);
    source->packConnections(lonely);
    EXPECT_EQ(keysOf(lonely), std::vector<uint32_t>{42});
}

TEST_F(ModelEncoding, CollectedKeysFollowWhatPacksUse) {
    auto node = TestNode::create();
    collectedKeys().clear();
    node->collectKeys();
    EXPECT_TRUE(collectedKeys().count("id"));
    EXPECT_TRUE(collectedKeys().count("Class Name"));
    EXPECT_TRUE(collectedKeys().count("Load"));
    EXPECT_FALSE(collectedKeys().count("children"));
    EXPECT_FALSE(collectedKeys().count("connectedModelId"));

    auto source = TestNode::create();
    node->target->connect(source->load, true);
    node->addChild(TestModel::create());
    node->collectKeys();
    EXPECT_TRUE(collectedKeys().count("children"));
    EXPECT_TRUE(collectedKeys().count("connectedModelId"));
    EXPECT_TRUE(collectedKeys().count("attributeName"));
}

TEST_F(ModelEncoding, CollectingModeWritesNothingButRecordsNames) {
    auto node = TestNode::create();
    installKeyTable({});  // collecting needs no key numbers
    collectedKeys().clear();
    setCollectingKeys(true);
    QVPackMap map(zone);
    node->pack(map);
    setCollectingKeys(false);
    EXPECT_TRUE(map.empty());
    EXPECT_TRUE(collectedKeys().count("Target"));  // recorded though it packs nothing
    EXPECT_TRUE(collectedKeys().count("Class Name"));
}

TEST_F(ModelEncoding, DictionaryFormsHoldOnlyWhatIsSet) {
    auto node = TestNode::create();
    node->setId(3000000000u);
    CCDictionary* values = node->toDictionary();
    EXPECT_STREQ(values->valueForKey("id")->getCString(), "3000000000");
    EXPECT_STREQ(values->valueForKey("className")->getCString(), "TestNode");
    EXPECT_EQ(values->objectForKey("Load"), nullptr);
    EXPECT_NE(values->objectForKey("Name"), nullptr);

    CCDictionary* links = node->connectionsToDictionary();
    EXPECT_EQ(links->count(), 1u);
    EXPECT_EQ(links->objectForKey("children"), nullptr);

    auto copy = TestNode::create();
    copy->fromDictionary(values);
    EXPECT_EQ(copy->id(), 3000000000u);
    EXPECT_EQ(copy->name(), node->name());

    // A missing "id" reads as 0; a malformed attribute entry is skipped.
    CCDictionary* odd = CCDictionary::create();
    odd->setObject(CCString::create("not a dictionary"), "Name");
    copy->fromDictionary(odd);
    EXPECT_EQ(copy->id(), 0u);
    EXPECT_EQ(copy->name(), node->name());
}

TEST_F(ModelEncoding, DictionaryChildrenAndLinksResolveThroughTheController) {
    auto source = TestNode::create();
    auto child = TestModel::create();
    controller()->addModel(source);
    controller()->addModel(child);
    auto node = TestNode::create();
    node->target->connect(source->load, true);
    node->addChild(child);
    CCDictionary* links = node->connectionsToDictionary();
    auto* children = dynamic_cast<CCArray*>(links->objectForKey("children"));
    ASSERT_NE(children, nullptr);
    EXPECT_EQ(children->count(), 1u);

    auto reader = TestNode::create();
    reader->connectionsFromDictionary(links);
    EXPECT_EQ(reader->target->connectedAttribute(), source->load);
    EXPECT_EQ(reader->children(), std::vector<std::shared_ptr<QVModel>>{child});
}

}  // namespace
