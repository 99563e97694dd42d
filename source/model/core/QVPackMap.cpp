#include "model/core/QVPackMap.h"

#include <cstring>
#include <initializer_list>
#include <limits>
#include <stdexcept>

#include "model/core/QVKeyTable.h"

namespace {

msgpack::object floatObject(float value) {
    msgpack::object o;
    o.type = msgpack::type::FLOAT32;
    o.via.f64 = static_cast<double>(value);
    return o;
}

msgpack::object unsignedObject(std::uint64_t value) {
    msgpack::object o;
    o.type = msgpack::type::POSITIVE_INTEGER;
    o.via.u64 = value;
    return o;
}

msgpack::object stringObject(const char* data, std::size_t size, msgpack::zone& zone) {
    msgpack::object o;
    o.type = msgpack::type::STR;
    o.via.str.size = static_cast<std::uint32_t>(size);
    char* copy = nullptr;
    if (size > 0) {
        copy = static_cast<char*>(zone.allocate_no_align(size));
        std::memcpy(copy, data, size);
    }
    o.via.str.ptr = copy;
    return o;
}

msgpack::object* allocateObjects(std::size_t count, msgpack::zone& zone) {
    if (count == 0) return nullptr;
    return static_cast<msgpack::object*>(
        zone.allocate_align(sizeof(msgpack::object) * count, MSGPACK_ZONE_ALIGNOF(msgpack::object)));
}

// An array of `count` elements for the caller to fill.
msgpack::object arrayObject(std::size_t count, msgpack::zone& zone) {
    msgpack::object o;
    o.type = msgpack::type::ARRAY;
    o.via.array.size = static_cast<std::uint32_t>(count);
    o.via.array.ptr = allocateObjects(count, zone);
    return o;
}

msgpack::object floatsObject(std::initializer_list<float> values, msgpack::zone& zone) {
    msgpack::object o = arrayObject(values.size(), zone);
    std::size_t i = 0;
    for (float v : values) o.via.array.ptr[i++] = floatObject(v);
    return o;
}

const msgpack::object& arrayOf(const msgpack::object& o, std::size_t expected) {
    if (o.type != msgpack::type::ARRAY || o.via.array.size != expected) throw msgpack::type_error();
    return o;
}

void appendBigEndian(std::vector<unsigned char>& out, std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void appendUnsigned(std::vector<unsigned char>& out, std::uint64_t v) {
    if (v < 0x80) {
        out.push_back(static_cast<unsigned char>(v));
    } else if (v <= 0xff) {
        out.push_back(0xcc);
        appendBigEndian(out, v, 1);
    } else if (v <= 0xffff) {
        out.push_back(0xcd);
        appendBigEndian(out, v, 2);
    } else if (v <= 0xffffffffu) {
        out.push_back(0xce);
        appendBigEndian(out, v, 4);
    } else {
        out.push_back(0xcf);
        appendBigEndian(out, v, 8);
    }
}

void appendSigned(std::vector<unsigned char>& out, std::int64_t v) {
    if (v >= 0) {
        appendUnsigned(out, static_cast<std::uint64_t>(v));
    } else if (v >= -32) {
        out.push_back(static_cast<unsigned char>(v));
    } else if (v >= INT8_MIN) {
        out.push_back(0xd0);
        appendBigEndian(out, static_cast<std::uint64_t>(v), 1);
    } else if (v >= INT16_MIN) {
        out.push_back(0xd1);
        appendBigEndian(out, static_cast<std::uint64_t>(v), 2);
    } else if (v >= INT32_MIN) {
        out.push_back(0xd2);
        appendBigEndian(out, static_cast<std::uint64_t>(v), 4);
    } else {
        out.push_back(0xd3);
        appendBigEndian(out, static_cast<std::uint64_t>(v), 8);
    }
}

// A str/bin/ext length: 8-, 16- or 32-bit field after the given tags.
void appendSized(std::vector<unsigned char>& out, std::uint32_t size, unsigned char tag8, unsigned char tag16,
                 unsigned char tag32) {
    if (size <= 0xff) {
        out.push_back(tag8);
        appendBigEndian(out, size, 1);
    } else if (size <= 0xffff) {
        out.push_back(tag16);
        appendBigEndian(out, size, 2);
    } else {
        out.push_back(tag32);
        appendBigEndian(out, size, 4);
    }
}

// An array/map count: fix form up to `fixMax`, else a 16- or 32-bit field.
void appendLength(std::vector<unsigned char>& out, std::size_t count, unsigned char fixTag, std::size_t fixMax,
                  unsigned char tag16, unsigned char tag32) {
    if (count <= fixMax) {
        out.push_back(static_cast<unsigned char>(fixTag | count));
    } else if (count <= 0xffff) {
        out.push_back(tag16);
        appendBigEndian(out, count, 2);
    } else {
        out.push_back(tag32);
        appendBigEndian(out, count, 4);
    }
}

}  // namespace

QVPackMap::QVPackMap(const msgpack::object& object) { read(object, *this); }

msgpack::zone& QVPackMap::zone() const {
    if (!zone_) throw std::logic_error("Zone not set");
    return *zone_;
}

bool QVPackMap::beginPut(const std::string& name, msgpack::zone*& zone) {
    // The zone test comes before any key lookup, so a read-only map fails the
    // same way whether or not the key table knows the name.
    zone = &this->zone();
    if (isCollectingKeys()) {
        collectedKeys().insert(name);
        return false;
    }
    return true;
}

void QVPackMap::putObject(const std::string& name, const msgpack::object& value) {
    const std::int32_t number = keyCodeOrThrow(name);
    insert(static_cast<std::uint32_t>(number), value);
}

void QVPackMap::insert(std::uint32_t number, const msgpack::object& value) {
    if (find(number)) return;  // the first value of a repeated key stays
    entries_.emplace_back(number, value);
    if (entries_.size() <= kLinearLookupLimit) return;
    if (entries_.size() * 2 > index_.size()) {
        // At most half full: probe runs stay short.
        std::size_t slots = 64;
        while (slots < entries_.size() * 4) slots *= 2;
        index_.assign(slots, 0);
        indexShift_ = 64;
        for (std::size_t s = slots; s > 1; s /= 2) --indexShift_;
        for (std::size_t i = 0; i < entries_.size(); ++i) placeInIndex(i);
    } else {
        placeInIndex(entries_.size() - 1);
    }
}

std::size_t QVPackMap::indexHome(std::uint32_t number) const {
    return static_cast<std::size_t>((static_cast<std::uint64_t>(number) * 0x9E3779B97F4A7C15ull) >> indexShift_);
}

void QVPackMap::placeInIndex(std::size_t position) {
    const std::size_t mask = index_.size() - 1;
    std::size_t slot = indexHome(entries_[position].first);
    while (index_[slot] != 0) slot = (slot + 1) & mask;
    index_[slot] = static_cast<std::uint32_t>(position + 1);
}

const msgpack::object* QVPackMap::find(std::uint32_t number) const {
    if (!index_.empty()) {
        const std::size_t mask = index_.size() - 1;
        for (std::size_t slot = indexHome(number); index_[slot] != 0; slot = (slot + 1) & mask) {
            const Entry& e = entries_[index_[slot] - 1];
            if (e.first == number) return &e.second;
        }
        return nullptr;
    }
    for (const Entry& e : entries_)
        if (e.first == number) return &e.second;
    return nullptr;
}

const msgpack::object* QVPackMap::find(const std::string& name) const {
    const std::int32_t number = keyCode(name);
    if (number == -1) return nullptr;
    return find(static_cast<std::uint32_t>(number));
}

void QVPackMap::put(const std::string& name, std::uint32_t value) {
    msgpack::zone* z;
    if (beginPut(name, z)) putObject(name, unsignedObject(value));
}

void QVPackMap::put(const std::string& name, std::int32_t value) {
    msgpack::zone* z;
    if (!beginPut(name, z)) return;
    msgpack::object o;
    if (value >= 0) {
        o = unsignedObject(static_cast<std::uint64_t>(value));
    } else {
        o.type = msgpack::type::NEGATIVE_INTEGER;
        o.via.i64 = value;
    }
    putObject(name, o);
}

void QVPackMap::put(const std::string& name, float value) {
    msgpack::zone* z;
    if (beginPut(name, z)) putObject(name, floatObject(value));
}

void QVPackMap::put(const std::string& name, bool value) {
    msgpack::zone* z;
    if (!beginPut(name, z)) return;
    msgpack::object o;
    o.type = msgpack::type::BOOLEAN;
    o.via.boolean = value;
    putObject(name, o);
}

void QVPackMap::put(const std::string& name, const char* value) {
    msgpack::zone* z;
    if (beginPut(name, z)) putObject(name, stringObject(value ? value : "", value ? std::strlen(value) : 0, *z));
}

void QVPackMap::put(const std::string& name, const std::string& value) {
    msgpack::zone* z;
    if (beginPut(name, z)) putObject(name, stringObject(value.data(), value.size(), *z));
}

void QVPackMap::put(const std::string& name, const std::map<std::string, std::string>& value) {
    msgpack::zone* z;
    if (!beginPut(name, z)) return;
    msgpack::object o;
    o.type = msgpack::type::MAP;
    o.via.map.size = static_cast<std::uint32_t>(value.size());
    o.via.map.ptr = value.empty()
                        ? nullptr
                        : static_cast<msgpack::object_kv*>(z->allocate_align(sizeof(msgpack::object_kv) * value.size(),
                                                                             MSGPACK_ZONE_ALIGNOF(msgpack::object_kv)));
    std::size_t i = 0;
    for (const auto& kv : value) {
        o.via.map.ptr[i].key = stringObject(kv.first.data(), kv.first.size(), *z);
        o.via.map.ptr[i].val = stringObject(kv.second.data(), kv.second.size(), *z);
        ++i;
    }
    putObject(name, o);
}

void QVPackMap::put(const std::string& name, const std::vector<msgpack::object>& value) {
    msgpack::zone* z;
    if (!beginPut(name, z)) return;
    msgpack::object o = arrayObject(value.size(), *z);
    for (std::size_t i = 0; i < value.size(); ++i) o.via.array.ptr[i] = copyObject(value[i], *z);
    putObject(name, o);
}

void QVPackMap::put(const std::string& name, const std::vector<std::uint32_t>& value) {
    msgpack::zone* z;
    if (!beginPut(name, z)) return;
    msgpack::object o = arrayObject(value.size(), *z);
    for (std::size_t i = 0; i < value.size(); ++i) o.via.array.ptr[i] = unsignedObject(value[i]);
    putObject(name, o);
}

void QVPackMap::put(const std::string& name, const QVPackMap& value) {
    msgpack::zone* z;
    if (beginPut(name, z)) putObject(name, value.toObject(*z));
}

void QVPackMap::put(const std::string& name, const cocos2d::CCPoint& value) {
    msgpack::zone* z;
    if (beginPut(name, z)) putObject(name, floatsObject({value.x, value.y}, *z));
}

void QVPackMap::put(const std::string& name, const std::vector<cocos2d::CCPoint>& value) {
    msgpack::zone* z;
    if (!beginPut(name, z)) return;
    msgpack::object o = arrayObject(value.size(), *z);
    for (std::size_t i = 0; i < value.size(); ++i) o.via.array.ptr[i] = floatsObject({value[i].x, value[i].y}, *z);
    putObject(name, o);
}

void QVPackMap::put(const std::string& name, const cocos2d::CCSize& value) {
    msgpack::zone* z;
    if (beginPut(name, z)) putObject(name, floatsObject({value.width, value.height}, *z));
}

void QVPackMap::put(const std::string& name, const cocos2d::CCRect& value) {
    put(name, value.origin.x, value.origin.y, value.size.width, value.size.height);
}

void QVPackMap::put(const std::string& name, const cocos2d::ccColor4F& value) {
    put(name, value.r, value.g, value.b, value.a);
}

void QVPackMap::put(const std::string& name, float a, float b, float c, float d) {
    msgpack::zone* z;
    if (beginPut(name, z)) putObject(name, floatsObject({a, b, c, d}, *z));
}

msgpack::object QVPackMap::toObject(msgpack::zone& zone) const {
    msgpack::object o;
    o.type = msgpack::type::MAP;
    o.via.map.size = static_cast<std::uint32_t>(entries_.size());
    o.via.map.ptr = entries_.empty()
                        ? nullptr
                        : static_cast<msgpack::object_kv*>(zone.allocate_align(
                              sizeof(msgpack::object_kv) * entries_.size(), MSGPACK_ZONE_ALIGNOF(msgpack::object_kv)));
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        o.via.map.ptr[i].key = unsignedObject(entries_[i].first);
        o.via.map.ptr[i].val = copyObject(entries_[i].second, zone);
    }
    return o;
}

std::vector<unsigned char> QVPackMap::toBytes() const {
    std::vector<unsigned char> out;
    appendTo(out);
    return out;
}

void QVPackMap::appendTo(std::vector<unsigned char>& out) const {
    appendLength(out, entries_.size(), 0x80, 0x0f, 0xde, 0xdf);
    for (const Entry& e : entries_) {
        appendUnsigned(out, e.first);
        appendObject(e.second, out);
    }
}

std::vector<unsigned char> QVPackMap::encode(const msgpack::object& o) {
    std::vector<unsigned char> out;
    appendObject(o, out);
    return out;
}

void QVPackMap::appendObject(const msgpack::object& o, std::vector<unsigned char>& out) {
    switch (o.type) {
        case msgpack::type::NIL:
            out.push_back(0xc0);
            break;
        case msgpack::type::BOOLEAN:
            out.push_back(o.via.boolean ? 0xc3 : 0xc2);
            break;
        case msgpack::type::POSITIVE_INTEGER:
            appendUnsigned(out, o.via.u64);
            break;
        case msgpack::type::NEGATIVE_INTEGER:
            appendSigned(out, o.via.i64);
            break;
        case msgpack::type::FLOAT32: {
            const float f = static_cast<float>(o.via.f64);
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            out.push_back(0xca);
            appendBigEndian(out, bits, 4);
            break;
        }
        case msgpack::type::FLOAT64: {
            std::uint64_t bits;
            std::memcpy(&bits, &o.via.f64, sizeof bits);
            out.push_back(0xcb);
            appendBigEndian(out, bits, 8);
            break;
        }
        case msgpack::type::STR:
            if (o.via.str.size < 32)
                out.push_back(static_cast<unsigned char>(0xa0 | o.via.str.size));
            else
                appendSized(out, o.via.str.size, 0xd9, 0xda, 0xdb);
            out.insert(out.end(), o.via.str.ptr, o.via.str.ptr + o.via.str.size);
            break;
        case msgpack::type::BIN:
            appendSized(out, o.via.bin.size, 0xc4, 0xc5, 0xc6);
            out.insert(out.end(), o.via.bin.ptr, o.via.bin.ptr + o.via.bin.size);
            break;
        case msgpack::type::EXT: {
            const std::uint32_t size = o.via.ext.size;
            switch (size) {
                case 1:
                    out.push_back(0xd4);
                    break;
                case 2:
                    out.push_back(0xd5);
                    break;
                case 4:
                    out.push_back(0xd6);
                    break;
                case 8:
                    out.push_back(0xd7);
                    break;
                case 16:
                    out.push_back(0xd8);
                    break;
                default:
                    appendSized(out, size, 0xc7, 0xc8, 0xc9);
                    break;
            }
            // ptr[0] is the type byte, followed by the data.
            out.insert(out.end(), o.via.ext.ptr, o.via.ext.ptr + size + 1);
            break;
        }
        case msgpack::type::ARRAY:
            appendLength(out, o.via.array.size, 0x90, 0x0f, 0xdc, 0xdd);
            for (std::uint32_t i = 0; i < o.via.array.size; ++i) appendObject(o.via.array.ptr[i], out);
            break;
        case msgpack::type::MAP:
            appendLength(out, o.via.map.size, 0x80, 0x0f, 0xde, 0xdf);
            for (std::uint32_t i = 0; i < o.via.map.size; ++i) {
                appendObject(o.via.map.ptr[i].key, out);
                appendObject(o.via.map.ptr[i].val, out);
            }
            break;
    }
}

msgpack::object QVPackMap::copyObject(const msgpack::object& o, msgpack::zone& zone) {
    msgpack::object copy = o;
    switch (o.type) {
        case msgpack::type::STR:
        case msgpack::type::BIN: {
            // str and bin share the layout of their (size, ptr) pair.
            const std::uint32_t size = o.via.str.size;
            char* bytes = nullptr;
            if (size > 0) {
                bytes = static_cast<char*>(zone.allocate_no_align(size));
                std::memcpy(bytes, o.via.str.ptr, size);
            }
            if (o.type == msgpack::type::STR)
                copy.via.str.ptr = bytes;
            else
                copy.via.bin.ptr = bytes;
            break;
        }
        case msgpack::type::EXT: {
            const std::uint32_t size = o.via.ext.size + 1;  // the type byte leads the data
            char* bytes = static_cast<char*>(zone.allocate_no_align(size));
            std::memcpy(bytes, o.via.ext.ptr, size);
            copy.via.ext.ptr = bytes;
            break;
        }
        case msgpack::type::ARRAY:
            copy.via.array.ptr = allocateObjects(o.via.array.size, zone);
            for (std::uint32_t i = 0; i < o.via.array.size; ++i)
                copy.via.array.ptr[i] = copyObject(o.via.array.ptr[i], zone);
            break;
        case msgpack::type::MAP:
            copy.via.map.ptr =
                o.via.map.size == 0
                    ? nullptr
                    : static_cast<msgpack::object_kv*>(zone.allocate_align(sizeof(msgpack::object_kv) * o.via.map.size,
                                                                           MSGPACK_ZONE_ALIGNOF(msgpack::object_kv)));
            for (std::uint32_t i = 0; i < o.via.map.size; ++i) {
                copy.via.map.ptr[i].key = copyObject(o.via.map.ptr[i].key, zone);
                copy.via.map.ptr[i].val = copyObject(o.via.map.ptr[i].val, zone);
            }
            break;
        default:
            break;
    }
    return copy;
}

void QVPackMap::read(const msgpack::object& o, std::uint32_t& out) {
    if (o.type != msgpack::type::POSITIVE_INTEGER || o.via.u64 > std::numeric_limits<std::uint32_t>::max())
        throw msgpack::type_error();
    out = static_cast<std::uint32_t>(o.via.u64);
}

void QVPackMap::read(const msgpack::object& o, std::int32_t& out) {
    if (o.type == msgpack::type::POSITIVE_INTEGER && o.via.u64 <= static_cast<std::uint64_t>(INT32_MAX)) {
        out = static_cast<std::int32_t>(o.via.u64);
    } else if (o.type == msgpack::type::NEGATIVE_INTEGER && o.via.i64 >= INT32_MIN) {
        out = static_cast<std::int32_t>(o.via.i64);
    } else {
        throw msgpack::type_error();
    }
}

void QVPackMap::read(const msgpack::object& o, float& out) {
    switch (o.type) {
        case msgpack::type::FLOAT32:
        case msgpack::type::FLOAT64:
            out = static_cast<float>(o.via.f64);
            break;
        case msgpack::type::POSITIVE_INTEGER:
            out = static_cast<float>(o.via.u64);
            break;
        case msgpack::type::NEGATIVE_INTEGER:
            out = static_cast<float>(o.via.i64);
            break;
        default:
            throw msgpack::type_error();
    }
}

void QVPackMap::read(const msgpack::object& o, bool& out) {
    if (o.type != msgpack::type::BOOLEAN) throw msgpack::type_error();
    out = o.via.boolean;
}

void QVPackMap::read(const msgpack::object& o, std::string& out) {
    if (o.type == msgpack::type::STR)
        out.assign(o.via.str.ptr, o.via.str.size);
    else if (o.type == msgpack::type::BIN)
        out.assign(o.via.bin.ptr, o.via.bin.size);
    else
        throw msgpack::type_error();
}

void QVPackMap::read(const msgpack::object& o, cocos2d::CCPoint& out) {
    const msgpack::object* items = arrayOf(o, 2).via.array.ptr;
    float x, y;
    read(items[0], x);
    read(items[1], y);
    out = cocos2d::CCPoint(x, y);
}

void QVPackMap::read(const msgpack::object& o, cocos2d::CCSize& out) {
    const msgpack::object* items = arrayOf(o, 2).via.array.ptr;
    float w, h;
    read(items[0], w);
    read(items[1], h);
    out = cocos2d::CCSize(w, h);
}

void QVPackMap::read(const msgpack::object& o, cocos2d::CCRect& out) {
    const msgpack::object* items = arrayOf(o, 4).via.array.ptr;
    float v[4];
    for (int i = 0; i < 4; ++i) read(items[i], v[i]);
    out = cocos2d::CCRect(v[0], v[1], v[2], v[3]);
}

void QVPackMap::read(const msgpack::object& o, cocos2d::ccColor4F& out) {
    const msgpack::object* items = arrayOf(o, 4).via.array.ptr;
    float v[4];
    for (int i = 0; i < 4; ++i) read(items[i], v[i]);
    out = cocos2d::ccColor4F{v[0], v[1], v[2], v[3]};
}

void QVPackMap::read(const msgpack::object& o, std::vector<cocos2d::CCPoint>& out) {
    if (o.type != msgpack::type::ARRAY) throw msgpack::type_error();
    std::vector<cocos2d::CCPoint> points(o.via.array.size);
    for (std::uint32_t i = 0; i < o.via.array.size; ++i) read(o.via.array.ptr[i], points[i]);
    out = std::move(points);
}

void QVPackMap::read(const msgpack::object& o, std::vector<std::uint32_t>& out) {
    if (o.type != msgpack::type::ARRAY) throw msgpack::type_error();
    std::vector<std::uint32_t> ids(o.via.array.size);
    for (std::uint32_t i = 0; i < o.via.array.size; ++i) read(o.via.array.ptr[i], ids[i]);
    out = std::move(ids);
}

void QVPackMap::read(const msgpack::object& o, std::vector<msgpack::object>& out) {
    if (o.type != msgpack::type::ARRAY) throw msgpack::type_error();
    out.assign(o.via.array.ptr, o.via.array.ptr + o.via.array.size);
}

void QVPackMap::read(const msgpack::object& o, std::map<std::string, std::string>& out) {
    if (o.type != msgpack::type::MAP) throw msgpack::type_error();
    std::map<std::string, std::string> result;
    for (std::uint32_t i = 0; i < o.via.map.size; ++i) {
        std::string key, value;
        read(o.via.map.ptr[i].key, key);
        read(o.via.map.ptr[i].val, value);
        result.emplace(std::move(key), std::move(value));
    }
    out = std::move(result);
}

void QVPackMap::read(const msgpack::object& o, QVPackMap& out) {
    QVPackMap result;
    result.assign(o);
    out = std::move(result);
}

void QVPackMap::assign(const msgpack::object& o) {
    zone_ = nullptr;
    entries_.clear();
    index_.clear();
    if (o.type != msgpack::type::MAP) throw msgpack::type_error();
    try {
        entries_.reserve(o.via.map.size);
        for (std::uint32_t i = 0; i < o.via.map.size; ++i) {
            std::uint32_t number;
            read(o.via.map.ptr[i].key, number);
            insert(number, o.via.map.ptr[i].val);
        }
    } catch (...) {
        entries_.clear();
        index_.clear();
        throw;
    }
}
