// Replays fuzz corpora without libFuzzer: every file named on the command line
// (or found in a named directory) is fed once to LLVMFuzzerTestOneInput.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {
bool runFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) std::fprintf(stderr, "replay: cannot read %s\n", p.c_str());
    // Its own allocation of the exact size, so ASan sees reads past the end.
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in) LLVMFuzzerTestOneInput(bytes.empty() ? nullptr : bytes.data(), bytes.size());
    return static_cast<bool>(in);
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (!fs::is_directory(argv[i], ec)) files.emplace_back(argv[i]);
        for (fs::directory_iterator it(argv[i], ec), end; !ec && it != end; ++it)
            if (it->is_regular_file()) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    bool ok = !files.empty();
    for (const fs::path& p : files) ok = runFile(p) && ok;
    std::printf("replayed %zu inputs\n", files.size());
    if (files.empty()) std::fprintf(stderr, "replay: no corpus inputs found\n");
    return ok ? 0 : 1;
}
