// QVPackMap: the typed writers and their canonical bytes, key-table and zone
// failures, collecting mode, stream order, and the read acceptance rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "../support/model_test_support.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVPackMap.h"

using cocos2d::CCPoint;
using cocos2d::CCRect;
using cocos2d::CCSize;
using cocos2d::ccColor4F;
using modeltest::Bytes;
using modeltest::octets;

namespace {

Bytes packed(const msgpack::object& o) { return QVPackMap::encode(o); }

// Parses bytes into an object whose zone the test keeps alive.
struct Parsed {
    msgpack::object_handle handle;
    const msgpack::object& get() const { return handle.get(); }
};
Parsed parse(const Bytes& bytes) {
    return Parsed{msgpack::unpack(reinterpret_cast<const char*>(bytes.data()), bytes.size())};
}

class PackMap : public ::testing::Test {
protected:
    void SetUp() override {
        installKeyTable({{"value", 10}, {"Name", 0}, {"id", 42}, {"Class Name", 33}, {"points", 22},
                         {"list", 5}, {"nested", 6}});
        setCollectingKeys(false);
    }
    void TearDown() override {
        setCollectingKeys(false);
        collectedKeys().clear();
        installKeyTable({});
    }

    // A value written under "value", encoded, parsed and read back.
    template <class T>
    static T roundTrip(const T& value) {
        msgpack::zone zone;
        QVPackMap map(zone);
        map.put("value", value);
        Parsed parsed = parse(map.toBytes());
        T read{};
        EXPECT_TRUE(QVPackMap(parsed.get()).get("value", read));
        return read;
    }

    // The bytes one put writes as the value of "value".
    template <typename... Args>
    Bytes valueBytes(Args&&... args) {
        msgpack::zone zone;
        QVPackMap map(zone);
        map.put("value", std::forward<Args>(args)...);
        const msgpack::object* o = map.find(10u);
        EXPECT_NE(o, nullptr);
        return o ? packed(*o) : Bytes{};
    }
};

}  // namespace

TEST_F(PackMap, WritersProduceTheCanonicalSmallestForms) {
    EXPECT_EQ(valueBytes(CCPoint(1.5f, -2.f)), octets({0x92, 0xca, 0x3f, 0xc0, 0x00, 0x00, 0xca, 0xc0, 0x00, 0x00, 0x00}));
    EXPECT_EQ(valueBytes(std::int32_t{-1}), octets({0xff}));
    EXPECT_EQ(valueBytes(std::int32_t{7}), octets({0x07}));
    EXPECT_EQ(valueBytes(std::int32_t{300}), octets({0xcd, 0x01, 0x2c}));
    EXPECT_EQ(valueBytes(std::int32_t{-33}), octets({0xd0, 0xdf}));
    EXPECT_EQ(valueBytes(std::int32_t{-129}), octets({0xd1, 0xff, 0x7f}));
    EXPECT_EQ(valueBytes(std::numeric_limits<std::int32_t>::min()), octets({0xd2, 0x80, 0x00, 0x00, 0x00}));
    EXPECT_EQ(valueBytes(std::uint32_t{4294967295u}), octets({0xce, 0xff, 0xff, 0xff, 0xff}));
    EXPECT_EQ(valueBytes(std::uint32_t{0}), octets({0x00}));
    // A float is float32 even when a double would be exact.
    EXPECT_EQ(valueBytes(0.1f), octets({0xca, 0x3d, 0xcc, 0xcc, 0xcd}));
    EXPECT_EQ(valueBytes(true), octets({0xc3}));
    EXPECT_EQ(valueBytes(false), octets({0xc2}));
    EXPECT_EQ(valueBytes("ab"), octets({0xa2, 'a', 'b'}));
    EXPECT_EQ(valueBytes(std::string()), octets({0xa0}));
    const Bytes str32 = valueBytes(std::string(32, 'x'));
    ASSERT_EQ(str32.size(), 34u);
    EXPECT_EQ(str32[0], 0xd9);
    EXPECT_EQ(str32[1], 32);
    EXPECT_EQ(valueBytes(std::vector<std::uint32_t>{1, 300}), octets({0x92, 0x01, 0xcd, 0x01, 0x2c}));
    EXPECT_EQ(valueBytes(std::vector<CCPoint>{}), octets({0x90}));
    EXPECT_EQ(valueBytes(std::vector<CCPoint>{CCPoint(0, 1)}),
              octets({0x91, 0x92, 0xca, 0, 0, 0, 0, 0xca, 0x3f, 0x80, 0, 0}));
    EXPECT_EQ(valueBytes(CCSize(1, 0)), octets({0x92, 0xca, 0x3f, 0x80, 0, 0, 0xca, 0, 0, 0, 0}));
    EXPECT_EQ(valueBytes(CCRect(1, 0, 0, 0)),
              octets({0x94, 0xca, 0x3f, 0x80, 0, 0, 0xca, 0, 0, 0, 0, 0xca, 0, 0, 0, 0, 0xca, 0, 0, 0, 0}));
    EXPECT_EQ(valueBytes(ccColor4F{0, 0, 0, 1}),
              octets({0x94, 0xca, 0, 0, 0, 0, 0xca, 0, 0, 0, 0, 0xca, 0, 0, 0, 0, 0xca, 0x3f, 0x80, 0, 0}));
    EXPECT_EQ(valueBytes(std::map<std::string, std::string>{{"b", "2"}, {"a", "1"}}),
              octets({0x82, 0xa1, 'a', 0xa1, '1', 0xa1, 'b', 0xa1, '2'}));
}

TEST_F(PackMap, EncodesEveryObjectKindInItsSmallestForm) {
    msgpack::zone zone;
    auto bytesOf = [&](const auto& value) { return QVPackMap::encode(msgpack::object(value, zone)); };
    EXPECT_EQ(bytesOf(std::uint64_t{1} << 40), octets({0xcf, 0, 0, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bytesOf(std::int64_t{-(std::int64_t{1} << 40)}), octets({0xd3, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bytesOf(std::uint64_t{255}), octets({0xcc, 0xff}));
    EXPECT_EQ(bytesOf(std::int64_t{-32}), octets({0xe0}));
    EXPECT_EQ(bytesOf(2.0), octets({0xcb, 0x40, 0, 0, 0, 0, 0, 0, 0}));  // float64 stays float64
    msgpack::object nil;
    EXPECT_EQ(QVPackMap::encode(nil), octets({0xc0}));
    const Bytes str256 = bytesOf(std::string(256, 'a'));
    EXPECT_EQ(Bytes(str256.begin(), str256.begin() + 3), octets({0xda, 0x01, 0x00}));
    EXPECT_EQ(str256.size(), 259u);
    const Bytes array16 = bytesOf(std::vector<int>(16, 1));
    EXPECT_EQ(Bytes(array16.begin(), array16.begin() + 4), octets({0xdc, 0x00, 0x10, 0x01}));
    const Bytes map16 = bytesOf(std::map<int, int>{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7},
                                                    {8, 8}, {9, 9}, {10, 10}, {11, 11}, {12, 12}, {13, 13},
                                                    {14, 14}, {15, 15}});
    EXPECT_EQ(Bytes(map16.begin(), map16.begin() + 5), octets({0xde, 0x00, 0x10, 0x00, 0x00}));

    // Anything msgpack-c reads back re-encodes to the same bytes.
    const Bytes samples[] = {octets({0xc4, 0x02, 'h', 'i'}), octets({0xd4, 0x05, 0x01}), octets({0xc7, 0x03, 0x05, 1, 2, 3}),
                             octets({0xc7, 0x00, 0x05}), octets({0x92, 0xca, 0x40, 0, 0, 0, 0x81, 0xa0, 0xc2})};
    for (const Bytes& b : samples) EXPECT_EQ(QVPackMap::encode(parse(b).get()), b);
}

TEST_F(PackMap, SerialisesEntriesInPutOrderAndKeepsTheFirstOfARepeatedKey) {
    msgpack::zone zone;
    QVPackMap map(zone);
    map.put("id", std::int32_t{7});
    map.put("Class Name", "QVModelObject");
    map.put("id", std::int32_t{8});
    EXPECT_EQ(map.toBytes(), octets({0x82, 0x2a, 0x07, 0x21, 0xad, 'Q', 'V', 'M', 'o', 'd', 'e', 'l', 'O', 'b', 'j',
                                  'e', 'c', 't'}));

    QVPackMap reversed(zone);
    reversed.put("Class Name", "x");
    reversed.put("value", std::uint32_t{1});
    reversed.put("id", std::uint32_t{2});
    EXPECT_EQ(reversed.toBytes(), octets({0x83, 0x21, 0xa1, 'x', 0x0a, 0x01, 0x2a, 0x02}));
    EXPECT_EQ(QVPackMap(zone).toBytes(), octets({0x80}));
}

TEST_F(PackMap, ZoneNotSetComesBeforeTheKeyLookupAndBeforeCollecting) {
    QVPackMap readOnly;
    EXPECT_FALSE(readOnly.hasZone());
    try {
        readOnly.put("not in the table", std::uint32_t{1});
        FAIL() << "expected std::logic_error";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Zone not set");
    }
    installKeyTable({});
    EXPECT_THROW(readOnly.put("id", std::uint32_t{1}), std::logic_error);
    EXPECT_THROW(readOnly.zone(), std::logic_error);

    setCollectingKeys(true);
    EXPECT_THROW(readOnly.put("id", CCPoint()), std::logic_error);
    EXPECT_EQ(collectedKeys().count("id"), 0u);
    EXPECT_TRUE(readOnly.empty());
}

TEST_F(PackMap, AWriterOfANameTheTableLacksThrowsEvenForBuiltIns) {
    msgpack::zone zone;
    QVPackMap map(zone);
    installKeyTable({{"Name", 0}});
    try {
        map.put("id", std::uint32_t{1});  // "id" has a built-in number, but writers never use it
        FAIL() << "expected std::runtime_error";
    } catch (const std::logic_error&) {
        FAIL() << "wrong exception type";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "A key is not present");
    }
    EXPECT_TRUE(map.empty());
}

TEST_F(PackMap, CollectingModeRecordsNamesAndWritesNothing) {
    msgpack::zone zone;
    QVPackMap map(zone);
    QVPackMap nested(zone);
    setCollectingKeys(true);
    map.put("value", 1.f);
    map.put("unknown to the table", std::string("x"));
    map.put("nested", nested);
    map.put("points", std::vector<CCPoint>{CCPoint(1, 2)});
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(collectedKeys(), (std::set<std::string>{"nested", "points", "unknown to the table", "value"}));
}

TEST_F(PackMap, WrittenValuesAreDeepCopiedIntoTheMapsZone) {
    msgpack::zone zone;
    QVPackMap map(zone);
    {
        // Sources on a zone that dies before the map is serialised.
        auto other = std::make_unique<msgpack::zone>();
        QVPackMap inner(*other);
        inner.put("Name", std::string(40, 'n'));
        inner.put("list", std::vector<CCPoint>{CCPoint(1, 2), CCPoint(3, 4)});
        map.put("nested", inner);
        std::vector<msgpack::object> objects{msgpack::object(std::string("abc"), *other),
                                             inner.toObject(*other)};
        map.put("list", objects);
        std::string temporary = "temporary text";
        map.put("Name", temporary);
        temporary.assign(temporary.size(), '?');
    }
    const Bytes bytes = map.toBytes();
    Parsed parsed = parse(bytes);
    QVPackMap readBack(parsed.get());
    std::string name;
    ASSERT_TRUE(readBack.get("Name", name));
    EXPECT_EQ(name, "temporary text");
    QVPackMap nested;
    ASSERT_TRUE(readBack.get("nested", nested));
    std::string nestedName;
    ASSERT_TRUE(nested.get("Name", nestedName));
    EXPECT_EQ(nestedName, std::string(40, 'n'));
    std::vector<msgpack::object> list;
    ASSERT_TRUE(readBack.get("list", list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].as<std::string>(), "abc");
}

TEST_F(PackMap, RoundTripsEveryWriterThroughBytes) {
    const std::string text("caf\xc3\xa9\0x", 7);
    const std::vector<CCPoint> points{CCPoint(1, 2), CCPoint(3, 4)};
    const ccColor4F color{0.25f, 0.5f, 0.75f, 1.f};
    const std::vector<std::uint32_t> ids{4294967295u, 0};
    const std::map<std::string, std::string> texts{{"k", "v"}};
    EXPECT_EQ(roundTrip(std::uint32_t{3000000000u}), 3000000000u);
    EXPECT_EQ(roundTrip(std::int32_t{-70000}), -70000);
    EXPECT_EQ(roundTrip(-2.25f), -2.25f);
    EXPECT_TRUE(roundTrip(true));
    EXPECT_EQ(roundTrip(text), text);
    EXPECT_EQ(roundTrip(CCPoint(-1.5f, 1e30f)), CCPoint(-1.5f, 1e30f));
    EXPECT_EQ(roundTrip(points), points);
    EXPECT_TRUE(roundTrip(CCRect(1, 2, 3, 4)).equals(CCRect(1, 2, 3, 4)));
    EXPECT_TRUE(cocos2d::ccc4FEqual(roundTrip(color), color));
    EXPECT_TRUE(roundTrip(CCSize(5, 6)).equals(CCSize(5, 6)));
    EXPECT_EQ(roundTrip(ids), ids);
    EXPECT_EQ(roundTrip(texts), texts);
}

TEST_F(PackMap, ReadAcceptanceRules) {
    // Each value: [5, -5, 2.5f32, 2.5f64, true, "s", bin "b", 4294967296, [1,2,3], [1, 2], -1]
    const Bytes bytes = octets({0x9b, 0x05, 0xfb, 0xca, 0x40, 0x20, 0, 0, 0xcb, 0x40, 0x04, 0, 0, 0, 0, 0, 0, 0xc3,
                             0xa1, 's', 0xc4, 0x01, 'b', 0xcf, 0, 0, 0, 0x01, 0, 0, 0, 0, 0x93, 1, 2, 3, 0x92,
                             1, 2, 0xff});
    Parsed parsed = parse(bytes);
    const msgpack::object* v = parsed.get().via.array.ptr;
    float f = 0;
    QVPackMap::read(v[0], f);
    EXPECT_EQ(f, 5.f);
    QVPackMap::read(v[1], f);
    EXPECT_EQ(f, -5.f);
    QVPackMap::read(v[2], f);
    EXPECT_EQ(f, 2.5f);
    QVPackMap::read(v[3], f);
    EXPECT_EQ(f, 2.5f);
    EXPECT_THROW(QVPackMap::read(v[4], f), msgpack::type_error);

    bool b = false;
    QVPackMap::read(v[4], b);
    EXPECT_TRUE(b);
    EXPECT_THROW(QVPackMap::read(v[0], b), msgpack::type_error);  // no integers as bools

    std::uint32_t u = 9;
    EXPECT_THROW(QVPackMap::read(v[1], u), msgpack::type_error);   // negative
    EXPECT_THROW(QVPackMap::read(v[7], u), msgpack::type_error);   // 2^32
    EXPECT_THROW(QVPackMap::read(v[2], u), msgpack::type_error);   // float
    EXPECT_THROW(QVPackMap::read(v[10], u), msgpack::type_error);  // -1
    EXPECT_EQ(u, 9u);
    std::int32_t i = 0;
    EXPECT_THROW(QVPackMap::read(v[7], i), msgpack::type_error);
    QVPackMap::read(v[10], i);
    EXPECT_EQ(i, -1);

    std::string s;
    QVPackMap::read(v[5], s);
    EXPECT_EQ(s, "s");
    QVPackMap::read(v[6], s);
    EXPECT_EQ(s, "b");
    EXPECT_THROW(QVPackMap::read(v[0], s), msgpack::type_error);

    CCPoint p(7, 7);
    EXPECT_THROW(QVPackMap::read(v[8], p), msgpack::type_error);  // 3 elements
    EXPECT_EQ(p, CCPoint(7, 7));
    QVPackMap::read(v[9], p);  // integers convert
    EXPECT_EQ(p, CCPoint(1, 2));
    CCRect r;
    EXPECT_THROW(QVPackMap::read(v[8], r), msgpack::type_error);
    ccColor4F c;
    EXPECT_THROW(QVPackMap::read(v[9], c), msgpack::type_error);
    std::vector<CCPoint> points;
    EXPECT_THROW(QVPackMap::read(v[9], points), msgpack::type_error);  // elements are not points
    QVPackMap nested;
    EXPECT_THROW(QVPackMap::read(v[9], nested), msgpack::type_error);
}

TEST_F(PackMap, GetSkipsUnknownNamesAndAbsentKeysAndLeavesTheTargetOnTypeErrors) {
    // {10: [1, "x"], 0: "n", 99: 1}
    const Bytes bytes = octets({0x83, 0x0a, 0x92, 0x01, 0xa1, 'x', 0x00, 0xa1, 'n', 0x63, 0x01});
    Parsed parsed = parse(bytes);
    QVPackMap map(parsed.get());
    CCPoint p(3, 4);
    EXPECT_THROW(map.get("value", p), msgpack::type_error);
    EXPECT_EQ(p, CCPoint(3, 4));  // x had been readable, but nothing is half-written
    std::string s = "keep";
    EXPECT_FALSE(map.get("not a key", s));
    EXPECT_FALSE(map.get("id", s));  // in the table, absent from the map
    EXPECT_EQ(s, "keep");
    EXPECT_TRUE(map.get("Name", s));
    EXPECT_EQ(s, "n");
    EXPECT_NE(map.find(99u), nullptr);

    // The built-in number is used by readers while the table lacks the name.
    installKeyTable({});
    std::uint32_t id = 0;
    const Bytes withId = octets({0x81, 0x2a, 0x07});
    Parsed idParsed = parse(withId);
    EXPECT_TRUE(QVPackMap(idParsed.get()).get("id", id));
    EXPECT_EQ(id, 7u);
}

TEST_F(PackMap, ConversionFromAnObjectKeepsStreamOrderAndFirstValues) {
    EXPECT_THROW(QVPackMap(parse(octets({0x92, 1, 2})).get()), msgpack::type_error);
    EXPECT_THROW(QVPackMap(parse(octets({0x81, 0xff, 1})).get()), msgpack::type_error);     // negative key
    EXPECT_THROW(QVPackMap(parse(octets({0x81, 0xa1, 'k', 1})).get()), msgpack::type_error);  // string key
    EXPECT_THROW(QVPackMap(parse(octets({0x81, 0xcf, 0, 0, 0, 1, 0, 0, 0, 0, 1})).get()), msgpack::type_error);

    // {5: 1, 3: 2, 5: 3, 4294967295: 4}
    Parsed parsed = parse(octets({0x84, 0x05, 0x01, 0x03, 0x02, 0x05, 0x03, 0xce, 0xff, 0xff, 0xff, 0xff, 0x04}));
    QVPackMap map(parsed.get());
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(map.entries()[0].first, 5u);
    EXPECT_EQ(map.entries()[1].first, 3u);
    EXPECT_EQ(map.entries()[2].first, 4294967295u);
    EXPECT_EQ(map.find(5u)->as<int>(), 1);
    EXPECT_EQ(map.toBytes(), octets({0x83, 0x05, 0x01, 0x03, 0x02, 0xce, 0xff, 0xff, 0xff, 0xff, 0x04}));
    QVPackMap viaAs = parsed.get().as<QVPackMap>();
    EXPECT_EQ(viaAs.size(), 3u);
}

TEST_F(PackMap, LargeMapsFindEveryKeyAndStillKeepFirstValues) {
    // Past the linear-search size the index must agree with the entries.
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> packer(buffer);
    const std::uint32_t n = 200;
    packer.pack_map(n + 1);
    for (std::uint32_t k = 0; k < n; ++k) {
        packer.pack_uint32(k * 7);
        packer.pack_uint32(k);
    }
    packer.pack_uint32(7 * 150);  // repeat of an indexed key
    packer.pack_uint32(9999);
    msgpack::object_handle handle = msgpack::unpack(buffer.data(), buffer.size());
    QVPackMap map(handle.get());
    ASSERT_EQ(map.size(), n);
    for (std::uint32_t k = 0; k < n; ++k) {
        const msgpack::object* o = map.find(k * 7);
        ASSERT_NE(o, nullptr) << k;
        EXPECT_EQ(o->as<std::uint32_t>(), k);
        EXPECT_EQ(map.find(k * 7 + 1), nullptr);
    }
    EXPECT_EQ(map.entries().back().first, (n - 1) * 7);

    // The same on the writing side.
    msgpack::zone zone;
    QVPackMap out(zone);
    QVKeyTableMap table;
    for (std::uint32_t k = 0; k < 40; ++k) table.emplace("k" + std::to_string(k), static_cast<std::int32_t>(k));
    installKeyTable(table);
    for (std::uint32_t k = 0; k < 40; ++k) out.put("k" + std::to_string(k), k);
    for (std::uint32_t k = 0; k < 40; ++k) out.put("k" + std::to_string(k), k + 100);
    ASSERT_EQ(out.size(), 40u);
    std::uint32_t v = 0;
    ASSERT_TRUE(out.get("k39", v));
    EXPECT_EQ(v, 39u);
}

// A reader reuses one map for many objects: each assign must show exactly
// the new object, whether the map was small, indexed or left by a throw.
TEST_F(PackMap, ReusedMapShowsOnlyTheLastAssignedObject) {
    // {0..19: i} (indexed), then {10: "v", 10: "w"}, then a bad key, then {42: 1}.
    Bytes large = octets({0xde, 0x00, 20});
    for (int k = 0; k < 20; ++k) {
        large.push_back(static_cast<unsigned char>(k));
        large.push_back(static_cast<unsigned char>(k + 100));
    }
    const Parsed big = parse(large);
    const Parsed repeated = parse(octets({0x82, 0x0a, 0xa1, 'v', 0x0a, 0xa1, 'w'}));
    const Parsed badKey = parse(octets({0x82, 0x01, 0x01, 0xff, 0x02}));
    const Parsed small = parse(octets({0x81, 0x2a, 0x01}));

    QVPackMap map;
    map.assign(big.get());
    ASSERT_EQ(map.size(), 20u);
    std::uint32_t u = 0;
    EXPECT_TRUE(map.get(QVKey("id"), u) == false);  // 42 is not among 0..19
    ASSERT_NE(map.find(19u), nullptr);
    EXPECT_EQ(map.find(19u)->via.u64, 119u);

    map.assign(repeated.get());
    EXPECT_EQ(map.size(), 1u);
    EXPECT_EQ(map.find(19u), nullptr);  // nothing of the indexed map is left
    std::string s;
    EXPECT_TRUE(map.get(QVKey("value"), s));
    EXPECT_EQ(s, "v");  // the first of a repeated key

    EXPECT_THROW(map.assign(badKey.get()), msgpack::type_error);
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(map.find(1u), nullptr);

    map.assign(small.get());
    EXPECT_TRUE(map.get(QVKey("id"), u));
    EXPECT_EQ(u, 1u);
    EXPECT_EQ(map.findCode(-1), nullptr);
}
