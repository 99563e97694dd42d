// Immutable-by-convention text object. All number parsing is locale-independent
// and defined for every input: malformed text gives 0 (or the zero geometry).
#pragma once

#include <string>

#include "base/CCObject.h"
#include "math/CCGeometry.h"

namespace cocos2d {

class CCString : public CCObject {
public:
    CCString() = default;
    explicit CCString(const char* text) : m_sString(text ? text : "") {}
    explicit CCString(std::string text) : m_sString(std::move(text)) {}

    static CCString* create(const std::string& text);
    // printf-style, C locale, no length limit.
    static CCString* createWithFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static CCString* createWithData(const unsigned char* data, unsigned long length);

    const char* getCString() const { return m_sString.c_str(); }
    unsigned int length() const { return static_cast<unsigned int>(m_sString.size()); }
    const std::string& str() const { return m_sString; }  // (ours)

    bool isEqual(const CCObject* other) const override;
    int compare(const char* text) const { return m_sString.compare(text ? text : ""); }

    // Leading integer, saturated to the int32 range; 0 when there is none.
    int intValue() const;
    // Leading integer read as signed 64-bit (saturated), reduced modulo 2^32.
    unsigned int uintValue() const;
    // Leading decimal number; non-finite results give 0.
    float floatValue() const;
    double doubleValue() const;
    // False for "", "0" and "false"; true otherwise.
    bool boolValue() const;
    CCPoint pointValue() const;  // "{x,y}"
    CCSize sizeValue() const;    // "{w,h}"
    CCRect rectValue() const;    // "{{x,y},{w,h}}"

    std::string m_sString;
};

// The engine's free parsing functions; malformed text gives the zero value.
CCPoint CCPointFromString(const char* text);
CCSize CCSizeFromString(const char* text);
CCRect CCRectFromString(const char* text);

// (ours) Shared parsing helpers, also used by the store's lenient getters.
namespace textparse {
// Parses a leading decimal integer after optional blanks; false when none.
bool leadingInteger(const char* text, long long& out);
// Parses a leading decimal floating-point number; false when none.
bool leadingDouble(const char* text, double& out);
// Strict whole-text forms (blanks allowed around numbers and braces): a
// finite float, "{x,y}", "{w,h}" and "{{x,y},{w,h}}". False on anything else,
// leaving `out` unspecified; the CC*FromString functions give zero instead.
bool number(const char* text, float& out);
bool point(const char* text, CCPoint& out);
bool size(const char* text, CCSize& out);
bool rect(const char* text, CCRect& out);
}  // namespace textparse

}  // namespace cocos2d
