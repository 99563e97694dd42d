// Byte-level surgery on finished zip packages, so tests can make packages
// that are wrong in exactly one controlled way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zipbytes {

using Bytes = std::vector<unsigned char>;

inline uint32_t get16(const Bytes& b, size_t p) { return b.at(p) | (b.at(p + 1) << 8); }
inline uint32_t get32(const Bytes& b, size_t p) { return get16(b, p) | (get16(b, p + 2) << 16); }
inline void put16(Bytes& b, size_t p, uint32_t v) {
    b.at(p) = static_cast<unsigned char>(v);
    b.at(p + 1) = static_cast<unsigned char>(v >> 8);
}
inline void put32(Bytes& b, size_t p, uint32_t v) {
    put16(b, p, v & 0xFFFF);
    put16(b, p + 2, v >> 16);
}

// Where one entry's headers and data sit.
struct Entry {
    std::string name;
    size_t central = 0, local = 0, data = 0;
    size_t centralExtra = 0, centralExtraLength = 0;
    size_t localExtra = 0, localExtraLength = 0;
    uint32_t compressedSize = 0;
};

inline std::vector<Entry> entries(const Bytes& b) {
    size_t eocd = b.size() >= 22 ? b.size() - 22 : 0;
    while (eocd > 0 && get32(b, eocd) != 0x06054b50u) --eocd;
    if (get32(b, eocd) != 0x06054b50u) throw std::runtime_error("no end of central directory");
    std::vector<Entry> out;
    size_t p = get32(b, eocd + 16);
    for (uint32_t i = 0, n = get16(b, eocd + 10); i < n; ++i) {
        if (get32(b, p) != 0x02014b50u) throw std::runtime_error("bad central header");
        Entry e;
        e.central = p;
        size_t nameLength = get16(b, p + 28);
        e.centralExtraLength = get16(b, p + 30);
        e.name.assign(b.begin() + static_cast<long>(p + 46), b.begin() + static_cast<long>(p + 46 + nameLength));
        e.centralExtra = p + 46 + nameLength;
        e.compressedSize = get32(b, p + 20);
        e.local = get32(b, p + 42);
        e.localExtra = e.local + 30 + get16(b, e.local + 26);
        e.localExtraLength = get16(b, e.local + 28);
        e.data = e.localExtra + e.localExtraLength;
        out.push_back(e);
        p = e.centralExtra + e.centralExtraLength + get16(b, p + 32);
    }
    return out;
}

inline Entry entry(const Bytes& b, const std::string& name) {
    for (const Entry& e : entries(b))
        if (e.name == name) return e;
    throw std::runtime_error("no entry " + name);
}

// Each setter writes the central and the local header alike, so minizip's
// own coherency check between the two does not mask the reader's checks.
inline void setMethod(Bytes& b, const std::string& name, uint32_t method) {
    Entry e = entry(b, name);
    put16(b, e.central + 10, method);
    put16(b, e.local + 8, method);
}
inline void setFlagBits(Bytes& b, const std::string& name, uint32_t bits) {
    Entry e = entry(b, name);
    put16(b, e.central + 8, get16(b, e.central + 8) | bits);
    put16(b, e.local + 6, get16(b, e.local + 6) | bits);
}
inline void setCrc(Bytes& b, const std::string& name, uint32_t crc) {
    Entry e = entry(b, name);
    put32(b, e.central + 16, crc);
    put32(b, e.local + 14, crc);
}
inline void setUncompressedSize(Bytes& b, const std::string& name, uint32_t size) {
    Entry e = entry(b, name);
    put32(b, e.central + 24, size);
    // A data-descriptor entry leaves the local sizes 0; keep it that way.
    if (get32(b, e.local + 22) != 0) put32(b, e.local + 22, size);
}

// Offset of the data of the 0x9901 field in an extra block, or 0.
inline size_t aesField(const Bytes& b, size_t extra, size_t length) {
    for (size_t p = extra; p + 4 <= extra + length; p += 4 + get16(b, p + 2))
        if (get16(b, p) == 0x9901) return p + 4;
    return 0;
}
// Byte `offset` of the 7-byte AES field (0: version, 4: strength, 5: inner
// method), in both headers.
inline void setAesFieldByte(Bytes& b, const std::string& name, size_t offset, unsigned char value) {
    Entry e = entry(b, name);
    size_t c = aesField(b, e.centralExtra, e.centralExtraLength);
    size_t l = aesField(b, e.localExtra, e.localExtraLength);
    if (!c || !l) throw std::runtime_error("no AES field in " + name);
    b.at(c + offset) = value;
    b.at(l + offset) = value;
}

// The other WinZip vendor version of an AES entry: the version switched in
// both extra fields and the CRC set (AE-1) or zeroed (AE-2) in both headers.
inline void setAesVersion(Bytes& b, const std::string& name, int version, uint32_t plainCrc) {
    setAesFieldByte(b, name, 0, static_cast<unsigned char>(version));
    setCrc(b, name, version == 1 ? plainCrc : 0);
}

}  // namespace zipbytes
