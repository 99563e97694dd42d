// QVPackMap: one integer-keyed msgpack map of a pack, addressed by key name.
//
// Guarantees: entries keep stream order (writers: put order; readers: the
// order of the map read); a key number occurs once and a repeated key keeps its
// first value; lookups by number are O(1) on large maps. Writing maps own
// nothing: every written object lives in the zone given at construction, which
// nested maps share.
// Refuses: put on a map without zone ("Zone not set", std::logic_error, before
// any key lookup); put of a name the key table lacks ("A key is not present",
// std::runtime_error); any read of a wrongly shaped value (msgpack::type_error).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <msgpack.hpp>

#include "math/CCGeometry.h"
#include "math/ccTypes.h"
#include "model/core/QVKeyTable.h"

class QVPackMap {
public:
    using Entry = std::pair<std::uint32_t, msgpack::object>;

    // Maps up to this size are searched linearly; larger ones get an index.
    static constexpr std::size_t kLinearLookupLimit = 16;

    // A map for reading, without zone.
    QVPackMap() = default;
    // A map for writing on `zone` (nullptr gives a map without zone).
    explicit QVPackMap(msgpack::zone* zone) : zone_(zone) {}
    explicit QVPackMap(msgpack::zone& zone) : zone_(&zone) {}
    // A map for reading from a msgpack map object; values are kept as they
    // are (they point into the object's zone). Throws msgpack::type_error for
    // a non-map or a key that is not an unsigned 32-bit integer.
    explicit QVPackMap(const msgpack::object& object);

    bool hasZone() const { return zone_ != nullptr; }
    // Throws std::logic_error "Zone not set" when the map has none.
    msgpack::zone& zone() const;

    // The typed writers. Each throws "Zone not set" without a zone, records
    // the name and writes nothing in key-collecting mode, else stores the
    // value under keyCodeOrThrow(name) (which may throw "A key is not present").
    void put(const std::string& name, std::uint32_t value);
    void put(const std::string& name, std::int32_t value);
    void put(const std::string& name, float value);
    void put(const std::string& name, bool value);
    void put(const std::string& name, const char* value);
    void put(const std::string& name, const std::string& value);
    void put(const std::string& name, const std::map<std::string, std::string>& value);
    void put(const std::string& name, const std::vector<msgpack::object>& value);
    void put(const std::string& name, const std::vector<std::uint32_t>& value);
    void put(const std::string& name, const QVPackMap& value);
    void put(const std::string& name, const cocos2d::CCPoint& value);
    void put(const std::string& name, const std::vector<cocos2d::CCPoint>& value);
    void put(const std::string& name, const cocos2d::CCSize& value);
    void put(const std::string& name, const cocos2d::CCRect& value);
    void put(const std::string& name, const cocos2d::ccColor4F& value);
    void put(const std::string& name, float a, float b, float c, float d);

    // The entry under a key number, or nullptr.
    const msgpack::object* find(std::uint32_t number) const;
    // The entry under keyCode(name), or nullptr when the name has no number
    // (-1) or the map lacks it: the one place of the "skip" rule.
    const msgpack::object* find(const std::string& name) const;
    // As find(name), with the key number the key remembers.
    const msgpack::object* find(const QVKey& key) const { return findCode(key.code()); }
    // The entry under a keyCode result; -1 finds nothing.
    const msgpack::object* findCode(std::int32_t code) const {
        return code == -1 ? nullptr : find(static_cast<std::uint32_t>(code));
    }
    // Reads the entry of `name` into `target` and returns true; returns false
    // and leaves `target` unchanged when the entry is absent. Throws
    // msgpack::type_error for a wrongly typed entry, leaving `target` unchanged.
    template <typename T>
    bool get(const std::string& name, T& target) const {
        return getFrom(find(name), target);
    }
    template <typename T>
    bool get(const QVKey& key, T& target) const {
        return getFrom(find(key), target);
    }

    const std::vector<Entry>& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    // The map as one msgpack map object, deep-copied into `zone`.
    msgpack::object toObject(msgpack::zone& zone) const;
    // The map serialised in entry order, in the canonical form: every
    // integer and length in its smallest msgpack form, floats as float32.
    std::vector<unsigned char> toBytes() const;
    void appendTo(std::vector<unsigned char>& out) const;
    // The canonical bytes of any object. msgpack-c's own packer is not used
    // for this: it writes a float with an integral value as an integer.
    static void appendObject(const msgpack::object& o, std::vector<unsigned char>& out);
    static std::vector<unsigned char> encode(const msgpack::object& o);

    // Readers of the encodings. Each throws msgpack::type_error for any other
    // form and writes `out` only on success.
    static void read(const msgpack::object& o, std::uint32_t& out);       // positive integer <= 2^32-1
    static void read(const msgpack::object& o, std::int32_t& out);        // integer in range
    static void read(const msgpack::object& o, float& out);               // float32/64 or integer
    static void read(const msgpack::object& o, bool& out);                // boolean only
    static void read(const msgpack::object& o, std::string& out);         // str or bin
    static void read(const msgpack::object& o, cocos2d::CCPoint& out);    // exactly 2 numbers
    static void read(const msgpack::object& o, cocos2d::CCSize& out);     // exactly 2 numbers
    static void read(const msgpack::object& o, cocos2d::CCRect& out);     // exactly 4 numbers
    static void read(const msgpack::object& o, cocos2d::ccColor4F& out);  // exactly 4 numbers
    static void read(const msgpack::object& o, std::vector<cocos2d::CCPoint>& out);
    static void read(const msgpack::object& o, std::vector<std::uint32_t>& out);
    static void read(const msgpack::object& o, std::vector<msgpack::object>& out);  // array elements
    static void read(const msgpack::object& o, std::map<std::string, std::string>& out);
    static void read(const msgpack::object& o, QVPackMap& out);
    static void read(const msgpack::object& o, msgpack::object& out) { out = o; }
    // As read(o, *this), but keeps the storage this map already has, for a
    // reader that goes through many maps. On a throw the map is left empty.
    void assign(const msgpack::object& o);

    // A deep copy of `o` whose storage is owned by `zone`.
    static msgpack::object copyObject(const msgpack::object& o, msgpack::zone& zone);

private:
    template <typename T>
    static bool getFrom(const msgpack::object* object, T& target) {
        if (!object) return false;
        T value{};
        read(*object, value);
        target = std::move(value);
        return true;
    }
    // The common start of every put: throws without a zone, records the
    // name in collecting mode; true when the value is to be written.
    bool beginPut(const std::string& name, msgpack::zone*& zone);
    void insert(std::uint32_t number, const msgpack::object& value);
    void putObject(const std::string& name, const msgpack::object& value);

    msgpack::zone* zone_ = nullptr;
    std::vector<Entry> entries_;
    // Large maps only: open addressing over entry positions + 1 (0 is a free
    // slot), at most half full; its storage is kept when the map is reused.
    std::size_t indexHome(std::uint32_t number) const;
    void placeInIndex(std::size_t position);
    std::vector<std::uint32_t> index_;
    unsigned indexShift_ = 64;
};

// Lets msgpack-c convert to and embed a QVPackMap directly
// (object.as<QVPackMap>(), msgpack::object(map, zone)).
namespace msgpack {
MSGPACK_API_VERSION_NAMESPACE(MSGPACK_DEFAULT_API_NS) {
    namespace adaptor {
    template <>
    struct convert<QVPackMap> {
        const msgpack::object& operator()(const msgpack::object& o, QVPackMap& v) const {
            QVPackMap::read(o, v);
            return o;
        }
    };
    template <>
    struct object_with_zone<QVPackMap> {
        void operator()(msgpack::object::with_zone& o, const QVPackMap& v) const {
            static_cast<msgpack::object&>(o) = v.toObject(o.zone);
        }
    };
    }  // namespace adaptor
}  // MSGPACK_API_VERSION_NAMESPACE(MSGPACK_DEFAULT_API_NS)
}  // namespace msgpack
