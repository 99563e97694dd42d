// Package reading against the raw libraries doing the same work, in the same
// run; read the "ratio" counters, not the times.
//
// BM_ArchiveInfozipRatio: walk and read every entry of large-infozip
// (traditional encryption). Debian's minizip is built without decryption, so
// the baseline is minizip's raw read of each entry, the traditional cipher in
// a plain loop and zlib's inflate into a vector sized from the header: what a
// decrypting minizip does.
// BM_ArchiveAes256Ratio: the same over large-aes256 against reading the raw
// entry bytes (minizip refuses method 99 even raw), so the ratio is the cost
// of key derivation, authentication and decryption over plain reading.
// BM_ArchiveEntrySize: one deflated entry of 1, 4 and 16 MiB, written at start
// with minizip's zip writer, against minizip's own read loop; the complexity
// fit must report O(N).
#include <benchmark/benchmark.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <zlib.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "model/core/QVArchiveReader.h"
#include "model/core/QVDataFormat.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;
constexpr unsigned kChunk = 16384;

std::string fixturePackage(const char* name) {
    return std::string(QV_ARCHIVE_BENCH_FIXTURES) + "/" + name + "/data/data.pkg";
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

const std::string& password() {
    static const std::string p = decodeArchivePassword(qvformat::kStoredArchivePassword);
    return p;
}

std::size_t readAllOurs(const std::string& path) {
    QVArchiveReader reader(path);
    std::size_t total = 0;
    Bytes out;
    for (std::string name = reader.firstFile(password()); !name.empty(); name = reader.nextFile(password())) {
        reader.readFile(name, out, password());
        total += out.size();
    }
    return total;
}

struct Traditional {
    uint32_t k0 = 0x12345678u, k1 = 0x23456789u, k2 = 0x34567890u;
    const z_crc_t* table = get_crc_table();
    void update(unsigned char c) {
        k0 = table[(k0 ^ c) & 0xFF] ^ (k0 >> 8);
        k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
        k2 = table[(k2 ^ (k1 >> 24)) & 0xFF] ^ (k2 >> 8);
    }
    unsigned char decrypt(unsigned char c) {
        uint32_t t = (k2 & 0xFFFF) | 2;
        unsigned char p = c ^ static_cast<unsigned char>((t * (t ^ 1)) >> 8);
        update(p);
        return p;
    }
};

Bytes inflateRaw(const Bytes& in, std::size_t declared) {
    Bytes out(declared);
    z_stream s{};
    inflateInit2(&s, -MAX_WBITS);
    s.next_in = const_cast<unsigned char*>(in.data());
    s.avail_in = static_cast<uInt>(in.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    inflate(&s, Z_FINISH);
    inflateEnd(&s);
    return out;
}

std::size_t readAllRawTraditional(const std::string& path) {
    unzFile zip = unzOpen64(path.c_str());
    std::size_t total = 0;
    unsigned char chunk[kChunk];
    for (int r = unzGoToFirstFile(zip); r == UNZ_OK; r = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0);
        int method = 0, level = 0;
        if (info.compressed_size == 0 || unzOpenCurrentFile2(zip, &method, &level, 1) != UNZ_OK) continue;
        Bytes raw;
        raw.reserve(static_cast<std::size_t>(info.compressed_size));
        for (int n; (n = unzReadCurrentFile(zip, chunk, kChunk)) > 0;) raw.insert(raw.end(), chunk, chunk + n);
        unzCloseCurrentFile(zip);
        Bytes payload = raw;
        if (info.flag & 1) {
            Traditional keys;
            for (char c : password()) keys.update(static_cast<unsigned char>(c));
            for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = keys.decrypt(raw[i]);
            payload.assign(raw.begin() + 12, raw.end());
        }
        Bytes out = method == Z_DEFLATED ? inflateRaw(payload, static_cast<std::size_t>(info.uncompressed_size)) : payload;
        total += out.size();
    }
    unzClose(zip);
    return total;
}

// Offsets and sizes of every entry's raw bytes, found once outside the timing.
std::vector<std::pair<long, std::size_t>> rawRanges(const std::string& path) {
    std::vector<std::pair<long, std::size_t>> ranges;
    unzFile zip = unzOpen64(path.c_str());
    FILE* f = std::fopen(path.c_str(), "rb");
    for (int r = unzGoToFirstFile(zip); f && r == UNZ_OK; r = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0);
        unsigned char central[46], local[30];
        std::fseek(f, static_cast<long>(unzGetOffset64(zip)), SEEK_SET);
        if (std::fread(central, 1, 46, f) != 46) break;
        long localPos = central[42] | (central[43] << 8) | (central[44] << 16) | (long(central[45]) << 24);
        std::fseek(f, localPos, SEEK_SET);
        if (std::fread(local, 1, 30, f) != 30) break;
        long data = localPos + 30 + (local[26] | (local[27] << 8)) + (local[28] | (local[29] << 8));
        ranges.emplace_back(data, static_cast<std::size_t>(info.compressed_size));
    }
    if (f) std::fclose(f);
    unzClose(zip);
    return ranges;
}

std::size_t readRawRanges(const std::string& path, const std::vector<std::pair<long, std::size_t>>& ranges) {
    FILE* f = std::fopen(path.c_str(), "rb");
    std::size_t total = 0;
    for (const auto& r : ranges) {
        Bytes raw(r.second);
        std::fseek(f, r.first, SEEK_SET);
        total += std::fread(raw.data(), 1, raw.size(), f);
    }
    std::fclose(f);
    return total;
}

template <typename Ours, typename Raw>
void compare(benchmark::State& state, Ours ours, Raw raw) {
    Clock::duration oursTime{}, rawTime{};
    std::size_t bytes = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        bytes = ours();
        const Clock::time_point middle = Clock::now();
        benchmark::DoNotOptimize(raw());
        const Clock::time_point end = Clock::now();
        oursTime += middle - start;
        rawTime += end - middle;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    if (rawTime.count() > 0) state.counters["ratio"] = double(oursTime.count()) / double(rawTime.count());
}

void BM_ArchiveInfozipRatio(benchmark::State& state) {
    const std::string path = fixturePackage("large-infozip");
    if (!exists(path)) {
        state.SkipWithError("build the load fixtures first (build/fixtures/load/large-infozip)");
        return;
    }
    compare(state, [&] { return readAllOurs(path); }, [&] { return readAllRawTraditional(path); });
}
BENCHMARK(BM_ArchiveInfozipRatio)->Unit(benchmark::kMillisecond);

void BM_ArchiveAes256Ratio(benchmark::State& state) {
    const std::string path = fixturePackage("large-aes256");
    if (!exists(path)) {
        state.SkipWithError("build the load fixtures first (build/fixtures/load/large-aes256)");
        return;
    }
    const auto ranges = rawRanges(path);
    compare(state, [&] { return readAllOurs(path); }, [&] { return readRawRanges(path, ranges); });
}
BENCHMARK(BM_ArchiveAes256Ratio)->Unit(benchmark::kMillisecond);

// One deflated entry of `mib` MiB, written once per size with minizip's writer.
const std::string& singleEntryPackage(int mib) {
    static std::map<int, std::string> packages;
    static std::string dir;
    auto it = packages.find(mib);
    if (it != packages.end()) return it->second;
    if (dir.empty()) {
        char tmpl[] = "/tmp/qvbench-archive-XXXXXX";
        dir = mkdtemp(tmpl) ? tmpl : "/tmp";
        std::atexit([] {
            for (const auto& p : packages) std::remove(p.second.c_str());
            ::rmdir(dir.c_str());
        });
    }
    const std::string path = dir + "/entry-" + std::to_string(mib) + ".pkg";
    Bytes data(static_cast<std::size_t>(mib) << 20);
    const char* words = "model pack attribute curve sprite screen object linker ";
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(words[(i + i / 4099) % 56]);
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    zip_fileinfo info{};
    zipOpenNewFileInZip64(zip, "entry", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 1);
    zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size()));
    zipCloseFileInZip(zip);
    zipClose(zip, nullptr);
    return packages[mib] = path;
}

std::size_t readEntryRaw(const std::string& path) {
    unzFile zip = unzOpen64(path.c_str());
    unzGoToFirstFile(zip);
    unz_file_info64 info;
    unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0);
    unzOpenCurrentFilePassword(zip, nullptr);
    Bytes out(static_cast<std::size_t>(info.uncompressed_size));
    std::size_t done = 0;
    for (int n; done < out.size() && (n = unzReadCurrentFile(zip, out.data() + done,
                                                             static_cast<unsigned>(std::min<std::size_t>(kChunk, out.size() - done)))) > 0;)
        done += static_cast<std::size_t>(n);
    unzCloseCurrentFile(zip);
    unzClose(zip);
    return done;
}

void BM_ArchiveEntrySize(benchmark::State& state) {
    const std::string& path = singleEntryPackage(static_cast<int>(state.range(0)));
    compare(state,
            [&] {
                QVArchiveReader reader(path);
                Bytes out;
                reader.readFile("entry", out, password());
                return out.size();
            },
            [&] { return readEntryRaw(path); });
    state.SetComplexityN(state.range(0) << 20);
}
BENCHMARK(BM_ArchiveEntrySize)->Arg(1)->Arg(4)->Arg(16)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace
