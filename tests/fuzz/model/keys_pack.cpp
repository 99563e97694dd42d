// Fuzzes the Keys.pack reader: the input's first line is the User ID, the
// rest a Keys.pack. Every name read must map back and forth through the
// installed table: keyCode and findKeyName agree for each entry.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/core/QVKeyTable.h"

namespace {
// Longest User ID taken from the first line; the rest of a longer line is
// Keys.pack data. Real IDs are short numbers.
constexpr std::size_t kMaxUserIdBytes = 64;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t idLength = 0;
    while (idLength < size && idLength < kMaxUserIdBytes && data[idLength] != '\n') ++idLength;
    const std::string userId(reinterpret_cast<const char*>(data), idLength);
    const std::size_t rest = idLength < size && data[idLength] == '\n' ? idLength + 1 : idLength;

    const QVKeyTableMap table = readKeysPack(data + rest, size - rest, userId);
    installKeyTable(table);
    if (reverseKeyTable().size() != table.size()) std::abort();  // numbers are unique per name
    for (const auto& entry : table) {
        if (entry.first.empty() || entry.first.find('\n') != std::string::npos) std::abort();
        if (keyCode(entry.first) != entry.second) std::abort();
        if (keyCodeOrThrow(entry.first) != entry.second) std::abort();
        const std::string* name = findKeyName(entry.second);
        if (!name || *name != entry.first) std::abort();
    }
    // Writing the names back in number order gives a file that reads the
    // same; a number used up by a repeated name is filled with a repeat of the
    // name under 0, which always exists.
    std::int32_t last = -1;
    for (const auto& entry : table) last = std::max(last, entry.second);
    if (last >= 0 && last < (1 << 16)) {
        const std::string* first = findKeyName(0);
        if (!first) std::abort();
        std::vector<std::string> names(static_cast<std::size_t>(last) + 1, *first);
        for (const auto& entry : table) names[static_cast<std::size_t>(entry.second)] = entry.first;
        const std::vector<unsigned char> bytes = writeKeysPack(names, userId);
        if (readKeysPack(bytes.data(), bytes.size(), userId) != table) std::abort();
    }
    installKeyTable({});
    return 0;
}
