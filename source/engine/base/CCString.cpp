#include "base/CCString.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace cocos2d {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
const char* skipBlanks(const char* p) {
    while (*p && isBlank(*p)) ++p;
    return p;
}
}  // namespace

namespace textparse {

bool leadingInteger(const char* text, long long& out) {
    if (!text) return false;
    const char* p = skipBlanks(text);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    if (*p < '0' || *p > '9') return false;
    // Saturating accumulation keeps out-of-range text defined.
    unsigned long long magnitude = 0;
    const unsigned long long cap = static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + 1ULL;
    while (*p >= '0' && *p <= '9') {
        const unsigned digit = static_cast<unsigned>(*p - '0');
        // Checked before multiplying: 20-digit text would wrap an unsigned 64-bit value.
        magnitude = magnitude > (cap - digit) / 10 ? cap : magnitude * 10 + digit;
        ++p;
    }
    if (negative) {
        out = magnitude >= cap ? std::numeric_limits<long long>::min() : -static_cast<long long>(magnitude);
    } else {
        out = magnitude >= cap ? std::numeric_limits<long long>::max() : static_cast<long long>(magnitude);
    }
    return true;
}

bool leadingDouble(const char* text, double& out) {
    if (!text) return false;
    const char* p = skipBlanks(text);
    if (*p == '+' && p[1] != '-') ++p;  // from_chars takes no '+'
    const char* end = p + std::strlen(p);
    double value = 0;
    auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow or underflow: read the sign, pick infinity or zero.
        return false;
    }
    if (result.ec != std::errc() || result.ptr == p) return false;
    out = value;
    return true;
}

}  // namespace textparse

CCString* CCString::create(const std::string& text) {
    CCString* s = new CCString(text);
    s->autorelease();
    return s;
}

CCString* CCString::createWithFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
    return create(text);
}

CCString* CCString::createWithData(const unsigned char* data, unsigned long length) {
    return create(std::string(reinterpret_cast<const char*>(data), data ? length : 0));
}

bool CCString::isEqual(const CCObject* other) const {
    const CCString* s = dynamic_cast<const CCString*>(other);
    return s && s->m_sString == m_sString;
}

int CCString::intValue() const {
    long long v = 0;
    if (!textparse::leadingInteger(m_sString.c_str(), v)) return 0;
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

unsigned int CCString::uintValue() const {
    long long v = 0;
    if (!textparse::leadingInteger(m_sString.c_str(), v)) return 0;
    return static_cast<unsigned int>(static_cast<unsigned long long>(v) & 0xFFFFFFFFULL);
}

double CCString::doubleValue() const {
    double v = 0;
    if (!textparse::leadingDouble(m_sString.c_str(), v) || !std::isfinite(v)) return 0;
    return v;
}

float CCString::floatValue() const {
    double v = doubleValue();
    if (v > std::numeric_limits<float>::max() || v < -std::numeric_limits<float>::max()) return 0;
    return static_cast<float>(v);
}

bool CCString::boolValue() const {
    return !(m_sString.empty() || m_sString == "0" || m_sString == "false");
}

CCPoint CCString::pointValue() const { return CCPointFromString(m_sString.c_str()); }
CCSize CCString::sizeValue() const { return CCSizeFromString(m_sString.c_str()); }
CCRect CCString::rectValue() const { return CCRectFromString(m_sString.c_str()); }

namespace {

// A tiny cursor over the "{a,b}" shapes; any deviation fails the whole parse.
struct Cursor {
    const char* p;
    bool expect(char c) {
        p = skipBlanks(p);
        if (*p != c) return false;
        ++p;
        return true;
    }
    bool number(float& out) {
        p = skipBlanks(p);
        const char* start = p;
        if (*start == '+' && start[1] != '-') ++start;
        const char* end = start + std::strlen(start);
        double v = 0;
        auto r = std::from_chars(start, end, v, std::chars_format::general);
        if (r.ec != std::errc() || r.ptr == start || !std::isfinite(v)) return false;
        if (v > std::numeric_limits<float>::max() || v < -std::numeric_limits<float>::max()) return false;
        out = static_cast<float>(v);
        p = r.ptr;
        return true;
    }
    bool pair(float& a, float& b) { return expect('{') && number(a) && expect(',') && number(b) && expect('}'); }
    bool atEnd() {
        p = skipBlanks(p);
        return *p == '\0';
    }
};

}  // namespace

namespace textparse {

bool number(const char* text, float& out) {
    if (!text) return false;
    Cursor c{text};
    return c.number(out) && c.atEnd();
}

bool point(const char* text, CCPoint& out) {
    if (!text) return false;
    Cursor c{text};
    return c.pair(out.x, out.y) && c.atEnd();
}

bool size(const char* text, CCSize& out) {
    if (!text) return false;
    Cursor c{text};
    return c.pair(out.width, out.height) && c.atEnd();
}

bool rect(const char* text, CCRect& out) {
    if (!text) return false;
    Cursor c{text};
    return c.expect('{') && c.pair(out.origin.x, out.origin.y) && c.expect(',') &&
           c.pair(out.size.width, out.size.height) && c.expect('}') && c.atEnd();
}

}  // namespace textparse

CCPoint CCPointFromString(const char* text) {
    CCPoint p;
    return textparse::point(text, p) ? p : CCPointZero;
}

CCSize CCSizeFromString(const char* text) {
    CCSize s;
    return textparse::size(text, s) ? s : CCSizeZero;
}

CCRect CCRectFromString(const char* text) {
    CCRect r;
    return textparse::rect(text, r) ? r : CCRectZero;
}

}  // namespace cocos2d
