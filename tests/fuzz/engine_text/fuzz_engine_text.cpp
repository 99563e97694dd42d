// Text the game reads from its data: number and geometry strings, and Base64.
// Beyond "no crash", the readers promise finite numbers and exact-size output.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/CCString.h"
#include "base/base64.h"

using namespace cocos2d;

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

bool finite(const CCPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // Stack objects: nothing reaches the autorelease pool.
    CCString s(text);
    (void)s.intValue();
    (void)s.uintValue();
    (void)s.boolValue();
    check(std::isfinite(s.floatValue()));
    check(finite(s.pointValue()));
    const CCSize sz = s.sizeValue();
    check(std::isfinite(sz.width) && std::isfinite(sz.height));
    const CCRect r = CCRectFromString(text.c_str());
    check(finite(r.origin) && std::isfinite(r.size.width) && std::isfinite(r.size.height));
    check(finite(CCPointFromString(text.c_str())));

    // The same text after a valid prefix, so the parsers see it mid-shape.
    const std::string wrapped = "{{1," + text + "},{2,3}}";
    const CCRect w = CCRectFromString(wrapped.c_str());
    check(finite(w.origin) && std::isfinite(w.size.width));

    unsigned char* out = reinterpret_cast<unsigned char*>(&out);  // must be overwritten
    const int n = base64Decode(data, static_cast<unsigned int>(size), &out);
    check(n >= 0 && static_cast<size_t>(n) <= size * 3 / 4);
    check((n == 0) == (out == nullptr));
    if (out) {
        // Touch every byte so ASan sees a short allocation.
        volatile unsigned sum = 0;
        for (int i = 0; i < n; ++i) sum = sum + out[i];
        std::free(out);
    }
    return 0;
}
