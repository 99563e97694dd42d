// The flow graph: node construction, the links a connections pack or
// dictionary creates (stream order, unknown keys, dead targets), and the
// fixture game's graph followed through the real loader.
#include <gtest/gtest.h>

#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../../core/support/loader_fixture.h"
#include "../../core/support/model_test_support.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVNode.h"
#include "model/core/QVPackMap.h"

namespace {

// Link names are numbered against their order in the maps of the cases.
const QVKeyTableMap kKeys = {{"id", 0},
                             {"children", 1},
                             {"attributesCount", 2},
                             {"connectedModelId", 3},
                             {"attributeName", 4},
                             {"Name", 5},
                             {"Position", 6},
                             {"Load", 7},
                             {"UI", 8},
                             {"---", 9},
                             {"Back", 20},
                             {"Play", 21},
                             {"Quit", 22},
                             {"Start", 23},
                             {"Empty", 24},
                             {"Zero", 25},
                             {"NoId", 26}};
constexpr uint32_t kUnknownKey = 9999;

using Pairs = std::vector<std::pair<uint32_t, msgpack::object>>;

msgpack::object mapOf(msgpack::zone& zone, const Pairs& pairs) {
    msgpack::object o;
    o.type = msgpack::type::MAP;
    o.via.map.size = static_cast<uint32_t>(pairs.size());
    auto* kv = static_cast<msgpack::object_kv*>(zone.allocate_align(sizeof(msgpack::object_kv) * (pairs.size() + 1)));
    for (size_t i = 0; i < pairs.size(); ++i) kv[i] = {msgpack::object(pairs[i].first), pairs[i].second};
    o.via.map.ptr = kv;
    return o;
}

uint32_t key(const std::string& name) { return name == "?" ? kUnknownKey : static_cast<uint32_t>(kKeys.at(name)); }

// A link entry: its key ("?": a number the table lacks) and its map's
// "connectedModelId" (-1: none, -2: an empty map, -3: not a map at all).
struct Entry {
    std::string key;
    long long target;
};

// The node's attributes from `from` on, each with its link's target id (0: none).
std::vector<std::pair<std::string, uint32_t>> links(const QVBaseNode& node, size_t from) {
    std::vector<std::pair<std::string, uint32_t>> out;
    for (size_t i = from; i < node.attributes().size(); ++i) {
        const std::string& name = node.attributes()[i]->name();
        auto target = node.linkTarget(name);
        out.emplace_back(name, target ? target->id() : 0u);
    }
    return out;
}

class FlowTest : public modeltest::LoaderFixture {
protected:
    void SetUp() override { resetController(kKeys); }
    void TearDown() override {
        modeltest::LoaderFixture::TearDown();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    template <class T>
    std::shared_ptr<T> registered(const std::string& name) {
        auto node = std::make_shared<T>(name);
        controller()->addModel(node);
        return node;
    }
    // Reads a connections map as the loader does: "id", "attributesCount",
    // then the entries in the given order.
    static void read(QVModel& node, uint32_t count, const std::vector<Entry>& entries) {
        msgpack::zone zone;
        Pairs pairs{{key("id"), msgpack::object(node.id())}, {key("attributesCount"), msgpack::object(count)}};
        for (const Entry& e : entries) {
            Pairs link;
            if (e.target >= 0)
                link.emplace_back(key("connectedModelId"), msgpack::object(static_cast<uint32_t>(e.target)));
            if (e.target >= -1) link.emplace_back(key("attributeName"), msgpack::object(std::string("Load"), zone));
            pairs.emplace_back(key(e.key), e.target == -3 ? msgpack::object(7) : mapOf(zone, link));
        }
        node.unpackConnections(QVPackMap(mapOf(zone, pairs)));
    }
};

TEST_F(FlowTest, NodesAreBuiltAsTheirClassesSay) {
    QVNodeUIStart start("Start");
    std::vector<std::pair<std::string, uint32_t>> modes;
    for (const QVAttribute* a : start.attributes()) modes.emplace_back(a->name(), a->connectionMode());
    EXPECT_EQ(modes,
              (std::vector<std::pair<std::string, uint32_t>>{{"Name", 0}, {"Position", 0}, {"---", 0}, {"Load", 2}}));
    auto copy = QVNodeUIStart::createCopy(start);
    ASSERT_TRUE(copy->load());
    EXPECT_EQ(copy->load()->connectionMode(), 2u);
    EXPECT_EQ(copy->attributes()[2]->name(), "---");

    // Default names take the first free number among nodes of exactly the class.
    registered<QVNodeScene>("New World 1");
    registered<QVNodeScene>("New World 2");
    registered<QVNodeUIStart>("New UI 1");
    EXPECT_EQ(QVNodeScene("").name(), "New World 3");
    EXPECT_EQ(QVNodeUI("").name(), "New UI 1");
    controller()->removeModel(controller()->getModels<QVNodeScene>()[1]);
    registered<QVNodeScene>("New World 3");
    EXPECT_EQ(QVNodeScene::create()->name(), "New World 2");

    QVNodeScene world("W");
    EXPECT_TRUE(world.isFixedAttribute(world.attribute("UI")));
    EXPECT_TRUE(world.isFixedAttribute(world.attribute("Position")));
    read(world, 0, {{"Play", 0}});
    EXPECT_FALSE(world.isFixedAttribute(world.attribute("Play")));
}

TEST_F(FlowTest, ConnectionsCreateTheLinksTheyName) {
    struct Case {
        const char* what;
        uint32_t count;
        std::vector<Entry> entries;
        std::vector<std::pair<std::string, uint32_t>> links;  // after "UI"
        bool logsUnknown;
    };
    auto menu = registered<QVNodeUI>("Menu");
    auto start = registered<QVNodeUIStart>("Start");
    const uint32_t m = menu->id(), s = start->id();
    const std::vector<Case> cases{
        {"stream order, key numbers reversed",
         6,
         {{"UI", m}, {"Play", m}, {"Back", m}},
         {{"Play", m}, {"Back", m}},
         false},
        {"an equal count creates nothing", 4, {{"Play", m}}, {}, false},
        {"empty map, id 0, no id", 9, {{"Empty", -2}, {"Zero", 0}, {"NoId", -1}}, {}, false},
        {"unknown key skipped", 9, {{"Play", m}, {"?", m}, {"Back", m}}, {{"Play", m}, {"Back", m}}, true},
        {"dead target, start node", 9, {{"Quit", 3950}, {"Start", s}}, {{"Quit", 0}, {"Start", 0}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        modeltest::LogCapture log;
        auto world = registered<QVNodeScene>("World");
        read(*world, c.count, c.entries);
        auto expected = c.links;
        expected.insert(expected.begin(), {"UI", c.entries[0].key == "UI" ? m : 0u});
        EXPECT_EQ(links(*world, 3), expected);
        EXPECT_EQ(log.has("[QVNode] unknown key 9999"), c.logsUnknown);
    }
    auto world = registered<QVNodeScene>("World");
    EXPECT_THROW(read(*world, 9, {{"Play", -3}}), msgpack::type_error);
}

TEST_F(FlowTest, BothFormsCarryTheLinksToAFreshNode) {
    auto menu = registered<QVNodeUI>("Menu");
    auto source = registered<QVNodeScene>("World");
    read(*source, 9, {{"UI", menu->id()}, {"Quit", menu->id()}, {"Play", menu->id()}});
    const auto expected = links(*source, 3);

    msgpack::zone zone;
    QVPackMap written(zone);
    source->packConnections(written);
    QVNodeScene packed("Packed");
    packed.unpackConnections(QVPackMap(written.toObject(zone)));
    EXPECT_EQ(links(packed, 3), expected);

    cocos2d::CCDictionary* dict = source->connectionsToDictionary();
    EXPECT_STREQ(dict->valueForKey("attributesCount")->getCString(), "6");
    auto* zero = cocos2d::CCDictionary::create();
    zero->setObject(cocos2d::CCString::create("0"), "connectedModelId");
    zero->setObject(cocos2d::CCString::create("Load"), "attributeName");
    dict->setObject(zero, "Zero");
    QVNodeScene fromDict("Dict");
    fromDict.connectionsFromDictionary(dict);
    auto withZero = expected;
    withZero.emplace_back("Zero", 0);
    EXPECT_EQ(links(fromDict, 3), withZero);
}

// The fixture game's graph, loaded as the player loads it, against the
// listing it is written with.
TEST_F(FlowTest, FollowsEveryLink) {
    const std::string root = std::string(QV_BINARY_DIR) + "/fixtures/classes/flow";
    std::ifstream expected(std::string(QV_SOURCE_DIR) + "/tests/fixtures/classes/flow.expected");
    ASSERT_TRUE(expected.good());
    resetController({});  // the first settings read needs the built-in numbers
    loadAll(root, false);
    ASSERT_EQ(controller()->lastError(), "");

    std::map<uint32_t, std::vector<std::string>> followers;  // per node, in listing order
    std::string line;
    size_t followed = 0;
    while (std::getline(expected, line)) {
        SCOPED_TRACE(line);
        std::istringstream in(line);
        std::string word, arrow, quoted;
        uint32_t id = 0;
        in >> word >> id;
        if (word != "link") continue;
        std::getline(in >> std::ws, quoted, '>');
        const std::string name = quoted.substr(1, quoted.rfind('"') - 1);
        auto node = modelKindCast<QVNode>(controller()->getModel(id));
        ASSERT_TRUE(node);
        followers[id].push_back(name);
        uint32_t targetId = 0, screenId = 0;
        std::string cls, targetName, screenWord, screenKey;
        if (!(in >> targetId)) {
            EXPECT_FALSE(node->linkTarget(name));
            continue;
        }
        in >> cls >> std::quoted(targetName) >> screenWord >> screenId >> std::quoted(screenKey);
        auto target = node->linkTarget(name);
        ASSERT_TRUE(target);
        EXPECT_EQ(target->id(), targetId);
        ASSERT_TRUE(target->screenModel());
        EXPECT_EQ(target->screenModel()->id(), screenId);
        EXPECT_EQ(target->screenModel()->key(), screenKey);
        ++followed;
    }
    EXPECT_EQ(followed, 6u);
    // Every follower in stream order, and none for the entries without a target.
    for (const auto& node : followers) {
        std::vector<std::string> listed;
        for (const QVAttribute* a : controller()->getModel(node.first)->attributes())
            if (a->connectionMode() == QVBaseAttribute::kConnectionFollower) listed.push_back(a->name());
        EXPECT_EQ(listed, node.second) << node.first;
    }
}

}  // namespace
