// The loader over stand-ins of the game's classes: pack parsing rules,
// failures that must end in a clean status, and the percent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <list>

#include "../support/game_stand_ins.h"
#include "../support/loader_fixture.h"
#include "../support/model_test_support.h"
#include "QVPackageWriter.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"
#include "platform/CCFileUtils.h"

namespace {

using namespace modeltest;
using Log = LogCapture;

const char* const kUserId = "12345";

// Key names of the hand-made games: the four pinned numbers, then the rest.
std::vector<std::string> keyNames(const std::string& onLine42 = "id") {
    std::vector<std::string> names{"Name", "children", "Last ID", "Speed", "Object A", "Object B"};
    while (names.size() <= 50) names.push_back("Filler " + std::to_string(names.size()));
    names[10] = "value";
    names[33] = "Class Name";
    names[42] = onLine42;
    names[50] = "User ID";
    if (onLine42 != "id") names.push_back("id");
    return names;
}

QVKeyTableMap tableOf(const std::vector<std::string>& names) {
    QVKeyTableMap table;
    for (size_t i = 0; i < names.size(); ++i) table.emplace(names[i], static_cast<int32_t>(i));
    return table;
}

// Builds pack objects with the pack encoder under a given key table.
class PackBuilder {
public:
    PackBuilder& object(uint32_t id, const std::string& className, const std::string& name) {
        return named(id, className, name);
    }
    // An object whose "Name" is a number: its unpack fails.
    PackBuilder& badObject(uint32_t id, const std::string& className) { return named(id, className, uint32_t(7)); }
    PackBuilder& settings(uint32_t id, uint32_t lastId) {
        QVPackMap map(m_zone);
        map.put("id", id);
        map.put("Class Name", std::string("QVModelGeneralSettings"));
        QVPackMap user(m_zone), last(m_zone);
        user.put("value", std::string(kUserId));
        map.put("User ID", user);
        last.put("value", lastId);
        map.put("Last ID", last);
        map.appendTo(m_bytes);
        return *this;
    }
    PackBuilder& children(uint32_t id, const std::vector<uint32_t>& ids) {
        QVPackMap map(m_zone);
        map.put("id", id);
        map.put("children", ids);
        map.appendTo(m_bytes);
        return *this;
    }
    PackBuilder& nil() {
        m_bytes.push_back(0xc0);
        return *this;
    }
    const std::vector<unsigned char>& bytes() const { return m_bytes; }

private:
    template <class Name>
    PackBuilder& named(uint32_t id, const std::string& className, const Name& name) {
        QVPackMap map(m_zone), nested(m_zone);
        map.put("id", id);
        map.put("Class Name", className);
        nested.put("value", name);
        map.put("Name", nested);
        map.appendTo(m_bytes);
        return *this;
    }
    msgpack::zone m_zone;
    std::vector<unsigned char> m_bytes;
};

class LoadTest : public modeltest::LoaderFixture {
protected:
    void SetUp() override {
        registerStandIns();
        resetController(tableOf(names));
    }

    // A game root with an empty data folder; `data` is written as its package.
    std::string gameRoot(const Bytes& package = {}) {
        m_dirs.emplace_back();
        const std::string root = m_dirs.back().path;
        mkdir((root + "/data").c_str(), 0700);
        if (!package.empty()) writeFile(root + "/data/data.pkg", package);
        return root;
    }
    // A folder game: Keys.pack plus the given packs.
    std::string folderGame(const std::vector<std::pair<std::string, Bytes>>& packs,
                           const std::vector<std::string>& keys) {
        const std::string root = gameRoot();
        writeFile(root + "/data/Keys.pack", writeKeysPack(keys, kUserId));
        for (const auto& pack : packs) writeFile(root + "/data/" + pack.first, pack.second);
        return root;
    }

    const std::vector<std::string> names = keyNames();
    Log log;
    std::list<TempDir> m_dirs;
};

TEST_F(LoadTest, PackRulesForMissingNumbersReplacementsAndUnknowns) {
    const auto settings = PackBuilder().settings(1001, 1999).bytes();
    const auto object0 = PackBuilder().object(1200, "QVModelObject", "Zero").bytes();
    const auto object2 = PackBuilder().object(1202, "QVModelObject", "Two").bytes();
    const std::string root = folderGame({{"QVModelGeneralSettings.0.attributes.pack", settings},
                                         {"QVModelObject.0.attributes.pack", object0},
                                         {"QVModelObject.2.attributes.pack", object2}},
                                        names);
    loadAll(root, false);
    EXPECT_EQ(controller()->lastError(), "");
    EXPECT_TRUE(controller()->getModel(1200)) << "pack 0 loads";
    EXPECT_FALSE(controller()->getModel(1202)) << "the missing pack 1 ends the class";

    // A duplicate id replaces the registered model.
    const auto original = controller()->getModel(1200);
    const auto again = PackBuilder().object(1200, "QVModelObject", "Again").bytes();
    controller()->parsePack(again.data(), again.size(), false);
    ASSERT_TRUE(controller()->getModel(1200));
    EXPECT_NE(controller()->getModel(1200), original);
    EXPECT_EQ(controller()->getModel(1200)->name(), "Again");
    EXPECT_EQ(controller()->getModels<QVModelObject>().size(), 1u);

    // A replacement that fails to unpack leaves the registered model.
    const auto current = controller()->getModel(1200);
    const auto bad = PackBuilder().badObject(1200, "QVModelObject").bytes();
    EXPECT_THROW(controller()->parsePack(bad.data(), bad.size(), false), msgpack::type_error);
    EXPECT_EQ(controller()->getModel(1200), current);

    // An unknown class drops the model under its id and creates nothing;
    // the rest of the pack still loads.
    const auto unknown =
        PackBuilder().object(1200, "QVModelNoSuchClass", "Ghost").object(1203, "QVModelObject", "After").bytes();
    controller()->parsePack(unknown.data(), unknown.size(), false);
    EXPECT_FALSE(controller()->getModel(1200));
    EXPECT_TRUE(controller()->getModel(1203));

    // Connections for an id nobody holds are skipped; the others link.
    const auto parent = PackBuilder().object(1500, "QVModelObject", "Parent").bytes();
    controller()->parsePack(parent.data(), parent.size(), false);
    const auto links = PackBuilder().children(4242, {1203}).children(1500, {1203}).bytes();
    controller()->parsePack(links.data(), links.size(), true);
    EXPECT_FALSE(controller()->getModel(4242));
    EXPECT_TRUE(controller()->getModel(1203)->hasParent(controller()->getModel(1500)));

    // A leading nil ends the pack before anything is read.
    const auto nilFirst = PackBuilder().nil().object(1300, "QVModelObject", "Never").bytes();
    controller()->parsePack(nilFirst.data(), nilFirst.size(), false);
    EXPECT_FALSE(controller()->getModel(1300));
}

TEST_F(LoadTest, EachModelGetsExactlyItsOwnChildrenWhenAShorterListFollowsALonger) {
    PackBuilder objects;
    for (uint32_t id = 1300; id <= 1306; ++id) objects.object(id, "QVModelObject", "Object " + std::to_string(id));
    controller()->parsePack(objects.bytes().data(), objects.bytes().size(), false);

    struct Row {
        const char* name;
        std::vector<uint32_t> second;
    };
    const Row rows[] = {{"one child", {1304}}, {"no child", {}}};
    uint32_t parentA = 1400;
    for (const Row& row : rows) {
        const uint32_t parentB = parentA + 1;
        const auto parents =
            PackBuilder().object(parentA, "QVModelObject", "A").object(parentB, "QVModelObject", "B").bytes();
        controller()->parsePack(parents.data(), parents.size(), false);
        const auto links = PackBuilder().children(parentA, {1301, 1302, 1303}).children(parentB, row.second).bytes();
        controller()->parsePack(links.data(), links.size(), true);

        auto idsOf = [&](uint32_t id) {
            std::vector<uint32_t> ids;
            for (const auto& child : controller()->getModel(id)->children()) ids.push_back(child->id());
            return ids;
        };
        EXPECT_EQ(idsOf(parentA), (std::vector<uint32_t>{1301, 1302, 1303})) << row.name;
        EXPECT_EQ(idsOf(parentB), row.second) << row.name;
        parentA += 2;
    }
}

TEST_F(LoadTest, BrokenPacksFailCleanlyAndTheLoadGoesOn) {
    const auto settings = PackBuilder().settings(1001, 1999).bytes();
    // Cut inside the second object.
    auto truncated = PackBuilder().object(1200, "QVModelObject", "Kept").object(1201, "QVModelObject", "Cut").bytes();
    truncated.resize(truncated.size() - 4);
    // A map whose keys are text: not a pack object.
    const std::vector<unsigned char> mistyped = {0x81, 0xa1, 'x', 0x01};
    const auto later = PackBuilder().object(1400, "QVModelObject", "Later").bytes();
    const std::string root = folderGame({{"QVModelGeneralSettings.0.attributes.pack", settings},
                                         {"QVModelObject.0.attributes.pack", truncated},
                                         {"QVModelSound.0.attributes.pack", mistyped},
                                         {"QVModelPolygon.0.attributes.pack", later}},
                                        names);
    std::vector<int> trace;
    ASSERT_NO_THROW(trace = loadAll(root, false));
    EXPECT_EQ(trace.back(), 100);
    EXPECT_EQ(controller()->lastError(), "Unable to load data");
    EXPECT_TRUE(controller()->getModel(1200)) << "models read before the bad object stay";
    EXPECT_FALSE(controller()->getModel(1201));
    EXPECT_TRUE(controller()->getModel(1400)) << "the load carries on";
    EXPECT_TRUE(Log::has("[QVModelController] load data - fail"));
    EXPECT_TRUE(Log::hasPrefix("[QVModelController] data/QVModelSound.0.attributes.pack: "));

    // The single-pack loader reports the failure itself.
    Log::lines().clear();
    EXPECT_EQ(controller()->loadDataFromFile("data/QVModelObject.0.attributes.pack", false),
              QVModelController::kLoadFailed);
    ASSERT_EQ(Log::lines().size(), 3u) << "the load line and the two failure lines";
    EXPECT_EQ(Log::lines()[1], "[QVModelController] load data - fail");
    EXPECT_EQ(controller()->loadDataFromFile("data/QVModelObject.9.attributes.pack", false),
              QVModelController::kLoadMissing);
}

TEST_F(LoadTest, MissingOrUnopenablePackageEndsWithNoDataArchive) {
    // Stepping with no package open ends the load instead of waiting forever.
    EXPECT_TRUE(controller()->loadNextFromArchive(qvformat::kStoredArchivePassword));
    EXPECT_EQ(controller()->loadingPercent(), 100);
    EXPECT_EQ(controller()->lastError(), "No data archive");

    controller()->clear();
    Log::lines().clear();
    cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(
        gameRoot(octets({'n', 'o', 't', ' ', 'a', ' ', 'z', 'i', 'p'})));
    controller()->archiveMode = true;
    ASSERT_NO_THROW(controller()->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword));
    EXPECT_EQ(controller()->lastError(), "No data archive");
    EXPECT_TRUE(Log::has("Failed to load keys"));
    EXPECT_EQ(controller()->modelCount(), 0u);
    EXPECT_TRUE(controller()->loadNextFromArchive(qvformat::kStoredArchivePassword));
    EXPECT_EQ(controller()->lastError(), "No data archive");
}

TEST_F(LoadTest, ManyPacksKeepThePercentWithinBounds) {
    const std::string password = QVModelController::decodeArchivePassword(qvformat::kStoredArchivePassword);
    QVPackageWriter writer(7);
    auto add = [&](const std::string& name, const std::vector<unsigned char>& data) {
        QVPackageEntry entry;
        entry.name = name;
        entry.data = data;
        entry.kind = QVPackageEntry::Kind::Traditional;
        writer.add(entry, password);
    };
    add("Keys.pack", writeKeysPack(names, kUserId));
    add("QVModelGeneralSettings.0.attributes.pack", PackBuilder().settings(1001, 1999).bytes());
    for (uint32_t n = 0; n < 100; ++n) {
        add("QVModelObject." + std::to_string(n) + ".attributes.pack",
            PackBuilder().object(1100 + n, "QVModelObject", "Object").bytes());
    }
    const auto trace = loadAll(gameRoot(writer.finish()), true);
    EXPECT_EQ(controller()->lastError(), "");
    ASSERT_FALSE(trace.empty());
    for (size_t i = 0; i + 1 < trace.size(); ++i) {
        EXPECT_LE(trace[i], trace[i + 1]) << "step " << i;
        EXPECT_LE(trace[i], 99) << "step " << i;
    }
    EXPECT_EQ(trace.back(), 100);
    EXPECT_EQ(controller()->getModels<QVModelObject>().size(), 100u);
}

TEST_F(LoadTest, KeyTableThatMovesTheBuiltInNumbersDoesNotCrash) {
    // "id" is not on line 42, so the first settings read (built-in numbers
    // only) finds a map where it expects the id.
    const auto moved = keyNames("Other");
    installKeyTable(tableOf(moved));
    msgpack::zone zone;
    QVPackMap map(zone);
    map.put("id", uint32_t(1001));
    map.put("Class Name", std::string("QVModelGeneralSettings"));
    QVPackMap other(zone), user(zone);
    other.put("value", std::string("x"));
    map.put("Other", other);
    user.put("value", std::string(kUserId));
    map.put("User ID", user);
    const std::string root = folderGame({{"QVModelGeneralSettings.0.attributes.pack", map.toBytes()}}, moved);
    installKeyTable({});
    ASSERT_NO_THROW(loadAll(root, false));
    // The failed first read leaves no User ID to unscramble the keys with:
    // a failed load, reported as one.
    EXPECT_EQ(controller()->lastError(), "Unable to load data");
    EXPECT_TRUE(Log::has("[QVModelController] load data - fail"));
}

// A missing Keys.pack and the wrong-password packages (7-Zip, Info-ZIP) are
// loaded through qvloadcheck, which runs this loader (tests/model/core/load).

}  // namespace
