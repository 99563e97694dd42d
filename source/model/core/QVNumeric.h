// Conversions for numbers read from game data, which packs store unclamped:
// a float may be NaN, infinite or far beyond an int, and a decimal id in text
// may be anything.
#pragma once

#include <climits>
#include <cmath>
#include <locale>
#include <sstream>
#include <string>

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
