// The model's pack and dictionary forms: entry order, what is left out,
// what reading keeps, and how "children" arrays are resolved.
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
                         {"Target", 5},
                         {"connectedModelId", 6},
                         {"attributeName", 7}});
    }
    msgpack::zone zone;
};

// Entry order (id, class name, then the attributes that hold a value; links
// and children in the connections pack) is checked byte for byte against the
// pack fixtures (tests/model/core/golden).

TEST_F(ModelEncoding, MissingEntriesGiveNoIdAndKeepDefaults) {
    QVPackMap bare(zone);
    bare.put("Class Name", "TestModel");
    auto fresh = TestModel::create();
    fresh->setName("Kept");
    fresh->unpack(bare);
    EXPECT_EQ(fresh->id(), QVModel::kNoId);
    EXPECT_EQ(fresh->name(), "Kept");
}

TEST_F(ModelEncoding, WronglyTypedEntriesRaiseTypeErrorAfterWhatWasRead) {
    auto model = TestModel::create();
    QVPackMap negativeId(zone);
    negativeId.put("id", -3);
    EXPECT_THROW(model->unpack(negativeId), msgpack::type_error);
    QVPackMap nameNotAMap(zone);
    nameNotAMap.put("id", 5u);
    nameNotAMap.put("Name", "flat");
    EXPECT_THROW(model->unpack(nameNotAMap), msgpack::type_error);
    EXPECT_EQ(model->id(), 5u);
    QVPackMap childrenNotIds(zone);
    childrenNotIds.put("children", std::string("1,2"));
    EXPECT_THROW(model->unpackConnections(childrenNotIds), msgpack::type_error);
}

TEST_F(ModelEncoding, ChildrenArraySkipsUnknownIdsKeepsOrderAndDeduplicates) {
    auto parent = TestModel::create();
    auto a = TestModel::create(), b = TestModel::create(), c = TestModel::create();
    for (const auto& m : {a, b, c}) controller()->addModel(m);
    controller()->addModel(parent);
    parent->addChild(b, true);
    RecordingListener listener;
    parent->addListener(&listener);

    QVPackMap map(zone);
    map.put("children", std::vector<uint32_t>{c->id(), 99999, a->id(), c->id(), b->id(), parent->id()});
    parent->unpackConnections(map);
    EXPECT_EQ(parent->children(), (std::vector<std::shared_ptr<QVModel>>{b, c, a}));
    EXPECT_EQ(c->parents().size(), 1u);
    EXPECT_EQ(listener.changed, 0);  // reading is silent
    parent->removeListener(&listener);
}

TEST_F(ModelEncoding, CollectedKeysFollowWhatPacksUse) {
    auto node = TestNode::create(), source = TestNode::create();
    collectedKeys().clear();
    node->collectKeys();
    for (const char* k : {"id", "Class Name", "Load", "Target"}) EXPECT_TRUE(collectedKeys().count(k)) << k;
    EXPECT_FALSE(collectedKeys().count("children"));
    EXPECT_FALSE(collectedKeys().count("connectedModelId"));
    node->target->connect(source->load, true);
    node->addChild(TestModel::create());
    node->collectKeys();
    for (const char* k : {"children", "connectedModelId", "attributeName"}) EXPECT_TRUE(collectedKeys().count(k)) << k;
}

TEST_F(ModelEncoding, DictionaryFormsHoldOnlyWhatIsSetAndReadBack) {
    auto source = TestNode::create(), node = TestNode::create();
    auto child = TestModel::create();
    controller()->addModel(source);
    controller()->addModel(child);
    node->setId(3000000000u);
    CCDictionary* values = node->toDictionary();
    EXPECT_STREQ(values->valueForKey("id")->getCString(), "3000000000");
    EXPECT_STREQ(values->valueForKey("className")->getCString(), "TestNode");
    EXPECT_EQ(values->objectForKey("Load"), nullptr);
    EXPECT_EQ(node->connectionsToDictionary()->count(), 1u);  // no "children" without children

    node->target->connect(source->load, true);
    node->addChild(child);
    CCDictionary* links = node->connectionsToDictionary();
    ASSERT_NE(dynamic_cast<CCArray*>(links->objectForKey("children")), nullptr);
    auto reader = TestNode::create();
    reader->fromDictionary(values);
    reader->connectionsFromDictionary(links);
    EXPECT_EQ(reader->id(), 3000000000u);
    EXPECT_EQ(reader->name(), node->name());
    EXPECT_EQ(reader->target->connectedAttribute(), source->load);
    EXPECT_EQ(reader->children(), std::vector<std::shared_ptr<QVModel>>{child});

    CCDictionary* odd = CCDictionary::create();  // no "id"; a malformed entry
    odd->setObject(CCString::create("not a dictionary"), "Name");
    reader->fromDictionary(odd);
    EXPECT_EQ(reader->id(), 0u);
    EXPECT_EQ(reader->name(), node->name());
}

}  // namespace
