#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/base64.h"

using cocos2d::base64Decode;

namespace {

// Decodes text; nullopt-like: ok false when the decoder refused it.
struct Decoded {
    bool ok;
    std::string bytes;
};

Decoded decode(const std::string& text) {
    unsigned char* out = reinterpret_cast<unsigned char*>(0x1);  // must be overwritten
    const int n = base64Decode(reinterpret_cast<const unsigned char*>(text.data()),
                               static_cast<unsigned int>(text.size()), &out);
    Decoded d{n > 0, {}};
    if (n > 0) {
        d.bytes.assign(reinterpret_cast<const char*>(out), static_cast<size_t>(n));
    } else {
        EXPECT_EQ(out, nullptr) << '"' << text << '"';
        EXPECT_EQ(n, 0) << '"' << text << '"';
    }
    std::free(out);
    return d;
}

TEST(Base64, DecodesTheRfc4648VectorsWithAndWithoutPadding) {
    const std::pair<const char*, const char*> vectors[] = {
        {"Zg==", "f"},         {"Zm8=", "fo"},         {"Zm9v", "foo"},
        {"Zm9vYg==", "foob"}, {"Zm9vYmE=", "fooba"}, {"Zm9vYmFy", "foobar"},
        {"Zg", "f"},           {"Zm8", "fo"},          {"Zm9vYmE", "fooba"},
        {"+/+/", "\xfb\xff\xbf"},
    };
    for (const auto& [in, expected] : vectors) {
        const Decoded d = decode(in);
        EXPECT_TRUE(d.ok) << in;
        EXPECT_EQ(d.bytes, expected) << in;
    }
    EXPECT_FALSE(decode("").ok);
}

TEST(Base64, InvalidCharactersAndImpossibleLengthsGiveNothing) {
    for (const char* bad : {"Z", "Zm9vY", "Zg=", "Z===", "=", "==", "Zg==Zg==", "Zm9v!", "Zm 9v", "Zm9v\n",
                            "Zm-_", "Zm9v====", "Zg=a"})
        EXPECT_FALSE(decode(bad).ok) << '"' << bad << '"';
    const std::string withNul("Zm\0v", 4);
    EXPECT_FALSE(decode(withNul).ok);

    unsigned char* out = nullptr;
    EXPECT_EQ(base64Decode(nullptr, 4, &out), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(base64Decode(reinterpret_cast<const unsigned char*>("Zm9v"), 4, nullptr), 0);
}

TEST(Base64, StoredArchivePasswordDecodesToItsFifteenBytes) {
    const Decoded d = decode("m6lN0kdRRxOTokTxbE4a");
    ASSERT_TRUE(d.ok);
    const std::vector<unsigned char> expected{0x9b, 0xa9, 0x4d, 0xd2, 0x47, 0x51, 0x47, 0x13,
                                              0x93, 0xa2, 0x44, 0xf1, 0x6c, 0x4e, 0x1a};
    EXPECT_EQ(std::vector<unsigned char>(d.bytes.begin(), d.bytes.end()), expected);
}

TEST(Base64, OutputIsExactlyTheDecodedLength) {
    // Every length 1..48 of a known byte pattern, so ASan sees any write past the end.
    for (size_t len = 1; len <= 48; ++len) {
        std::string raw;
        for (size_t i = 0; i < len; ++i) raw.push_back(static_cast<char>(i * 37 + 11));
        static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string text;
        for (size_t i = 0; i < raw.size(); i += 3) {
            unsigned v = static_cast<unsigned char>(raw[i]) << 16;
            if (i + 1 < raw.size()) v |= static_cast<unsigned char>(raw[i + 1]) << 8;
            if (i + 2 < raw.size()) v |= static_cast<unsigned char>(raw[i + 2]);
            const size_t chars = std::min<size_t>(4, (raw.size() - i) + 1);
            for (size_t c = 0; c < chars; ++c) text.push_back(alphabet[(v >> (18 - 6 * c)) & 63]);
        }
        const Decoded d = decode(text);
        EXPECT_TRUE(d.ok) << len;
        EXPECT_EQ(d.bytes, raw) << len;
    }
}

}  // namespace
