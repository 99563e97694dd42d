#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/base64.h"

using cocos2d::base64Decode;

namespace {

// The decoded bytes; a refusal must give 0 and a null buffer.
std::string decode(const std::string& text, bool* ok) {
    unsigned char* out = reinterpret_cast<unsigned char*>(0x1);  // must be overwritten
    const int n = base64Decode(reinterpret_cast<const unsigned char*>(text.data()),
                               static_cast<unsigned int>(text.size()), &out);
    *ok = n > 0;
    if (n <= 0) {
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(n, 0);
    }
    std::string bytes = n > 0 ? std::string(reinterpret_cast<const char*>(out), static_cast<size_t>(n)) : "";
    std::free(out);
    return bytes;
}

TEST(Base64, Rfc4648VectorsWithOrWithoutPaddingAndEveryRefusal) {
    const std::pair<std::string, const char*> rows[] = {
        {"Zg==", "f"}, {"Zm8=", "fo"}, {"Zm9v", "foo"}, {"Zm9vYg==", "foob"}, {"Zm9vYmE=", "fooba"},
        {"Zm9vYmFy", "foobar"}, {"Zg", "f"}, {"Zm8", "fo"}, {"Zm9vYmE", "fooba"}, {"+/+/", "\xfb\xff\xbf"},
        // Refused (nullptr): empty, impossible lengths, bad padding, characters outside the alphabet.
        {"", nullptr}, {"Z", nullptr}, {"Zm9vY", nullptr}, {"Zg=", nullptr}, {"Z===", nullptr}, {"=", nullptr},
        {"==", nullptr}, {"Zg==Zg==", nullptr}, {"Zm9v!", nullptr}, {"Zm 9v", nullptr}, {"Zm9v\n", nullptr},
        {"Zm-_", nullptr}, {"Zm9v====", nullptr}, {"Zg=a", nullptr}, {std::string("Zm\0v", 4), nullptr},
    };
    for (const auto& [in, expected] : rows) {
        SCOPED_TRACE('"' + in + '"');
        bool ok = false;
        const std::string bytes = decode(in, &ok);
        EXPECT_EQ(ok, expected != nullptr);
        EXPECT_EQ(bytes, expected ? expected : "");
    }
    unsigned char* out = nullptr;
    EXPECT_EQ(base64Decode(nullptr, 4, &out), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(base64Decode(reinterpret_cast<const unsigned char*>("Zm9v"), 4, nullptr), 0);
}

TEST(Base64, OutputIsExactlyTheDecodedLength) {
    // Every length 1..48 of a known byte pattern, so ASan sees any write past the end.
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string raw, text;
    for (size_t len = 1; len <= 48; ++len) {
        raw.push_back(static_cast<char>(len * 37 + 11));
        text.clear();
        for (size_t i = 0; i < raw.size(); i += 3) {
            unsigned v = static_cast<unsigned char>(raw[i]) << 16;
            if (i + 1 < raw.size()) v |= static_cast<unsigned char>(raw[i + 1]) << 8;
            if (i + 2 < raw.size()) v |= static_cast<unsigned char>(raw[i + 2]);
            for (size_t c = 0; c < std::min<size_t>(4, raw.size() - i + 1); ++c)
                text.push_back(alphabet[(v >> (18 - 6 * c)) & 63]);
        }
        bool ok = false;
        EXPECT_EQ(decode(text, &ok), raw) << len;
        EXPECT_TRUE(ok) << len;
    }
}

}  // namespace
