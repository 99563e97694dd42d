// QVPackStream: the bounded reader of a pack, a concatenation of msgpack
// objects that ends at the end of data or at the first nil.
//
// Guarantees: before msgpack-c builds an object (next with a handle), a walk
// of its headers that allocates nothing proves it complete (the zone reader
// checks the same bounds while it builds), with every array, map, str, bin and
// ext count within the bytes left and nesting at most kMaxPackDepth levels; so
// peak memory stays a small multiple of the input size, whatever counts a
// hostile file declares.
// Refuses: a violation or truncation raises a msgpack unpack error
// (msgpack::insufficient_bytes, msgpack::depth_size_overflow,
// msgpack::parse_error) from next(); the stream is then stuck at that object.
#pragma once

#include <cstddef>
#include <cstdint>

#include <msgpack.hpp>

// Deepest nesting a pack object may have (a model map holding an attribute map
// holding curve arrays needs about 8).
constexpr std::size_t kMaxPackDepth = 32;

class QVPackStream {
public:
    // The bytes are not copied and must outlive the stream.
    QVPackStream(const void* data, std::size_t length);

    // Reads the next object into `out` and returns true; returns false at the
    // end of data or at a nil object (see endedAtNil). Throws a msgpack unpack
    // error for an incomplete, oversized or too deep object.
    bool next(msgpack::object_handle& out);
    // As next(out), for a reader that goes through many objects: `zone` is
    // cleared and reused, so its memory is allocated once per pack rather
    // than once per object, and str, bin and ext payloads are not copied but
    // point into the stream's bytes. `out` is valid until the next call with
    // the same zone and while those bytes live. Checks and builds in one
    // pass with the same bounds (a count must fit in the bytes left together
    // with every element still owed), so the zone never holds more objects
    // than the input has bytes; on a throw `out` is unusable.
    bool next(msgpack::zone& zone, msgpack::object& out);

    // Offset of the object that next() returned last, or of the nil or the
    // failing object.
    std::size_t objectOffset() const { return objectOffset_; }
    // Offset after the last object read.
    std::size_t offset() const { return offset_; }
    std::size_t length() const { return length_; }
    bool endedAtNil() const { return endedAtNil_; }

    // Proves that a complete object of at most kMaxPackDepth levels, with each
    // count within the bytes left, starts at `offset`; returns its size.
    // Throws the msgpack unpack errors above. Allocates nothing.
    static std::size_t checkObject(const unsigned char* data, std::size_t length, std::size_t offset);

private:
    // Proves the object at offset_ and returns its size; false at the end.
    bool checkNext(std::size_t& size);

    const unsigned char* data_;
    std::size_t length_;
    std::size_t offset_ = 0;
    std::size_t objectOffset_ = 0;
    bool endedAtNil_ = false;
};
