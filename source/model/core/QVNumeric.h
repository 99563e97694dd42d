// Conversions for numbers read from game data, which packs store unclamped:
// a float may be NaN, infinite or far beyond an int, and a decimal id in text
// may be anything.
#pragma once

#include <charconv>
#include <climits>
#include <cmath>
#include <locale>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

// Truncates toward zero; NaN gives 0 and values beyond int saturate, so no
// stored value reaches an undefined float-to-int conversion.
inline int truncToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT_MAX;
    if (value <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(value);
}

// Reads a decimal number as a C++ stream does in the classic locale: leading
// white space skipped, reading stops at the first character that is not part
// of the number, 0 when nothing is read, and the type's bound when the
// number is beyond it. Unsigned types take "-1" as their largest value.
template <class T>
T parseDecimal(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    T value = 0;
    in >> value;
    return value;
}

// Strict readers for stored player state, independent of any locale. They
// accept the whole text or nothing, and leave `value` unchanged on failure.

// Decimal digits with a leading '-' only for signed types; no blanks, no
// '+', and within the type's range. Leading zeros are accepted.
template <class T>
bool parseStrictInteger(std::string_view text, T& value) {
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>, "integer types only");
    if (text.empty()) return false;
    T read = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, read, 10);
    if (result.ec != std::errc() || result.ptr != end) return false;
    value = read;
    return true;
}

// General or exponent form; only finite values.
inline bool parseStrictFloat(std::string_view text, float& value) {
    if (text.empty()) return false;
    float read = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, read, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(read)) return false;
    value = read;
    return true;
}

// "true", "false", "1" or "0".
inline bool parseStrictSwitch(std::string_view text, bool& value) {
    if (text == "true" || text == "1") {
        value = true;
    } else if (text == "false" || text == "0") {
        value = false;
    } else {
        return false;
    }
    return true;
}
