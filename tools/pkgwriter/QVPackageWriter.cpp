#include "QVPackageWriter.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

#include "model/core/ZipAes.h"
#include "model/core/ZipCrypto.h"

namespace {

constexpr uint16_t kDosTime = 0x6C2A;  // 13:33:20
constexpr uint16_t kDosDate = 0x5A86;  // 2025-04-06

void put16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void put32(std::vector<unsigned char>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::vector<unsigned char> rawDeflate(const std::vector<unsigned char>& data) {
    z_stream s{};
    if (deflateInit2(&s, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::vector<unsigned char> out(deflateBound(&s, data.size()) + 16);
    s.next_in = const_cast<unsigned char*>(data.data());
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    int status = deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    if (status != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}


}  // namespace

uint32_t QVPackageWriter::nextRandom() {
    m_seed = m_seed * 1664525u + 1013904223u;
    return m_seed >> 8;
}

void QVPackageWriter::add(const QVPackageEntry& entry, const std::string& password) {
    Written w;
    w.name = entry.name;
    w.flag = 0;
    w.method = 0;
    w.uncompressedSize = static_cast<uint32_t>(entry.data.size());
    w.crc = static_cast<uint32_t>(crc32_z(crc32(0L, Z_NULL, 0), entry.data.data(), entry.data.size()));
    std::vector<unsigned char> payload;
    switch (entry.kind) {
        case QVPackageEntry::Kind::Stored:
            payload = entry.data;
            break;
        case QVPackageEntry::Kind::Deflated:
            w.method = 8;
            payload = rawDeflate(entry.data);
            break;
        case QVPackageEntry::Kind::Traditional: {
            w.method = 8;
            w.flag = 1;
            if (entry.dataDescriptor) w.flag |= 8;
            std::vector<unsigned char> plain = rawDeflate(entry.data);
            zipcrypto::TraditionalKeys keys(password);
            unsigned char header[12];
            for (int i = 0; i < 11; ++i) header[i] = static_cast<unsigned char>(nextRandom());
            header[11] = entry.dataDescriptor ? static_cast<unsigned char>(kDosTime >> 8)
                                              : static_cast<unsigned char>(w.crc >> 24);
            for (unsigned char b : header) payload.push_back(keys.encrypt(b));
            for (unsigned char b : plain) payload.push_back(keys.encrypt(b));
            break;
        }
        case QVPackageEntry::Kind::Aes: {
            w.method = 99;
            w.flag = 1;
            zipaes::AesExtra aes;
            aes.version = entry.aesVersion;
            aes.strength = entry.aesStrength;
            aes.innerMethod = entry.aesDeflate ? 8 : 0;
            std::vector<unsigned char> inner = entry.aesDeflate ? rawDeflate(entry.data) : entry.data;
            std::vector<unsigned char> salt(aes.saltLength());
            for (auto& b : salt) b = static_cast<unsigned char>(nextRandom());
            if (!zipaes::encrypt(aes, password, salt.data(), inner.data(), inner.size(), payload))
                throw std::runtime_error("AES encryption failed");
            if (aes.version == 2) w.crc = 0;
            put16(w.extra, 0x9901);
            put16(w.extra, 7);
            put16(w.extra, static_cast<uint32_t>(aes.version));
            w.extra.push_back('A');
            w.extra.push_back('E');
            w.extra.push_back(static_cast<unsigned char>(aes.strength));
            put16(w.extra, static_cast<uint32_t>(aes.innerMethod));
            break;
        }
    }
    w.compressedSize = static_cast<uint32_t>(payload.size());
    w.offset = static_cast<uint32_t>(m_body.size());
    put32(m_body, 0x04034b50u);
    put16(m_body, 51);  // version needed: 5.1 covers AES
    put16(m_body, w.flag);
    put16(m_body, w.method);
    put16(m_body, kDosTime);
    put16(m_body, kDosDate);
    put32(m_body, w.crc);
    put32(m_body, w.compressedSize);
    put32(m_body, w.uncompressedSize);
    put16(m_body, static_cast<uint32_t>(w.name.size()));
    put16(m_body, static_cast<uint32_t>(w.extra.size()));
    m_body.insert(m_body.end(), w.name.begin(), w.name.end());
    m_body.insert(m_body.end(), w.extra.begin(), w.extra.end());
    m_body.insert(m_body.end(), payload.begin(), payload.end());
    m_entries.push_back(std::move(w));
}

std::vector<unsigned char> QVPackageWriter::finish() const {
    std::vector<unsigned char> out = m_body;
    const uint32_t centralStart = static_cast<uint32_t>(out.size());
    for (const Written& w : m_entries) {
        put32(out, 0x02014b50u);
        put16(out, 0x033F);  // made by Unix, 6.3
        put16(out, 51);
        put16(out, w.flag);
        put16(out, w.method);
        put16(out, kDosTime);
        put16(out, kDosDate);
        put32(out, w.crc);
        put32(out, w.compressedSize);
        put32(out, w.uncompressedSize);
        put16(out, static_cast<uint32_t>(w.name.size()));
        put16(out, static_cast<uint32_t>(w.extra.size()));
        put16(out, 0);  // comment
        put16(out, 0);  // disk
        put16(out, 0);  // internal attributes
        put32(out, 0);  // external attributes
        put32(out, w.offset);
        out.insert(out.end(), w.name.begin(), w.name.end());
        out.insert(out.end(), w.extra.begin(), w.extra.end());
    }
    const uint32_t centralSize = static_cast<uint32_t>(out.size()) - centralStart;
    put32(out, 0x06054b50u);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<uint32_t>(m_entries.size()));
    put16(out, static_cast<uint32_t>(m_entries.size()));
    put32(out, centralSize);
    put32(out, centralStart);
    put16(out, 0);
    return out;
}

bool QVPackageWriter::writeTo(const std::string& path) const {
    std::vector<unsigned char> bytes = finish();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
