// The traditional PKWARE zip cipher: the reader checks and decrypts with it
// (Debian's minizip is built without decryption), the package writer encrypts.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

namespace zipcrypto {

class TraditionalKeys {
public:
    explicit TraditionalKeys(const std::string& password) {
        for (char c : password) update(static_cast<unsigned char>(c));
    }
    unsigned char decrypt(unsigned char c) {
        unsigned char p = c ^ streamByte();
        update(p);
        return p;
    }
    unsigned char encrypt(unsigned char p) {
        unsigned char c = p ^ streamByte();
        update(p);
        return c;
    }

private:
    uint32_t crcByte(uint32_t crc, unsigned char c) const { return m_table[(crc ^ c) & 0xFF] ^ (crc >> 8); }
    void update(unsigned char c) {
        m_k0 = crcByte(m_k0, c);
        m_k1 = (m_k1 + (m_k0 & 0xFF)) * 134775813u + 1;
        m_k2 = crcByte(m_k2, static_cast<unsigned char>(m_k1 >> 24));
    }
    unsigned char streamByte() const {
        uint32_t t = (m_k2 & 0xFFFF) | 2;
        return static_cast<unsigned char>(((t * (t ^ 1)) >> 8) & 0xFF);
    }

    uint32_t m_k0 = 0x12345678u, m_k1 = 0x23456789u, m_k2 = 0x34567890u;
    const z_crc_t* m_table = get_crc_table();
};

}  // namespace zipcrypto
