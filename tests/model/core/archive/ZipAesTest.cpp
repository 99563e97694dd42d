#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/core/ZipAes.h"

namespace {
using Bytes = std::vector<unsigned char>;

Bytes extraField(int version, char v1, char v2, int strength, int method, int size = 7) {
    Bytes e = {0x01, 0x99, static_cast<unsigned char>(size), 0, static_cast<unsigned char>(version), 0,
               static_cast<unsigned char>(v1), static_cast<unsigned char>(v2), static_cast<unsigned char>(strength),
               static_cast<unsigned char>(method), 0};
    return e;
}
}  // namespace

// Bad versions, vendors, strengths and inner methods are refused through the
// reader (Archive.RefusesEntriesItCannotReadSafely); here the field's frame.
TEST(ZipAesExtra, FindsTheFieldAfterOthersAndRefusesShortOnes) {
    zipaes::AesExtra aes;
    Bytes good = {0x55, 0x54, 0x01, 0x00, 0x03};  // another field first
    Bytes field = extraField(2, 'A', 'E', 3, 8);
    good.insert(good.end(), field.begin(), field.end());
    ASSERT_TRUE(zipaes::parseAesExtra(good.data(), good.size(), aes));
    EXPECT_EQ(aes.keyLength(), 32u);
    EXPECT_EQ(aes.saltLength(), 16u);
    EXPECT_EQ(aes.innerMethod, 8);
    const Bytes shortSize = extraField(2, 'A', 'E', 2, 8, 6);
    EXPECT_FALSE(zipaes::parseAesExtra(shortSize.data(), shortSize.size(), aes));
    field.resize(8);
    EXPECT_FALSE(zipaes::parseAesExtra(field.data(), field.size(), aes));
    EXPECT_FALSE(zipaes::parseAesExtra(nullptr, 0, aes));
}

TEST(ZipAesCrypt, RoundTripAndTamperDetection) {
    for (int strength = 1; strength <= 3; ++strength) {
        zipaes::AesExtra aes;
        aes.version = 2;
        aes.strength = strength;
        aes.innerMethod = 0;
        Bytes salt(aes.saltLength(), 0x5A);
        Bytes data(1000);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i);
        Bytes raw;
        ASSERT_TRUE(zipaes::encrypt(aes, "secret", salt.data(), data.data(), data.size(), raw));
        ASSERT_EQ(raw.size(), salt.size() + 2 + data.size() + 10);
        // The keystream really encrypts (no plaintext run survives).
        EXPECT_NE(Bytes(raw.begin() + static_cast<long>(salt.size()) + 2, raw.end() - 10), data);

        Bytes out;
        EXPECT_EQ(zipaes::decrypt(aes, "secret", raw.data(), raw.size(), out), zipaes::Result::Ok);
        EXPECT_EQ(out, data);
        EXPECT_EQ(zipaes::decrypt(aes, "wrong", raw.data(), raw.size(), out), zipaes::Result::WrongPassword);
        EXPECT_TRUE(out.empty());
        EXPECT_EQ(zipaes::decrypt(aes, "", raw.data(), raw.size(), out), zipaes::Result::WrongPassword);
        Bytes tampered = raw;
        tampered[salt.size() + 2 + 500] ^= 1;
        EXPECT_EQ(zipaes::decrypt(aes, "secret", tampered.data(), tampered.size(), out), zipaes::Result::AuthFailed);
        EXPECT_TRUE(out.empty());
        EXPECT_EQ(zipaes::decrypt(aes, "secret", raw.data(), salt.size() + 11, out), zipaes::Result::TooShort);
    }
}
