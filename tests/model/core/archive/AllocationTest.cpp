// Counts every operator new of this binary while a read runs, so growth that
// copies the buffer per chunk (quadratic in the entry size) or a buffer sized
// from a lying header shows up without timing anything.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "../support/model_test_support.h"
#include "QVPackageWriter.h"
#include "ZipBytes.h"
#include "model/core/QVArchiveReader.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<std::size_t> g_allocated{0};

void* allocate(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) g_allocated.fetch_add(size, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

struct Counter {
    Counter() {
        g_allocated = 0;
        g_counting = true;
    }
    ~Counter() { g_counting = false; }
    std::size_t bytes() const { return g_allocated.load(); }
};
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using modeltest::Bytes;
using Kind = QVPackageEntry::Kind;
const std::string kPassword = "rzQKcR5azqXhHMh";
constexpr std::size_t kMiB = std::size_t(1) << 20;

using modeltest::TempDir;

std::string fileIn(const TempDir& dir, const Bytes& bytes, const std::string& name) {
    modeltest::writeFile(dir.path + "/" + name, bytes);
    return dir.path + "/" + name;
}

Bytes noise(std::size_t n) {
    Bytes b(n);
    uint32_t x = 12345;
    for (auto& c : b) {
        x = x * 1103515245u + 12345u;
        c = static_cast<unsigned char>(x >> 24);
    }
    return b;
}

}  // namespace

Bytes text(std::size_t n) {
    Bytes b(n);
    const char* words = "model pack attribute curve sprite screen object linker ";
    const std::size_t length = std::strlen(words);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(words[(i + i / 4099) % length]);
    return b;
}

TEST(ArchiveAllocation, SixteenMiBEntryAllocatesAtMostTwiceItsSize) {
    // Stored entries carry noise; deflated ones carry text that compresses as
    // packs do (incompressible data would make the compressed buffer alone a
    // little larger than the entry).
    const Bytes random = noise(16 * kMiB), compressible = text(16 * kMiB);
    QVPackageWriter w(8);
    auto add = [&](const std::string& name, Kind kind, bool aesDeflate = true) {
        QVPackageEntry e;
        e.name = name;
        const bool deflated = kind == Kind::Deflated || kind == Kind::Traditional || (kind == Kind::Aes && aesDeflate);
        e.data = deflated ? compressible : random;
        e.kind = kind;
        e.aesDeflate = aesDeflate;
        w.add(e, kind == Kind::Traditional || kind == Kind::Aes ? kPassword : std::string());
    };
    add("stored", Kind::Stored);
    add("deflated", Kind::Deflated);
    add("traditional", Kind::Traditional);
    add("aes-stored", Kind::Aes, false);
    add("aes-deflated", Kind::Aes, true);
    TempDir dir;
    QVArchiveReader reader(fileIn(dir, w.finish(), "big.pkg"));
    for (const char* name : {"stored", "deflated", "traditional", "aes-stored", "aes-deflated"}) {
        Bytes out;
        std::size_t total = 0;
        {
            Counter counter;
            ASSERT_TRUE(reader.readFile(name, out, kPassword)) << name;
            total = counter.bytes();
        }
        const Bytes& data = std::string(name).find("stored") != std::string::npos ? random : compressible;
        EXPECT_EQ(out.size(), data.size()) << name;
        EXPECT_TRUE(out == data) << name;
        EXPECT_LE(total, 2 * 16 * kMiB) << name;
    }
}

TEST(ArchiveAllocation, HeadersClaimingHugeSizesAllocateLittle) {
    QVPackageWriter w(9);
    for (Kind kind : {Kind::Stored, Kind::Traditional, Kind::Aes}) {
        QVPackageEntry e;
        e.name = "e" + std::to_string(static_cast<int>(kind));
        e.data = noise(1000);
        e.kind = kind;
        e.aesDeflate = false;
        w.add(e, kind == Kind::Stored ? std::string() : kPassword);
    }
    const Bytes bytes = w.finish();
    TempDir dir;
    for (const zipbytes::Entry& e : zipbytes::entries(bytes)) {
        // Declared and stored sizes of 200 MiB in a package of a few kilobytes.
        Bytes b = bytes;
        zipbytes::put32(b, e.central + 20, 200u << 20);
        zipbytes::put32(b, e.central + 24, 200u << 20);
        zipbytes::put32(b, e.local + 18, 200u << 20);
        zipbytes::put32(b, e.local + 22, 200u << 20);
        QVArchiveReader reader(fileIn(dir, b, e.name + ".pkg"));
        Bytes out;
        Counter counter;
        EXPECT_THROW(reader.readFile(e.name, out, kPassword), std::exception) << e.name;
        EXPECT_LT(counter.bytes(), kMiB) << e.name;
    }
}
