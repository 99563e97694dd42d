// QVPackStream: the frame of a pack (objects up to the end of data or a nil)
// and the bounds that keep hostile counts and nesting from costing memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "../support/model_test_support.h"
#include "model/core/QVPackMap.h"
#include "model/core/QVPackStream.h"

using modeltest::Bytes;

namespace {

using modeltest::octets;

// Reads every object; returns how many were read before the end.
std::size_t readAll(QVPackStream& stream) {
    msgpack::object_handle handle;
    std::size_t count = 0;
    while (stream.next(handle)) ++count;
    return count;
}

// A random object of the kinds packs hold, up to `depth` levels.
void packRandom(msgpack::packer<msgpack::sbuffer>& p, std::mt19937& rng, int depth) {
    const int kind = static_cast<int>(rng() % (depth > 0 ? 9 : 6));
    switch (kind) {
    case 0: p.pack_uint64(rng() >> (rng() % 32)); break;
    case 1: p.pack_int64(-static_cast<std::int64_t>(rng() >> (rng() % 32)) - 1); break;
    case 2: p.pack_float(static_cast<float>(rng()) / 7.f); break;
    case 3: p.pack(std::string(rng() % 300, 's')); break;
    case 4: {
        const std::string bin(rng() % 40, 'b');
        p.pack_bin(static_cast<std::uint32_t>(bin.size()));
        p.pack_bin_body(bin.data(), static_cast<std::uint32_t>(bin.size()));
        break;
    }
    case 5: {
        const std::uint32_t n = rng() % 20;
        p.pack_ext(n, 3);
        p.pack_ext_body("0123456789abcdefghij", n);
        break;
    }
    case 6:
    case 7: {
        const std::uint32_t n = rng() % 20;
        p.pack_array(n);
        for (std::uint32_t i = 0; i < n; ++i) packRandom(p, rng, depth - 1);
        break;
    }
    default: {
        const std::uint32_t n = rng() % 20;
        p.pack_map(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            p.pack_uint32(rng() % 100);
            packRandom(p, rng, depth - 1);
        }
        break;
    }
    }
}

}  // namespace

TEST(PackStream, ReadsObjectsUpToTheFirstNilAndReportsWhereItStopped) {
    // {1: 2}, [3], "s", nil, then garbage that must never be looked at.
    const Bytes bytes = octets({0x81, 0x01, 0x02, 0x91, 0x03, 0xa1, 's', 0xc0, 0xc1, 0xdd, 0xff});
    QVPackStream stream(bytes.data(), bytes.size());
    msgpack::object_handle handle;
    ASSERT_TRUE(stream.next(handle));
    EXPECT_EQ(stream.objectOffset(), 0u);
    EXPECT_EQ(handle.get().type, msgpack::type::MAP);
    ASSERT_TRUE(stream.next(handle));
    EXPECT_EQ(stream.objectOffset(), 3u);
    ASSERT_TRUE(stream.next(handle));
    EXPECT_EQ(handle.get().as<std::string>(), "s");
    EXPECT_FALSE(stream.next(handle));
    EXPECT_TRUE(stream.endedAtNil());
    EXPECT_EQ(stream.objectOffset(), 7u);
    EXPECT_FALSE(stream.next(handle));  // stays ended
    EXPECT_EQ(stream.objectOffset(), 7u);
}

TEST(PackStream, EndsCleanlyAtTheEndOfDataAndOnEmptyInput) {
    const Bytes bytes = octets({0x80, 0x80});
    QVPackStream stream(bytes.data(), bytes.size());
    EXPECT_EQ(readAll(stream), 2u);
    EXPECT_FALSE(stream.endedAtNil());
    EXPECT_EQ(stream.offset(), 2u);

    QVPackStream empty(nullptr, 5);
    EXPECT_EQ(readAll(empty), 0u);
    EXPECT_EQ(empty.length(), 0u);
    QVPackStream nilOnly(bytes.data(), 0);
    EXPECT_EQ(readAll(nilOnly), 0u);
}

TEST(PackStream, HostileCountsFailBeforeAnyAllocation) {
    // Each declares far more than the input holds; msgpack-c alone would try
    // to allocate for the count (about 96 GiB for the first), which ASan
    // reports as an error in this test.
    const Bytes bombs[] = {
        octets({0xdd, 0xff, 0xff, 0xff, 0xff}),               // array32
        octets({0xdf, 0xff, 0xff, 0xff, 0xff}),               // map32
        octets({0xdb, 0xff, 0xff, 0xff, 0xff}),               // str32
        octets({0xc6, 0xff, 0xff, 0xff, 0xff}),               // bin32
        octets({0xc9, 0xff, 0xff, 0xff, 0xff, 0x01}),         // ext32
        octets({0x81, 0x01, 0xdc, 0xff, 0xff, 0, 0, 0}),      // nested array16
        octets({0xde, 0x00, 0x03, 1, 1, 1, 1, 1}),            // map16 of 3 pairs in 5 bytes
    };
    for (const Bytes& bomb : bombs) {
        QVPackStream stream(bomb.data(), bomb.size());
        msgpack::object_handle handle;
        EXPECT_THROW(stream.next(handle), msgpack::insufficient_bytes) << int(bomb[0]);
        EXPECT_EQ(stream.objectOffset(), 0u);
        EXPECT_THROW(stream.next(handle), msgpack::unpack_error);  // stuck at the bad object
    }
}

TEST(PackStream, NestingIsBoundedAt32Levels) {
    auto nested = [](std::size_t levels) {
        Bytes b(levels, 0x91);
        b.push_back(0x00);
        return b;
    };
    msgpack::object_handle handle;
    const Bytes ok = nested(kMaxPackDepth);
    QVPackStream accepted(ok.data(), ok.size());
    EXPECT_TRUE(accepted.next(handle));

    for (std::size_t levels : {kMaxPackDepth + 1, std::size_t{100}, std::size_t{100000}}) {
        const Bytes deep = nested(levels);
        QVPackStream stream(deep.data(), deep.size());
        EXPECT_THROW(stream.next(handle), msgpack::depth_size_overflow) << levels;
    }
    // Empty containers count as levels too.
    Bytes emptyDeep(kMaxPackDepth, 0x91);
    emptyDeep.push_back(0x90);
    QVPackStream stream(emptyDeep.data(), emptyDeep.size());
    EXPECT_THROW(stream.next(handle), msgpack::depth_size_overflow);
}

TEST(PackStream, TruncatedOrInvalidObjectsFailAfterTheObjectsBeforeThem) {
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> p(buffer);
    p.pack_map(2);
    p.pack_uint32(42);
    p.pack_uint32(300);
    p.pack_uint32(5);
    p.pack(std::string(40, 'x'));
    p.pack_array(2);
    p.pack_float(1.5f);
    p.pack_double(-2.0);
    const Bytes whole(buffer.data(), buffer.data() + buffer.size());
    const std::size_t firstSize = 1 + 1 + 3 + 1 + 2 + 40;

    // Every cut inside the second object fails there, after the first is read.
    for (std::size_t cut = firstSize + 1; cut < whole.size(); ++cut) {
        QVPackStream stream(whole.data(), cut);
        msgpack::object_handle handle;
        ASSERT_TRUE(stream.next(handle)) << cut;
        EXPECT_THROW(stream.next(handle), msgpack::insufficient_bytes) << cut;
        EXPECT_EQ(stream.objectOffset(), firstSize);
    }
    // Every cut inside the first fails at 0.
    for (std::size_t cut = 1; cut < firstSize; ++cut) {
        QVPackStream stream(whole.data(), cut);
        msgpack::object_handle handle;
        EXPECT_THROW(stream.next(handle), msgpack::unpack_error) << cut;
    }
    const Bytes reserved = octets({0x80, 0x91, 0xc1});
    QVPackStream stream(reserved.data(), reserved.size());
    msgpack::object_handle handle;
    EXPECT_TRUE(stream.next(handle));
    EXPECT_THROW(stream.next(handle), msgpack::parse_error);
    EXPECT_EQ(stream.objectOffset(), 1u);
}

TEST(PackStream, HeaderWalkAgreesWithMsgpackOnValidObjects) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 300; ++round) {
        msgpack::sbuffer buffer;
        msgpack::packer<msgpack::sbuffer> p(buffer);
        packRandom(p, rng, 6);
        const std::size_t firstSize = buffer.size();
        packRandom(p, rng, 6);
        const auto* data = reinterpret_cast<const unsigned char*>(buffer.data());
        ASSERT_EQ(QVPackStream::checkObject(data, buffer.size(), 0), firstSize) << round;
        std::size_t off = 0;
        msgpack::object_handle expected = msgpack::unpack(buffer.data(), buffer.size(), off);
        QVPackStream stream(data, buffer.size());
        msgpack::object_handle handle;
        ASSERT_TRUE(stream.next(handle));
        EXPECT_EQ(stream.offset(), off);
        EXPECT_EQ(handle.get(), expected.get()) << round;
    }
}

TEST(PackStream, RandomBytesRaiseOnlyUnpackErrors) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes(rng() % 64);
        for (auto& b : bytes) b = static_cast<unsigned char>(rng());
        QVPackStream stream(bytes.data(), bytes.size());
        try {
            readAll(stream);
        } catch (const msgpack::unpack_error&) {
        }
        EXPECT_LE(stream.offset(), bytes.size());
    }
}

// The reader that reuses a zone builds its objects itself; they must equal
// msgpack-c's for every encoding, including the signed forms of positive
// numbers, float32 against float64, fixext and empty containers.
TEST(PackStream, ZoneReaderBuildsTheSameObjectsAsMsgpack) {
    msgpack::sbuffer buffer;
    msgpack::packer<msgpack::sbuffer> p(buffer);
    const Bytes edge = octets({0xd0, 0x05, 0xd0, 0x80, 0xd1, 0x80, 0x00, 0xd2, 0x7f, 0xff, 0xff, 0xff,
                            0xd3, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xfe, 0xcf, 0xff, 0xff, 0xff,
                            0xff, 0xff, 0xff, 0xff, 0xff, 0xe0, 0x7f, 0xca, 0x3f, 0xc0, 0x00, 0x00, 0xcb,
                            0x40, 0x09, 0x21, 0xfb, 0x54, 0x44, 0x2d, 0x18, 0xd4, 0x01, 0x41, 0xd8, 0x02,
                            '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f',
                            0x90, 0x80, 0xa0, 0xc4, 0x00, 0xc2, 0xc3, 0xdc, 0x00, 0x01, 0x07, 0xde, 0x00,
                            0x01, 0x01, 0xd9, 0x01, 'x'});
    buffer.write(reinterpret_cast<const char*>(edge.data()), edge.size());
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) packRandom(p, rng, 4);

    QVPackStream reference(buffer.data(), buffer.size());
    QVPackStream reused(buffer.data(), buffer.size());
    msgpack::object_handle handle;
    msgpack::zone zone;
    msgpack::object object;
    std::size_t count = 0;
    while (reference.next(handle)) {
        ASSERT_TRUE(reused.next(zone, object)) << "object " << count;
        // Compared through the canonical encoding, which keeps every type
        // apart (float32 from float64, str from bin); msgpack-c's own
        // operator== passes an empty string's null pointer to memcmp.
        EXPECT_EQ(QVPackMap::encode(handle.get()), QVPackMap::encode(object)) << "object " << count;
        EXPECT_EQ(handle.get().type, object.type) << "object " << count;
        EXPECT_EQ(reused.offset(), reference.offset());
        ++count;
    }
    EXPECT_FALSE(reused.next(zone, object));
    EXPECT_GT(count, 300u);
}

TEST(PackStream, ZoneReaderRefusesWhatTheHandleReaderRefuses) {
    const Bytes cases[] = {
        octets({0x81, 0x01, 0x92, 0x01}),          // truncated inside an array
        octets({0xdd, 0xff, 0xff, 0xff, 0xff}),    // count above the bytes left
        octets({0xdb, 0x00, 0x00, 0x10, 0x00}),    // string longer than the data
        octets({0x91, 0xc1}),                      // invalid type byte
    };
    for (const Bytes& bytes : cases) {
        QVPackStream stream(bytes.data(), bytes.size());
        msgpack::zone zone;
        msgpack::object object;
        EXPECT_ANY_THROW(stream.next(zone, object));
    }
    Bytes deep(40, 0x91);
    deep.push_back(0x01);
    QVPackStream stream(deep.data(), deep.size());
    msgpack::zone zone;
    msgpack::object object;
    EXPECT_THROW(stream.next(zone, object), msgpack::depth_size_overflow);
}
