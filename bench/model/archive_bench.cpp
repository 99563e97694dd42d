// Package reading against the raw libraries doing the same work, in the same
// run; read the "ratio" counters, not the times.
//
// BM_ArchiveInfozipRatio: walk and read every entry of large-infozip
// (traditional encryption). Debian's minizip is built without decryption, so
// the baseline is minizip's raw read of each entry, the traditional cipher in
// a plain loop, zlib's inflate into a vector sized from the header and the
// CRC check: what a decrypting minizip does.
// BM_ArchiveAes256Ratio: the same over large-aes256 against raw OpenSSL per
// entry (PBKDF2-HMAC-SHA1 with 1000 iterations, the verifier, HMAC-SHA1 over
// the data, AES in WinZip's counter mode) and inflate, from entry offsets
// found before the timing (minizip refuses method 99 even raw).
// BM_ArchiveEntrySize: one deflated entry of 1, 4 and 16 MiB, written at start
// with minizip's zip writer, against minizip's own read loop; the complexity
// fit must report O(N).
#include <benchmark/benchmark.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
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
#include "model/core/ZipAes.h"

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
        if (crc32_z(crc32(0L, Z_NULL, 0), out.data(), out.size()) != info.crc) {
            total = 0;
            break;
        }
        total += out.size();
    }
    unzClose(zip);
    return total;
}

// What the raw AES reading needs of each entry, found once outside the timing.
struct AesEntry {
    long offset = 0;
    std::size_t size = 0, declared = 0;
    zipaes::AesExtra aes;
    uLong crc = 0;
};

std::vector<AesEntry> aesEntries(const std::string& path) {
    std::vector<AesEntry> entries;
    unzFile zip = unzOpen64(path.c_str());
    FILE* f = std::fopen(path.c_str(), "rb");
    for (int r = unzGoToFirstFile(zip); f && r == UNZ_OK; r = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        unsigned char extra[256];
        unzGetCurrentFileInfo64(zip, &info, nullptr, 0, extra, sizeof extra, nullptr, 0);
        AesEntry e;
        if (!zipaes::parseAesExtra(extra, std::min<std::size_t>(info.size_file_extra, sizeof extra), e.aes)) continue;
        unsigned char central[46], local[30];
        std::fseek(f, static_cast<long>(unzGetOffset64(zip)), SEEK_SET);
        if (std::fread(central, 1, 46, f) != 46) break;
        long localPos = central[42] | (central[43] << 8) | (central[44] << 16) | (long(central[45]) << 24);
        std::fseek(f, localPos, SEEK_SET);
        if (std::fread(local, 1, 30, f) != 30) break;
        e.offset = localPos + 30 + (local[26] | (local[27] << 8)) + (local[28] | (local[29] << 8));
        e.size = static_cast<std::size_t>(info.compressed_size);
        e.declared = static_cast<std::size_t>(info.uncompressed_size);
        e.crc = info.crc;
        entries.push_back(e);
    }
    if (f) std::fclose(f);
    unzClose(zip);
    return entries;
}

std::size_t readAllRawAes(const std::string& path, const std::vector<AesEntry>& entries) {
    FILE* f = std::fopen(path.c_str(), "rb");
    std::size_t total = 0;
    EVP_CIPHER_CTX* cipher = EVP_CIPHER_CTX_new();
    // The total, or 0 when an entry does not check out.
    auto readEntry = [&](const AesEntry& e) -> std::size_t {
        Bytes raw(e.size);
        std::fseek(f, e.offset, SEEK_SET);
        const std::size_t salt = e.aes.saltLength(), key = e.aes.keyLength();
        if (std::fread(raw.data(), 1, raw.size(), f) != raw.size() || raw.size() < salt + 12) return 0;
        unsigned char keys[2 * 32 + 2];
        PKCS5_PBKDF2_HMAC_SHA1(password().data(), static_cast<int>(password().size()), raw.data(),
                               static_cast<int>(salt), 1000, static_cast<int>(2 * key + 2), keys);
        if (std::memcmp(keys + 2 * key, raw.data() + salt, 2) != 0) return 0;
        unsigned char* data = raw.data() + salt + 2;
        const std::size_t n = raw.size() - salt - 12;
        unsigned char code[EVP_MAX_MD_SIZE];
        unsigned int codeLength = 0;
        HMAC(EVP_sha1(), keys + key, static_cast<int>(key), data, n, code, &codeLength);
        if (std::memcmp(code, data + n, 10) != 0) return 0;
        // WinZip's counter is little-endian, so CTR is done by hand over ECB.
        EVP_EncryptInit_ex(cipher, key == 16 ? EVP_aes_128_ecb() : key == 24 ? EVP_aes_192_ecb() : EVP_aes_256_ecb(),
                           nullptr, keys, nullptr);
        EVP_CIPHER_CTX_set_padding(cipher, 0);
        Bytes counters((n + 15) / 16 * 16), stream(counters.size());
        for (uint64_t b = 0; b < counters.size() / 16; ++b)
            for (int i = 0; i < 8; ++i) counters[b * 16 + i] = static_cast<unsigned char>((b + 1) >> (8 * i));
        int produced = 0;
        EVP_EncryptUpdate(cipher, stream.data(), &produced, counters.data(), static_cast<int>(counters.size()));
        Bytes payload(n);
        for (std::size_t i = 0; i < n; ++i) payload[i] = data[i] ^ stream[i];
        Bytes out = e.aes.innerMethod == 8 ? inflateRaw(payload, e.declared) : payload;
        if (e.aes.version == 1 && crc32_z(crc32(0L, Z_NULL, 0), out.data(), out.size()) != e.crc) return 0;
        return out.size();
    };
    for (const AesEntry& e : entries) {
        const std::size_t n = readEntry(e);
        if (n == 0 && e.declared > 0) {
            total = 0;
            break;
        }
        total += n;
    }
    EVP_CIPHER_CTX_free(cipher);
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
    if (readAllRawTraditional(path) != readAllOurs(path)) {
        state.SkipWithError("the raw reading does not match ours");
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
    const auto entries = aesEntries(path);
    if (readAllRawAes(path, entries) != readAllOurs(path)) {
        state.SkipWithError("the raw OpenSSL reading does not match ours");
        return;
    }
    compare(state, [&] { return readAllOurs(path); }, [&] { return readAllRawAes(path, entries); });
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
