// Fuzzes the data package reader: the input is written to a memory file, then
// walked and every entry read with the stored password, as the loader does.
// Any failure must be an exception with one of the reader's texts.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "model/core/QVArchiveReader.h"
#include "model/core/QVDataFormat.h"

namespace {
// Low enough that a deflate bomb stays within the fuzzer's memory limit.
constexpr std::size_t kEntryCap = std::size_t(1) << 20;
// A walk over more entries than this only repeats work already covered.
constexpr int kMaxEntries = 256;

struct MemoryFile {
    MemoryFile() : fd(memfd_create("archive", MFD_CLOEXEC)) {}
    ~MemoryFile() {
        if (fd >= 0) ::close(fd);
    }
    bool write(const std::uint8_t* data, std::size_t size) const {
        while (size > 0) {
            ssize_t n = ::write(fd, data, size);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd); }
    int fd;
};

// Runs one step of the walk: it may fail only with one of the reader's texts.
template <class Step>
void guarded(Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        if (std::string(e.what()).rfind("Unable to", 0) != 0) std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string password = decodeArchivePassword(qvformat::kStoredArchivePassword);
    MemoryFile file;
    if (file.fd < 0 || !file.write(data, size)) return 0;
    guarded([&] {
        QVArchiveReader reader(file.path(), kEntryCap);
        std::vector<unsigned char> out;
        guarded([&] {
            if (reader.readFile("Keys.pack", out, password) && out.size() > kEntryCap) std::abort();
        });
        int entries = 0;
        guarded([&] {
            for (std::string name = reader.firstFile(password); !name.empty() && entries < kMaxEntries;
                 name = reader.nextFile(password), ++entries) {
                // The walk just found it: reading it may fail, never miss it.
                guarded([&] {
                    if (!reader.readFile(name, out, password) || out.size() > kEntryCap) std::abort();
                });
            }
        });
    });
    return 0;
}
