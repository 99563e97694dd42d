// The key table: key names <-> the small integer keys that packs are written
// with, read from the scrambled text file Keys.pack.
//
// Guarantees: lookups never allocate; keyCode falls back to the four built-in
// numbers ("id" 42, "Class Name" 33, "value" 10, "User ID" 50) only while the
// table lacks the name and no other name holds the number; the reverse table is
// always rebuilt from the forward one as a whole. readKeysPack accepts any bytes.
// Refuses: keyCodeOrThrow and keyName do not guess; they throw.
// All of it is process-wide state for the main thread; nothing is locked.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

using QVKeyTableMap = std::unordered_map<std::string, std::int32_t>;
using QVReverseKeyTableMap = std::unordered_map<std::int32_t, std::string>;

// Size of the Keys.pack scrambling table.
constexpr std::size_t kKeysPackTableSize = 64;
using QVKeysPackTable = std::array<std::uint8_t, kKeysPackTableSize>;

// The stored constant shared with every tool that writes Keys.pack.
extern const QVKeysPackTable kKeysPackConstant;

// The process-wide maps (empty at start).
const QVKeyTableMap& keyTable();
const QVReverseKeyTableMap& reverseKeyTable();

// Number of a name: the table's, else a free built-in number, else -1
// (meaning the key cannot be present; readers skip it).
std::int32_t keyCode(const std::string& name);
// Number of a name from the table only; throws std::runtime_error
// "A key is not present" when the table lacks it.
std::int32_t keyCodeOrThrow(const std::string& name);
// Name under a number; throws std::out_of_range when the table lacks it.
const std::string& keyName(std::int64_t number);
// Name under a number, or nullptr when the table lacks it. For readers of
// numbers that come from data.
const std::string* findKeyName(std::int64_t number);

// Replaces the table with a copy of `table` (no copy when it is keyTable()
// itself) and rebuilds the reverse table.
void installKeyTable(const QVKeyTableMap& table);
// As above, taking the table over without a copy.
void installKeyTable(QVKeyTableMap&& table);

// Changes whenever installKeyTable runs (never 0), so that a cached keyCode
// can tell that it is stale.
std::uint32_t keyTableGeneration();

// A fixed key name whose keyCode is remembered until the table changes:
// readers look the same few names up once per object, and hashing the text
// every time was a large part of a load.
class QVKey {
public:
    explicit QVKey(const char* name) : m_name(name) {}
    const std::string& name() const { return m_name; }
    // keyCode(name()), recomputed only after installKeyTable.
    std::int32_t code() const {
        if (m_generation != keyTableGeneration()) {
            m_code = keyCode(m_name);
            m_generation = keyTableGeneration();
        }
        return m_code;
    }

private:
    std::string m_name;
    mutable std::int32_t m_code = -1;
    mutable std::uint32_t m_generation = 0;
};

// Seed of the scrambling generator for a User ID: the ID read as an unsigned
// 32-bit decimal (leading blanks, optional sign, digits), or the CRC-32 of its
// bytes when that fails or gives 0.
std::uint32_t keysPackSeed(const std::string& userId);
// The 64-byte scrambling table for a User ID.
QVKeysPackTable makeKeysPackTable(const std::string& userId);
// Unscrambles and parses Keys.pack: one name per LF-ended line, numbered from
// 0; empty lines are skipped without a number, a repeated name keeps its first
// number but uses one up. Never throws on content; null or 0 bytes give {}.
QVKeyTableMap readKeysPack(const unsigned char* bytes, std::size_t length, const std::string& userId);
// As above into `out`, stopping with false as soon as the file numbers more
// than `maxNames` names.
bool readKeysPack(const unsigned char* bytes, std::size_t length, const std::string& userId, std::size_t maxNames,
                  QVKeyTableMap& out);
// The exact inverse for tools: each name followed by one LF, then scrambled.
std::vector<unsigned char> writeKeysPack(const std::vector<std::string>& names, const std::string& userId);

// Key-collecting mode: while on, QVPackMap::put records names and writes nothing.
bool isCollectingKeys();
void setCollectingKeys(bool on);
// The names recorded by collectKeys and by put in collecting mode (only grows,
// unless a tool clears it).
std::set<std::string>& collectedKeys();
