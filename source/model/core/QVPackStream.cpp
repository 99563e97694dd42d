#include "model/core/QVPackStream.h"

#include <cstring>

namespace {

constexpr unsigned char kNil = 0xc0;

std::uint64_t bigEndian(const unsigned char* p, std::size_t bytes) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// What one header declares: its own size, the bytes that follow it inline
// (str, bin, ext data) and, for a container, its element count.
struct Header {
    std::size_t headerSize = 1;
    std::uint64_t payload = 0;
    bool container = false;
    std::uint64_t elements = 0;  // objects that follow: n for an array, 2n for a map
};

Header readHeader(const unsigned char* data, std::size_t length, std::size_t pos) {
    const unsigned char b = data[pos];
    Header h;
    auto need = [&](std::size_t size) {
        if (size > length - pos) throw msgpack::insufficient_bytes("truncated object header");
        h.headerSize = size;
    };
    auto lengthField = [&](std::size_t bytes) {
        need(1 + bytes);
        return bigEndian(data + pos + 1, bytes);
    };
    if (b <= 0x7f || b >= 0xe0 || b == kNil || b == 0xc2 || b == 0xc3) return h;
    if (b >= 0x80 && b <= 0x8f) {
        h.container = true;
        h.elements = 2u * (b & 0x0fu);
    } else if (b >= 0x90 && b <= 0x9f) {
        h.container = true;
        h.elements = b & 0x0fu;
    } else if (b >= 0xa0 && b <= 0xbf) {
        h.payload = b & 0x1fu;
    } else {
        switch (b) {
            case 0xc4:
                h.payload = lengthField(1);
                break;
            case 0xc5:
                h.payload = lengthField(2);
                break;
            case 0xc6:
                h.payload = lengthField(4);
                break;
            case 0xc7:
                h.payload = lengthField(1) + 1;
                break;  // + the type byte
            case 0xc8:
                h.payload = lengthField(2) + 1;
                break;
            case 0xc9:
                h.payload = lengthField(4) + 1;
                break;
            case 0xca:
                h.payload = 4;
                break;
            case 0xcb:
                h.payload = 8;
                break;
            case 0xcc:
            case 0xd0:
                h.payload = 1;
                break;
            case 0xcd:
            case 0xd1:
                h.payload = 2;
                break;
            case 0xce:
            case 0xd2:
                h.payload = 4;
                break;
            case 0xcf:
            case 0xd3:
                h.payload = 8;
                break;
            case 0xd4:
                h.payload = 2;
                break;
            case 0xd5:
                h.payload = 3;
                break;
            case 0xd6:
                h.payload = 5;
                break;
            case 0xd7:
                h.payload = 9;
                break;
            case 0xd8:
                h.payload = 17;
                break;
            case 0xd9:
                h.payload = lengthField(1);
                break;
            case 0xda:
                h.payload = lengthField(2);
                break;
            case 0xdb:
                h.payload = lengthField(4);
                break;
            case 0xdc:
                h.container = true;
                h.elements = lengthField(2);
                break;
            case 0xdd:
                h.container = true;
                h.elements = lengthField(4);
                break;
            case 0xde:
                h.container = true;
                h.elements = 2 * lengthField(2);
                break;
            case 0xdf:
                h.container = true;
                h.elements = 2 * lengthField(4);
                break;
            default:
                throw msgpack::parse_error("invalid type byte 0xc1");
        }
    }
    return h;
}

// Big-endian fields of 1, 2, 4 or 8 bytes.
std::uint64_t loadField(const unsigned char* p, std::size_t bytes) {
    switch (bytes) {
        case 1:
            return p[0];
        case 2: {
            std::uint16_t v;
            std::memcpy(&v, p, sizeof v);
            return __builtin_bswap16(v);
        }
        case 4: {
            std::uint32_t v;
            std::memcpy(&v, p, sizeof v);
            return __builtin_bswap32(v);
        }
        default: {
            std::uint64_t v;
            std::memcpy(&v, p, sizeof v);
            return __builtin_bswap64(v);
        }
    }
}

// Builds the msgpack-c form of one object in a single pass that checks as it
// goes, with the bounds of checkObject: every length within the bytes left,
// nesting at most kMaxPackDepth. A container's count must also fit, together
// with every element still owed to the containers around it, in the bytes
// left (each element takes at least one byte), so the zone never holds more
// objects than the input has bytes, whatever a hostile file declares.
// Strings, bins and exts point into the data, as msgpack-c's referencing
// mode does.
class ObjectBuilder {
public:
    ObjectBuilder(const unsigned char* data, std::size_t length, msgpack::zone& zone)
        : data_(data), length_(length), zone_(zone) {}

    void build(std::size_t& pos, msgpack::object& o, std::size_t depth) {
        if (pos >= length_) throw msgpack::insufficient_bytes("truncated object");
        const unsigned char b = data_[pos++];
        if (b <= 0x7f) {
            o.type = msgpack::type::POSITIVE_INTEGER;
            o.via.u64 = b;
            return;
        }
        if (b >= 0xe0) {
            o.type = msgpack::type::NEGATIVE_INTEGER;
            o.via.i64 = static_cast<std::int8_t>(b);
            return;
        }
        if (b <= 0x8f) return map(o, b & 0x0fu, pos, depth);
        if (b <= 0x9f) return array(o, b & 0x0fu, pos, depth);
        if (b <= 0xbf) return str(o, b & 0x1fu, pos);
        switch (b) {
            case 0xc0:
                o.type = msgpack::type::NIL;
                break;
            case 0xc2:
                o.type = msgpack::type::BOOLEAN;
                o.via.boolean = false;
                break;
            case 0xc3:
                o.type = msgpack::type::BOOLEAN;
                o.via.boolean = true;
                break;
            case 0xc4:
                bin(o, field(pos, 1), pos);
                break;
            case 0xc5:
                bin(o, field(pos, 2), pos);
                break;
            case 0xc6:
                bin(o, field(pos, 4), pos);
                break;
            case 0xc7:
                ext(o, field(pos, 1), pos);
                break;
            case 0xc8:
                ext(o, field(pos, 2), pos);
                break;
            case 0xc9:
                ext(o, field(pos, 4), pos);
                break;
            case 0xca: {
                const std::uint32_t bits = static_cast<std::uint32_t>(field(pos, 4));
                float f;
                std::memcpy(&f, &bits, sizeof f);
                o.type = msgpack::type::FLOAT32;
                o.via.f64 = static_cast<double>(f);
                break;
            }
            case 0xcb: {
                const std::uint64_t bits = field(pos, 8);
                o.type = msgpack::type::FLOAT64;
                std::memcpy(&o.via.f64, &bits, sizeof bits);
                break;
            }
            case 0xcc:
                o.type = msgpack::type::POSITIVE_INTEGER;
                o.via.u64 = field(pos, 1);
                break;
            case 0xcd:
                o.type = msgpack::type::POSITIVE_INTEGER;
                o.via.u64 = field(pos, 2);
                break;
            case 0xce:
                o.type = msgpack::type::POSITIVE_INTEGER;
                o.via.u64 = field(pos, 4);
                break;
            case 0xcf:
                o.type = msgpack::type::POSITIVE_INTEGER;
                o.via.u64 = field(pos, 8);
                break;
            case 0xd0:
                integer(o, signedField(pos, 1));
                break;
            case 0xd1:
                integer(o, signedField(pos, 2));
                break;
            case 0xd2:
                integer(o, signedField(pos, 4));
                break;
            case 0xd3:
                integer(o, signedField(pos, 8));
                break;
            case 0xd4:
                ext(o, 1, pos);
                break;
            case 0xd5:
                ext(o, 2, pos);
                break;
            case 0xd6:
                ext(o, 4, pos);
                break;
            case 0xd7:
                ext(o, 8, pos);
                break;
            case 0xd8:
                ext(o, 16, pos);
                break;
            case 0xd9:
                str(o, field(pos, 1), pos);
                break;
            case 0xda:
                str(o, field(pos, 2), pos);
                break;
            case 0xdb:
                str(o, field(pos, 4), pos);
                break;
            case 0xdc:
                array(o, field(pos, 2), pos, depth);
                break;
            case 0xdd:
                array(o, field(pos, 4), pos, depth);
                break;
            case 0xde:
                map(o, field(pos, 2), pos, depth);
                break;
            case 0xdf:
                map(o, field(pos, 4), pos, depth);
                break;
            default:
                throw msgpack::parse_error("invalid type byte 0xc1");
        }
    }

private:
    std::size_t left(std::size_t pos) const { return length_ - pos; }
    std::uint64_t field(std::size_t& pos, std::size_t bytes) {
        if (bytes > left(pos)) throw msgpack::insufficient_bytes("truncated object header");
        const std::uint64_t v = loadField(data_ + pos, bytes);
        pos += bytes;
        return v;
    }
    std::int64_t signedField(std::size_t& pos, std::size_t bytes) {
        const std::uint64_t raw = field(pos, bytes);
        const unsigned shift = static_cast<unsigned>(64 - 8 * bytes);
        return static_cast<std::int64_t>(raw << shift) >> shift;  // sign-extends
    }
    static void integer(msgpack::object& o, std::int64_t value) {
        if (value >= 0) {
            o.type = msgpack::type::POSITIVE_INTEGER;
            o.via.u64 = static_cast<std::uint64_t>(value);
        } else {
            o.type = msgpack::type::NEGATIVE_INTEGER;
            o.via.i64 = value;
        }
    }
    const char* payload(std::size_t& pos, std::uint64_t size) {
        if (size > left(pos)) throw msgpack::insufficient_bytes("declared length exceeds the data left");
        const char* at = reinterpret_cast<const char*>(data_ + pos);
        pos += static_cast<std::size_t>(size);
        return at;
    }
    void str(msgpack::object& o, std::uint64_t size, std::size_t& pos) {
        o.type = msgpack::type::STR;
        o.via.str.ptr = payload(pos, size);
        o.via.str.size = static_cast<std::uint32_t>(size);
    }
    void bin(msgpack::object& o, std::uint64_t size, std::size_t& pos) {
        o.type = msgpack::type::BIN;
        o.via.bin.ptr = payload(pos, size);
        o.via.bin.size = static_cast<std::uint32_t>(size);
    }
    // `size` counts the data after the type byte, as msgpack-c's ext does.
    void ext(msgpack::object& o, std::uint64_t size, std::size_t& pos) {
        o.type = msgpack::type::EXT;
        o.via.ext.ptr = payload(pos, size + 1);
        o.via.ext.size = static_cast<std::uint32_t>(size);
    }
    // Checks a container's `elements` (2 per map pair) and owes them.
    void open(std::uint64_t elements, std::size_t pos, std::size_t depth) {
        if (elements > left(pos) || owed_ + elements > left(pos)) {
            throw msgpack::insufficient_bytes("declared count exceeds the data left");
        }
        if (depth >= kMaxPackDepth) throw msgpack::depth_size_overflow("nesting deeper than 32 levels");
        owed_ += elements;
    }
    void array(msgpack::object& o, std::uint64_t count, std::size_t& pos, std::size_t depth) {
        open(count, pos, depth);
        o.type = msgpack::type::ARRAY;
        o.via.array.size = static_cast<std::uint32_t>(count);
        o.via.array.ptr = nullptr;
        if (count == 0) return;
        auto* items = static_cast<msgpack::object*>(
            zone_.allocate_align(sizeof(msgpack::object) * count, MSGPACK_ZONE_ALIGNOF(msgpack::object)));
        o.via.array.ptr = items;
        for (std::uint64_t i = 0; i < count; ++i) {
            --owed_;
            build(pos, items[i], depth + 1);
        }
    }
    void map(msgpack::object& o, std::uint64_t count, std::size_t& pos, std::size_t depth) {
        open(2 * count, pos, depth);
        o.type = msgpack::type::MAP;
        o.via.map.size = static_cast<std::uint32_t>(count);
        o.via.map.ptr = nullptr;
        if (count == 0) return;
        auto* items = static_cast<msgpack::object_kv*>(
            zone_.allocate_align(sizeof(msgpack::object_kv) * count, MSGPACK_ZONE_ALIGNOF(msgpack::object_kv)));
        o.via.map.ptr = items;
        for (std::uint64_t i = 0; i < count; ++i) {
            --owed_;
            build(pos, items[i].key, depth + 1);
            --owed_;
            build(pos, items[i].val, depth + 1);
        }
    }

    const unsigned char* data_;
    std::size_t length_;
    msgpack::zone& zone_;
    std::uint64_t owed_ = 0;  // elements declared by open containers, not yet begun
};

}  // namespace

QVPackStream::QVPackStream(const void* data, std::size_t length)
    : data_(static_cast<const unsigned char*>(data)), length_(data ? length : 0) {}

std::size_t QVPackStream::checkObject(const unsigned char* data, std::size_t length, std::size_t offset) {
    // remaining[i]: objects still owed to open level i; level 0 is the object
    // itself, so container nesting is (levels - 1).
    std::uint64_t remaining[kMaxPackDepth + 1];
    std::size_t levels = 1;
    remaining[0] = 1;
    std::size_t pos = offset;
    while (levels > 0) {
        if (remaining[levels - 1] == 0) {
            --levels;
            continue;
        }
        --remaining[levels - 1];
        if (pos >= length) throw msgpack::insufficient_bytes("truncated object");
        const Header h = readHeader(data, length, pos);
        pos += h.headerSize;
        const std::size_t left = length - pos;
        if (h.payload > left) throw msgpack::insufficient_bytes("declared length exceeds the data left");
        pos += static_cast<std::size_t>(h.payload);
        if (!h.container) continue;
        // Every element takes at least one byte, so a count above the bytes
        // left can never complete; refusing it here keeps msgpack-c from
        // allocating for a count the input cannot hold.
        if (h.elements > left) throw msgpack::insufficient_bytes("declared count exceeds the data left");
        if (levels > kMaxPackDepth) throw msgpack::depth_size_overflow("nesting deeper than 32 levels");
        if (h.elements > 0) remaining[levels++] = h.elements;
    }
    return pos - offset;
}

bool QVPackStream::checkNext(std::size_t& size) {
    objectOffset_ = offset_;
    if (endedAtNil_ || offset_ >= length_) return false;
    if (data_[offset_] == kNil) {
        endedAtNil_ = true;
        return false;
    }
    size = checkObject(data_, length_, offset_);
    return true;
}

bool QVPackStream::next(msgpack::zone& zone, msgpack::object& out) {
    objectOffset_ = offset_;
    if (endedAtNil_ || offset_ >= length_) return false;
    if (data_[offset_] == kNil) {
        endedAtNil_ = true;
        return false;
    }
    zone.clear();
    // One pass that checks and builds, instead of a proving walk and then
    // msgpack-c's general parser with its own per-call state.
    std::size_t pos = offset_;
    ObjectBuilder(data_, length_, zone).build(pos, out, 0);
    offset_ = pos;
    return true;
}

bool QVPackStream::next(msgpack::object_handle& out) {
    std::size_t size = 0;
    if (!checkNext(size)) return false;
    std::size_t off = offset_;
    // The walk above is the real bound; this limit only backs it up.
    const msgpack::unpack_limit limit(size, size, size, size, size, 2 * kMaxPackDepth);
    out = msgpack::unpack(reinterpret_cast<const char*>(data_), offset_ + size, off, nullptr, nullptr, limit);
    offset_ = off;
    return true;
}
