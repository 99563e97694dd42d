// Text helpers shared by the command-line tools.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace tooltext {

// Bytes outside 0x20-0x7E as \xNN (lowercase) and a backslash as \\;
// `quote` also escapes the double quote.
inline std::string escaped(const char* data, std::size_t size, bool quote) {
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\\') {
            out += "\\\\";
        } else if (quote && c == '"') {
            out += "\\\"";
        } else if (c >= 0x20 && c <= 0x7e) {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

// The text escaped and in double quotes.
inline std::string quoted(const std::string& text) { return "\"" + escaped(text.data(), text.size(), true) + "\""; }

}  // namespace tooltext
