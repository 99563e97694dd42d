// Writes zip packages the player reads: stored, deflated, traditionally
// encrypted and WinZip AES entries. Used by the sample-game tool and by tests,
// which also need packages that are wrong in controlled ways.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct QVPackageEntry {
    enum class Kind { Stored, Deflated, Traditional, Aes };
    std::string name;
    std::vector<unsigned char> data;
    Kind kind = Kind::Deflated;
    // WinZip AES settings.
    int aesVersion = 2;   // 1 or 2
    int aesStrength = 3;  // 1..3
    bool aesDeflate = true;
    // Traditional encryption: put the DOS time in the check byte and mark a
    // data descriptor, as Info-ZIP does when streaming.
    bool dataDescriptor = false;
};

class QVPackageWriter {
public:
    // `seed` makes salts and encryption headers reproducible.
    explicit QVPackageWriter(uint32_t seed = 1) : m_seed(seed) {}

    // Adds an entry; an entry whose name ends in "/" is a directory.
    void add(const QVPackageEntry& entry, const std::string& password = std::string());
    // The finished archive bytes.
    std::vector<unsigned char> finish() const;
    // Writes the archive to a file; false on an I/O error.
    bool writeTo(const std::string& path) const;

private:
    struct Written {
        std::string name;
        uint16_t flag, method;
        uint32_t crc, compressedSize, uncompressedSize, offset;
        std::vector<unsigned char> extra;
    };
    uint32_t nextRandom();
    uint32_t m_seed;
    std::vector<unsigned char> m_body;
    std::vector<Written> m_entries;
};
