#include "model/core/ZipAes.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>

#include <cstring>
#include <memory>

namespace zipaes {

namespace {

constexpr std::size_t kVerifierLength = 2;
constexpr std::size_t kAuthLength = 10;
constexpr unsigned kIterations = 1000;

struct Keys {
    std::vector<unsigned char> aes, mac, verifier;
};

bool deriveKeys(const AesExtra& aes, const std::string& password, const unsigned char* salt, Keys& keys) {
    const std::size_t keyLength = aes.keyLength();
    std::vector<unsigned char> material(2 * keyLength + kVerifierLength);
    std::unique_ptr<EVP_KDF, decltype(&EVP_KDF_free)> kdf(EVP_KDF_fetch(nullptr, "PBKDF2", nullptr), EVP_KDF_free);
    if (!kdf) return false;
    std::unique_ptr<EVP_KDF_CTX, decltype(&EVP_KDF_CTX_free)> ctx(EVP_KDF_CTX_new(kdf.get()), EVP_KDF_CTX_free);
    if (!ctx) return false;
    unsigned iterations = kIterations;
    int noCheck = 1;  // the format's 8-byte salts are below SP 800-132's bounds
    char digest[] = "SHA1";
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_PASSWORD, const_cast<char*>(password.data()),
                                          password.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, const_cast<unsigned char*>(salt), aes.saltLength()),
        OSSL_PARAM_construct_uint(OSSL_KDF_PARAM_ITER, &iterations),
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_int(OSSL_KDF_PARAM_PKCS5, &noCheck),
        OSSL_PARAM_construct_end(),
    };
    if (EVP_KDF_derive(ctx.get(), material.data(), material.size(), params) != 1) return false;
    keys.aes.assign(material.begin(), material.begin() + static_cast<long>(keyLength));
    keys.mac.assign(material.begin() + static_cast<long>(keyLength), material.begin() + static_cast<long>(2 * keyLength));
    keys.verifier.assign(material.end() - kVerifierLength, material.end());
    return true;
}

bool hmacSha1(const std::vector<unsigned char>& key, const unsigned char* data, std::size_t length,
              unsigned char (&out)[20]) {
    std::unique_ptr<EVP_MAC, decltype(&EVP_MAC_free)> mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr), EVP_MAC_free);
    if (!mac) return false;
    std::unique_ptr<EVP_MAC_CTX, decltype(&EVP_MAC_CTX_free)> ctx(EVP_MAC_CTX_new(mac.get()), EVP_MAC_CTX_free);
    if (!ctx) return false;
    char digest[] = "SHA1";
    OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                           OSSL_PARAM_construct_end()};
    std::size_t outLength = 0;
    return EVP_MAC_init(ctx.get(), key.data(), key.size(), params) == 1 &&
           EVP_MAC_update(ctx.get(), data, length) == 1 && EVP_MAC_final(ctx.get(), out, &outLength, sizeof(out)) == 1 &&
           outLength == sizeof(out);
}

// WinZip's counter mode: a little-endian block counter starting at 1 in the
// first 8 bytes. OpenSSL's CTR counts big-endian, so the counter blocks are
// encrypted one by one in ECB mode.
bool applyKeystream(const std::vector<unsigned char>& key, const unsigned char* in, std::size_t length,
                    unsigned char* out) {
    const EVP_CIPHER* cipher = key.size() == 16 ? EVP_aes_128_ecb() : key.size() == 24 ? EVP_aes_192_ecb()
                                                                                         : EVP_aes_256_ecb();
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    if (!ctx || EVP_EncryptInit_ex(ctx.get(), cipher, nullptr, key.data(), nullptr) != 1) return false;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    constexpr std::size_t kBatch = 256;  // counter blocks encrypted per call
    unsigned char counters[kBatch * 16];
    unsigned char stream[kBatch * 16];
    uint64_t counter = 1;
    std::size_t done = 0;
    while (done < length) {
        std::size_t blocks = (length - done + 15) / 16;
        if (blocks > kBatch) blocks = kBatch;
        std::memset(counters, 0, blocks * 16);
        for (std::size_t b = 0; b < blocks; ++b, ++counter)
            for (int i = 0; i < 8; ++i) counters[b * 16 + i] = static_cast<unsigned char>(counter >> (8 * i));
        int produced = 0;
        if (EVP_EncryptUpdate(ctx.get(), stream, &produced, counters, static_cast<int>(blocks * 16)) != 1 ||
            produced != static_cast<int>(blocks * 16))
            return false;
        std::size_t n = blocks * 16;
        if (n > length - done) n = length - done;
        for (std::size_t i = 0; i < n; ++i) out[done + i] = in[done + i] ^ stream[i];
        done += n;
    }
    return true;
}

}  // namespace

bool parseAesExtra(const unsigned char* extra, std::size_t length, AesExtra& out) {
    std::size_t pos = 0;
    while (extra && pos + 4 <= length) {
        unsigned id = extra[pos] | (extra[pos + 1] << 8);
        std::size_t size = extra[pos + 2] | (extra[pos + 3] << 8);
        if (pos + 4 + size > length) return false;
        const unsigned char* d = extra + pos + 4;
        if (id == 0x9901) {
            if (size != 7) return false;
            int version = d[0] | (d[1] << 8);
            if ((version != 1 && version != 2) || d[2] != 'A' || d[3] != 'E') return false;
            int strength = d[4];
            int method = d[5] | (d[6] << 8);
            if (strength < 1 || strength > 3 || (method != 0 && method != 8)) return false;
            out.version = version;
            out.strength = strength;
            out.innerMethod = method;
            return true;
        }
        pos += 4 + size;
    }
    return false;
}

Result decryptInPlace(const AesExtra& aes, const std::string& password, std::vector<unsigned char>& raw) {
    const std::size_t saltLength = aes.saltLength();
    if (raw.size() < saltLength + kVerifierLength + kAuthLength) return Result::TooShort;
    if (password.empty()) return Result::WrongPassword;
    Keys keys;
    if (!deriveKeys(aes, password, raw.data(), keys)) return Result::CryptoError;
    if (std::memcmp(keys.verifier.data(), raw.data() + saltLength, kVerifierLength) != 0)
        return Result::WrongPassword;
    unsigned char* data = raw.data() + saltLength + kVerifierLength;
    const std::size_t dataLength = raw.size() - saltLength - kVerifierLength - kAuthLength;
    unsigned char code[20];
    if (!hmacSha1(keys.mac, data, dataLength, code)) return Result::CryptoError;
    if (CRYPTO_memcmp(code, data + dataLength, kAuthLength) != 0) return Result::AuthFailed;
    // The keystream is applied byte by byte, so input and output may coincide.
    if (dataLength > 0 && !applyKeystream(keys.aes, data, dataLength, data)) return Result::CryptoError;
    std::memmove(raw.data(), data, dataLength);
    raw.resize(dataLength);
    return Result::Ok;
}

Result decrypt(const AesExtra& aes, const std::string& password, const unsigned char* raw, std::size_t rawLength,
               std::vector<unsigned char>& out) {
    out.assign(raw, raw + rawLength);
    Result result = decryptInPlace(aes, password, out);
    if (result != Result::Ok) out.clear();
    return result;
}

bool encrypt(const AesExtra& aes, const std::string& password, const unsigned char* salt, const unsigned char* data,
             std::size_t length, std::vector<unsigned char>& raw) {
    Keys keys;
    if (password.empty() || !deriveKeys(aes, password, salt, keys)) return false;
    const std::size_t saltLength = aes.saltLength();
    raw.assign(salt, salt + saltLength);
    raw.insert(raw.end(), keys.verifier.begin(), keys.verifier.end());
    std::size_t start = raw.size();
    raw.resize(start + length);
    if (length > 0 && !applyKeystream(keys.aes, data, length, raw.data() + start)) return false;
    unsigned char code[20];
    if (!hmacSha1(keys.mac, raw.data() + start, length, code)) return false;
    raw.insert(raw.end(), code, code + kAuthLength);
    return true;
}

}  // namespace zipaes
