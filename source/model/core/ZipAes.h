// WinZip AES (AE-1/AE-2) entry decryption. Pure functions over bytes: the
// caller hands in the raw entry (salt, verifier, data, authentication code).
// Nothing is handed out before the authentication code has been checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zipaes {

// The 0x9901 extra field of a central header.
struct AesExtra {
    int version = 0;       // 1 (AE-1) or 2 (AE-2)
    int strength = 0;      // 1, 2, 3: AES-128, 192, 256
    int innerMethod = -1;  // 0 stored, 8 deflate
    std::size_t saltLength() const { return strength == 1 ? 8 : strength == 2 ? 12 : 16; }
    std::size_t keyLength() const { return strength == 1 ? 16 : strength == 2 ? 24 : 32; }
};

// Finds and validates the 0x9901 field in an extra-field block: data size 7,
// vendor "AE", version 1 or 2, strength 1..3, inner method 0 or 8.
bool parseAesExtra(const unsigned char* extra, std::size_t length, AesExtra& out);

enum class Result {
    Ok,
    TooShort,       // raw entry smaller than salt + verifier + code
    WrongPassword,  // empty password or verifier mismatch
    AuthFailed,     // authentication code mismatch
    CryptoError,    // the crypto library failed
};

// Decrypts a raw entry in place: on Ok, `raw` holds only the (still
// compressed) payload, so a large entry needs no second buffer. On any other
// result `raw` is left as it was.
Result decryptInPlace(const AesExtra& aes, const std::string& password, std::vector<unsigned char>& raw);

// Decrypts a raw entry into `out` (the still-compressed payload).
Result decrypt(const AesExtra& aes, const std::string& password, const unsigned char* raw, std::size_t rawLength,
               std::vector<unsigned char>& out);

// Encrypts a payload into a raw entry; tools and tests write packages with it.
// The salt must have aes.saltLength() bytes.
bool encrypt(const AesExtra& aes, const std::string& password, const unsigned char* salt, const unsigned char* data,
             std::size_t length, std::vector<unsigned char>& raw);

}  // namespace zipaes
