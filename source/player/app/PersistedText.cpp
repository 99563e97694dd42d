#include "player/app/PersistedText.h"

#include <charconv>
#include <cmath>

namespace persisted {

namespace {

void appendEscaped(std::string& out, std::string_view key) {
    for (char c : key) {
        if (c == '%') {
            out += "%25";
        } else if (c == ';') {
            out += "%3B";
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string escapeKey(std::string_view key) {
    std::string out;
    out.reserve(key.size());
    appendEscaped(out, key);
    return out;
}

std::string unescapeKey(std::string_view stored) {
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const std::string_view rest = stored.substr(i, 3);
        if (rest == "%25") {
            out += '%';
            i += 2;
        } else if (rest == "%3B") {
            out += ';';
            i += 2;
        } else {
            out += stored[i];
        }
    }
    return out;
}

bool splitKey(std::string_view piece, std::string_view& key, std::string_view& value) {
    const std::size_t colon = piece.rfind(':');
    if (colon == std::string_view::npos) return false;
    key = piece.substr(0, colon);
    value = piece.substr(colon + 1);
    return true;
}

std::vector<std::string_view> splitFields(std::string_view text, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

void appendPiece(std::string& out, std::string_view piece) {
    if (!out.empty()) out += ';';
    out += piece;
}

void appendKeyPiece(std::string& out, std::string_view key) {
    if (!out.empty()) out += ';';
    appendEscaped(out, key);
}

void appendUnread(std::string& out, const UnreadRecords& unread) {
    for (const std::string& piece : unread) appendPiece(out, piece);
}

void appendFloat(std::string& out, float value, int* nonFinite) {
    if (!std::isfinite(value)) {
        if (nonFinite) ++*nonFinite;
        value = 0;
    }
    // to_chars with a precision gives printf's "%.8g" text without reading
    // the C or C++ locale.
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 8);
    out.append(text, result.ptr);
}

void appendInteger(std::string& out, long long value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

}  // namespace persisted
