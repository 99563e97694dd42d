#include "base/base64.h"

#include <cstdlib>

namespace cocos2d {

namespace {
int sextet(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}
}  // namespace

int base64Decode(const unsigned char* in, unsigned int inLength, unsigned char** out) {
    if (!out) return 0;
    *out = nullptr;
    if (!in) return 0;
    // Strip up to two '=' of padding, which must then complete a quantum.
    unsigned int len = inLength;
    unsigned int pad = 0;
    while (len > 0 && in[len - 1] == '=' && pad < 2) {
        --len;
        ++pad;
    }
    if (pad > 0 && (len + pad) % 4 != 0) return 0;
    if (len % 4 == 1) return 0;  // one leftover character cannot hold a byte
    unsigned int outLength = len / 4 * 3 + (len % 4 == 0 ? 0 : len % 4 - 1);
    if (outLength == 0) return 0;
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(outLength));
    if (!buffer) return 0;
    unsigned int o = 0;
    unsigned int acc = 0;
    int bits = 0;
    for (unsigned int i = 0; i < len; ++i) {
        int v = sextet(in[i]);
        if (v < 0) {
            std::free(buffer);
            return 0;
        }
        acc = (acc << 6) | static_cast<unsigned int>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            buffer[o++] = static_cast<unsigned char>((acc >> bits) & 0xFF);
        }
    }
    *out = buffer;
    return static_cast<int>(o);
}

}  // namespace cocos2d
