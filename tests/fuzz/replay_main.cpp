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

namespace {
bool runFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", p.c_str());
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A copy in its own allocation, so ASan sees reads past the end.
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int files = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        fs::path arg(argv[i]);
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            std::vector<fs::path> entries;
            for (const auto& e : fs::directory_iterator(arg))
                if (e.is_regular_file()) entries.push_back(e.path());
            std::sort(entries.begin(), entries.end());
            for (const auto& e : entries) { ok = runFile(e) && ok; ++files; }
        } else {
            ok = runFile(arg) && ok;
            ++files;
        }
    }
    std::printf("replayed %d inputs\n", files);
    if (files == 0) {
        std::fprintf(stderr, "replay: no corpus inputs found\n");
        return 1;
    }
    return ok ? 0 : 1;
}
