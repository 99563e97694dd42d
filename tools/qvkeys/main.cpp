// qvkeys --user-id ID FILE
// Unscrambles a Keys.pack and prints one line "<number> <name>" per distinct
// key, in ascending number. Name bytes outside 0x20-0x7E print as \xNN and a
// backslash as \\, so every name fits on one line. Exit 1 on a bad argument
// or an unreadable file.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "model/core/QVKeyTable.h"

#include "../common/ToolText.h"

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "qvkeys: %s\nusage: qvkeys --user-id ID FILE\n", message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const char* userId = nullptr;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--user-id") == 0) {
            if (i + 1 >= argc) return usage("--user-id needs a value");
            userId = argv[++i];
        } else if (std::strncmp(argv[i], "--user-id=", 10) == 0) {
            userId = argv[i] + 10;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return usage((std::string("unknown option ") + argv[i]).c_str());
        } else if (path) {
            return usage("more than one FILE");
        } else {
            path = argv[i];
        }
    }
    if (!userId) return usage("--user-id is required");
    if (!path) return usage("FILE is required");

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qvkeys: cannot read %s\n", path);
        return 1;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "qvkeys: error while reading %s\n", path);
        return 1;
    }

    const QVKeyTableMap table = readKeysPack(bytes.data(), bytes.size(), userId);
    std::vector<std::pair<std::int32_t, std::string>> keys(table.size());
    std::transform(table.begin(), table.end(), keys.begin(),
                   [](const auto& e) { return std::make_pair(e.second, e.first); });
    std::sort(keys.begin(), keys.end());
    for (const auto& key : keys)
        std::printf("%d %s\n", key.first, tooltext::escaped(key.second.data(), key.second.size(), false).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}
