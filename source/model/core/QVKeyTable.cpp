#include "model/core/QVKeyTable.h"

#include <random>
#include <stdexcept>

#include <zlib.h>

const QVKeysPackTable kKeysPackConstant = {
    0x23, 0x8A, 0xA2, 0xB2, 0xC6, 0x7D, 0x0B, 0xE8, 0x9D, 0x1E, 0xEE, 0xFF, 0xA4, 0x4D, 0xCE, 0x9E,
    0xCB, 0x68, 0x68, 0x54, 0x26, 0x89, 0x45, 0xC6, 0xB4, 0x00, 0xF6, 0x0B, 0x75, 0x5E, 0x88, 0x64,
    0x96, 0x25, 0x64, 0xF4, 0x22, 0x2E, 0x3C, 0xDB, 0x35, 0x98, 0xF1, 0xCD, 0xE2, 0xC2, 0x58, 0x09,
    0x0F, 0x4D, 0x0D, 0x1B, 0x8D, 0x66, 0x3D, 0xF2, 0xA6, 0xEF, 0x33, 0xB6, 0x3A, 0x1C, 0x48, 0x1A,
};

namespace {

QVKeyTableMap& forwardTable() {
    static QVKeyTableMap table;
    return table;
}

QVReverseKeyTableMap& reverseTable() {
    static QVReverseKeyTableMap table;
    return table;
}

std::uint32_t& generation() {
    static std::uint32_t value = 1;
    return value;
}

bool& collecting() {
    static bool on = false;
    return on;
}

struct BuiltInKey {
    const char* name;
    std::int32_t number;
};

// Numbers that the first read of the general settings needs before any
// Keys.pack has been read.
constexpr BuiltInKey kBuiltInKeys[] = {
    {"id", 42},
    {"Class Name", 33},
    {"value", 10},
    {"User ID", 50},
};

bool isCBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The User ID as `istream >> uint32_t` reads it in libstdc++; false on failure.
bool parseUnsigned32(const std::string& text, std::uint32_t& out) {
    std::size_t i = 0;
    while (i < text.size() && isCBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t magnitude = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (magnitude > 0xFFFFFFFFull) return false;
    }
    if (digits == 0) return false;
    std::uint32_t value = static_cast<std::uint32_t>(magnitude);
    out = negative ? static_cast<std::uint32_t>(0u - value) : value;
    return true;
}

}  // namespace

const QVKeyTableMap& keyTable() { return forwardTable(); }
const QVReverseKeyTableMap& reverseKeyTable() { return reverseTable(); }

std::int32_t keyCode(const std::string& name) {
    const QVKeyTableMap& table = forwardTable();
    auto it = table.find(name);
    if (it != table.end()) return it->second;
    for (const BuiltInKey& key : kBuiltInKeys) {
        if (name == key.name) {
            // A table that gave the number to another name wins over the built-in.
            return reverseTable().count(key.number) ? -1 : key.number;
        }
    }
    return -1;
}

std::int32_t keyCodeOrThrow(const std::string& name) {
    const QVKeyTableMap& table = forwardTable();
    auto it = table.find(name);
    if (it == table.end()) throw std::runtime_error("A key is not present");
    return it->second;
}

const std::string& keyName(std::int64_t number) {
    const std::string* name = findKeyName(number);
    if (!name) throw std::out_of_range("keyName: no key under this number");
    return *name;
}

const std::string* findKeyName(std::int64_t number) {
    if (number < INT32_MIN || number > INT32_MAX) return nullptr;
    const QVReverseKeyTableMap& table = reverseTable();
    auto it = table.find(static_cast<std::int32_t>(number));
    return it == table.end() ? nullptr : &it->second;
}

namespace {
void rebuildReverseTable() {
    QVReverseKeyTableMap& reverse = reverseTable();
    reverse.clear();
    reverse.reserve(forwardTable().size());
    for (const auto& entry : forwardTable()) reverse[entry.second] = entry.first;
    // Skips 0, the "never looked up" value of the caches.
    if (++generation() == 0) generation() = 1;
}
}  // namespace

void installKeyTable(const QVKeyTableMap& table) {
    QVKeyTableMap& forward = forwardTable();
    if (&table != &forward) forward = table;
    rebuildReverseTable();
}

void installKeyTable(QVKeyTableMap&& table) {
    QVKeyTableMap& forward = forwardTable();
    if (&table != &forward) {
        // The old table goes before the reverse one is built: at most two
        // tables of all names exist at once.
        QVKeyTableMap old;
        old.swap(forward);
        forward.swap(table);
    }
    rebuildReverseTable();
}

std::uint32_t keyTableGeneration() { return generation(); }

std::uint32_t keysPackSeed(const std::string& userId) {
    std::uint32_t seed = 0;
    if (parseUnsigned32(userId, seed) && seed != 0) return seed;
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(userId.data()), static_cast<uInt>(userId.size())));
}

QVKeysPackTable makeKeysPackTable(const std::string& userId) {
    std::mt19937 generator(keysPackSeed(userId));
    QVKeysPackTable table{};
    for (std::size_t i = 0; i < kKeysPackTableSize; ++i)
        table[i] = static_cast<std::uint8_t>(kKeysPackConstant[i] ^ (generator() & 0xFFu));
    return table;
}

QVKeyTableMap readKeysPack(const unsigned char* bytes, std::size_t length, const std::string& userId) {
    QVKeyTableMap result;
    readKeysPack(bytes, length, userId, static_cast<std::size_t>(INT32_MAX), result);
    return result;
}

bool readKeysPack(const unsigned char* bytes, std::size_t length, const std::string& userId, std::size_t maxNames,
                  QVKeyTableMap& out) {
    out.clear();
    if (!bytes || length == 0) return true;
    const QVKeysPackTable table = makeKeysPackTable(userId);
    std::int32_t counter = 0;
    bool withinLimit = true;
    std::string line;
    auto finishLine = [&] {
        // Numbers are signed 32-bit; a file with more names keeps the first ones.
        if (line.empty() || counter == INT32_MAX) return;
        if (static_cast<std::size_t>(counter) >= maxNames) {
            withinLimit = false;
            return;
        }
        out.emplace(line, counter);  // a repeated name keeps its first number
        ++counter;
        line.clear();
    };
    for (std::size_t i = 0; i < length && withinLimit; ++i) {
        const char c = static_cast<char>(bytes[i] ^ table[i % kKeysPackTableSize]);
        if (c == '\n')
            finishLine();
        else
            line.push_back(c);
    }
    if (withinLimit) finishLine();
    if (!withinLimit) out.clear();
    return withinLimit;
}

std::vector<unsigned char> writeKeysPack(const std::vector<std::string>& names, const std::string& userId) {
    const QVKeysPackTable table = makeKeysPackTable(userId);
    std::vector<unsigned char> out;
    auto append = [&](unsigned char plain) {
        out.push_back(static_cast<unsigned char>(plain ^ table[out.size() % kKeysPackTableSize]));
    };
    for (const std::string& name : names) {
        for (char c : name) append(static_cast<unsigned char>(c));
        append('\n');
    }
    return out;
}

bool isCollectingKeys() { return collecting(); }
void setCollectingKeys(bool on) { collecting() = on; }

std::set<std::string>& collectedKeys() {
    static std::set<std::string> keys;
    return keys;
}
