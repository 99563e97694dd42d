// The flow graph: node construction, the links a connections pack or
// dictionary creates (stream order, unknown keys, dead targets), and the
// fixture game's graph followed through the real loader.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
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

// Link names are numbered against their order in the cases' maps.
const QVKeyTableMap kKeys = {
    {"id", 0},    {"attributesCount", 2}, {"connectedModelId", 3}, {"attributeName", 4}, {"UI", 8},    {"Back", 20},
    {"Play", 21}, {"Quit", 22},           {"Start", 23},           {"Empty", 24},        {"Zero", 25}, {"NoId", 26}};

using Pairs = std::vector<std::pair<uint32_t, msgpack::object>>;
using Links = std::vector<std::pair<std::string, uint32_t>>;

msgpack::object mapOf(msgpack::zone& zone, const Pairs& pairs) {
    msgpack::object o;
    o.type = msgpack::type::MAP;
    o.via.map.size = static_cast<uint32_t>(pairs.size());
    auto* kv = static_cast<msgpack::object_kv*>(zone.allocate_align(sizeof(msgpack::object_kv) * (pairs.size() + 1)));
    for (size_t i = 0; i < pairs.size(); ++i) kv[i] = {msgpack::object(pairs[i].first), pairs[i].second};
    o.via.map.ptr = kv;
    return o;
}

uint32_t key(const std::string& name) { return name == "?" ? 9999u : static_cast<uint32_t>(kKeys.at(name)); }

// A link entry: its key ("?": a number the table lacks) and its map's
// "connectedModelId" (-1: none, -2: an empty map, -3: not a map at all).
using Entry = std::pair<std::string, long long>;

// The node's attributes from "UI" (index 3) on, with the ids they lead to.
Links links(const QVBaseNode& node) {
    Links out;
    for (size_t i = 3; i < node.attributes().size(); ++i) {
        auto target = node.linkTarget(node.attributes()[i]->name());
        out.emplace_back(node.attributes()[i]->name(), target ? target->id() : 0u);
    }
    return out;
}

// Reads a connections map as the loader does: "id", "attributesCount", then the entries.
void read(QVModel& node, uint32_t count, const std::vector<Entry>& entries) {
    msgpack::zone zone;
    Pairs pairs{{key("id"), msgpack::object(node.id())}, {key("attributesCount"), msgpack::object(count)}};
    for (const Entry& e : entries) {
        Pairs link;
        if (e.second >= 0) link.emplace_back(key("connectedModelId"), msgpack::object(uint32_t(e.second)));
        if (e.second >= -1) link.emplace_back(key("attributeName"), msgpack::object(std::string("Load"), zone));
        pairs.emplace_back(key(e.first), e.second == -3 ? msgpack::object(7) : mapOf(zone, link));
    }
    node.unpackConnections(QVPackMap(mapOf(zone, pairs)));
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
};

TEST_F(FlowTest, NodesAreBuiltAsTheirClassesSay) {
    QVNodeUIStart start("Start");
    std::vector<std::pair<std::string, uint32_t>> modes;
    for (const QVAttribute* a : start.attributes()) modes.emplace_back(a->name(), a->connectionMode());
    EXPECT_EQ(modes, (decltype(modes){{"Name", 0}, {"Position", 0}, {"---", 0}, {"Load", 2}}));
    auto copy = QVNodeUIStart::createCopy(start);
    ASSERT_TRUE(copy->load());
    EXPECT_EQ(copy->load()->connectionMode(), 2u);
    EXPECT_EQ(copy->attributes()[2]->name(), "---");

    // The first free number among nodes of exactly the class.
    registered<QVNodeScene>("New World 1");
    auto second = registered<QVNodeScene>("New World 2");
    registered<QVNodeUIStart>("New UI 1");
    EXPECT_EQ(QVNodeScene("").name(), "New World 3");
    EXPECT_EQ(QVNodeUI::create()->name(), "New UI 1");
    second->setName("New World 3");
    EXPECT_EQ(QVNodeScene::create()->name(), "New World 2");

    QVNodeScene world("W");
    read(world, 0, {{"Play", 0}});
    EXPECT_TRUE(world.isFixedAttribute(world.attribute("UI")));
    EXPECT_TRUE(world.isFixedAttribute(world.attribute("Position")));
    EXPECT_FALSE(world.isFixedAttribute(world.attribute("Play")));
}

TEST_F(FlowTest, ConnectionsCreateTheLinksTheyName) {
    const uint32_t m = registered<QVNodeUI>("Menu")->id(), s = registered<QVNodeUIStart>("Start")->id();
    struct Case {
        const char* what;
        uint32_t count;
        std::vector<Entry> entries;
        Links links;
    };
    const std::vector<Case> cases{
        {"stream order", 6, {{"UI", m}, {"Play", m}, {"Back", m}}, {{"UI", m}, {"Play", m}, {"Back", m}}},
        {"an equal count creates nothing", 4, {{"Play", m}}, {{"UI", 0}}},
        {"empty map, id 0, no id", 9, {{"Empty", -2}, {"Zero", 0}, {"NoId", -1}}, {{"UI", 0}}},
        {"unknown key skipped", 9, {{"Play", m}, {"?", m}, {"Back", m}}, {{"UI", 0}, {"Play", m}, {"Back", m}}},
        {"dead target, start node", 9, {{"Quit", 3950}, {"Start", s}}, {{"UI", 0}, {"Quit", 0}, {"Start", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        modeltest::LogCapture log;
        auto world = registered<QVNodeScene>("World");
        read(*world, c.count, c.entries);
        EXPECT_EQ(links(*world), c.links);
        EXPECT_EQ(log.has("[QVNode] unknown key 9999"), c.entries.size() > 1 && c.entries[1].first == "?");
    }
    EXPECT_THROW(read(*registered<QVNodeScene>("World"), 9, {{"Play", -3}}), msgpack::type_error);
}

TEST_F(FlowTest, TheDictionaryCarriesTheLinksAndAZeroIdMakesOne) {
    auto menu = registered<QVNodeUI>("Menu");
    auto source = registered<QVNodeScene>("World");
    read(*source, 9, {{"UI", menu->id()}, {"Quit", menu->id()}, {"Play", menu->id()}});
    cocos2d::CCDictionary* dict = source->connectionsToDictionary();
    EXPECT_STREQ(dict->valueForKey("attributesCount")->getCString(), "6");
    auto* zero = cocos2d::CCDictionary::create();
    zero->setObject(cocos2d::CCString::create("0"), "connectedModelId");
    dict->setObject(zero, "Zero");
    QVNodeScene copy("Copy");
    copy.connectionsFromDictionary(dict);
    Links expected = links(*source);
    expected.emplace_back("Zero", 0);
    EXPECT_EQ(links(copy), expected);
}

// The fixture game's graph, loaded as the player loads it, against the
// listing it is written with.
TEST_F(FlowTest, FollowsEveryLink) {
    std::ifstream expected(std::string(QV_SOURCE_DIR) + "/tests/fixtures/classes/flow.expected");
    ASSERT_TRUE(expected.good());
    resetController({});  // the first settings read needs the built-in numbers
    loadAll(std::string(QV_BINARY_DIR) + "/fixtures/classes/flow", false);
    ASSERT_EQ(controller()->lastError(), "");

    std::map<uint32_t, std::vector<std::string>> followers;
    size_t followed = 0;
    // link <id> "<name>" -> <target id> <class> "<name>" screen <id> "<Key>", or -> -
    for (std::string line; std::getline(expected, line);) {
        if (line.rfind("link ", 0) != 0) continue;
        SCOPED_TRACE(line);
        const size_t q1 = line.find('"'), q2 = line.find('"', q1 + 1);
        const std::string name = line.substr(q1 + 1, q2 - q1 - 1), rest = line.substr(q2 + 5);
        auto node = modelKindCast<QVNode>(controller()->getModel(std::stoul(line.substr(5))));
        ASSERT_TRUE(node);
        followers[node->id()].push_back(name);
        auto target = node->linkTarget(name);
        EXPECT_EQ(target != nullptr, rest != "-");
        if (!target) continue;
        EXPECT_EQ(target->id(), std::stoul(rest));
        ASSERT_TRUE(target->screenModel());
        EXPECT_EQ(target->screenModel()->id(), std::stoul(rest.substr(rest.find(" screen ") + 8)));
        const size_t k2 = rest.rfind('"'), k1 = rest.rfind('"', k2 - 1);
        EXPECT_EQ(target->screenModel()->key(), rest.substr(k1 + 1, k2 - k1 - 1));
        ++followed;
    }
    EXPECT_EQ(followed, 6u);
    // The followers in stream order, none for the entries without a target.
    for (const auto& node : followers) {
        std::vector<std::string> listed;
        for (const QVAttribute* a : controller()->getModel(node.first)->attributes())
            if (a->connectionMode() == QVBaseAttribute::kConnectionFollower) listed.push_back(a->name());
        EXPECT_EQ(listed, node.second) << node.first;
    }
}

}  // namespace
