#include "model/core/QVPackStream.h"

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
        case 0xc4: h.payload = lengthField(1); break;
        case 0xc5: h.payload = lengthField(2); break;
        case 0xc6: h.payload = lengthField(4); break;
        case 0xc7: h.payload = lengthField(1) + 1; break;  // + the type byte
        case 0xc8: h.payload = lengthField(2) + 1; break;
        case 0xc9: h.payload = lengthField(4) + 1; break;
        case 0xca: h.payload = 4; break;
        case 0xcb: h.payload = 8; break;
        case 0xcc: case 0xd0: h.payload = 1; break;
        case 0xcd: case 0xd1: h.payload = 2; break;
        case 0xce: case 0xd2: h.payload = 4; break;
        case 0xcf: case 0xd3: h.payload = 8; break;
        case 0xd4: h.payload = 2; break;
        case 0xd5: h.payload = 3; break;
        case 0xd6: h.payload = 5; break;
        case 0xd7: h.payload = 9; break;
        case 0xd8: h.payload = 17; break;
        case 0xd9: h.payload = lengthField(1); break;
        case 0xda: h.payload = lengthField(2); break;
        case 0xdb: h.payload = lengthField(4); break;
        case 0xdc: h.container = true; h.elements = lengthField(2); break;
        case 0xdd: h.container = true; h.elements = lengthField(4); break;
        case 0xde: h.container = true; h.elements = 2 * lengthField(2); break;
        case 0xdf: h.container = true; h.elements = 2 * lengthField(4); break;
        default: throw msgpack::parse_error("invalid type byte 0xc1");
        }
    }
    return h;
}

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
    std::size_t size = 0;
    if (!checkNext(size)) return false;
    zone.clear();
    std::size_t off = offset_;
    const msgpack::unpack_limit limit(size, size, size, size, size, 2 * kMaxPackDepth);
    bool referenced = false;
    out = msgpack::unpack(
        zone, reinterpret_cast<const char*>(data_), offset_ + size, off, referenced,
        [](msgpack::type::object_type, std::size_t, void*) { return true; }, nullptr, limit);
    offset_ = off;
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
