#include "label/BMFontParser.h"

#include <algorithm>
#include <string_view>

#include "platform/CCCommon.h"

namespace cocos2d {
namespace bmfont {

namespace {

struct Pair {
    std::string_view key;
    std::string_view value;
    bool terminated = true;  // false for a quoted value cut off by the line end
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// The tag and its key=value pairs. Bare words without '=' are skipped.
void splitLine(std::string_view line, std::string_view* tag, std::vector<Pair>* pairs) {
    pairs->clear();
    size_t i = 0;
    const size_t n = line.size();
    while (i < n && isBlank(line[i])) ++i;
    size_t start = i;
    while (i < n && !isBlank(line[i])) ++i;
    *tag = line.substr(start, i - start);
    while (i < n) {
        while (i < n && isBlank(line[i])) ++i;
        if (i >= n) break;
        size_t keyStart = i;
        while (i < n && !isBlank(line[i]) && line[i] != '=') ++i;
        std::string_view key = line.substr(keyStart, i - keyStart);
        if (i >= n || line[i] != '=') continue;
        ++i;  // '='
        Pair p;
        p.key = key;
        if (i < n && line[i] == '"') {
            size_t valueStart = ++i;
            while (i < n && line[i] != '"') ++i;
            p.value = line.substr(valueStart, i - valueStart);
            if (i < n) {
                ++i;
            } else {
                p.terminated = false;
            }
        } else {
            size_t valueStart = i;
            while (i < n && !isBlank(line[i])) ++i;
            p.value = line.substr(valueStart, i - valueStart);
        }
        pairs->push_back(p);
    }
}

const Pair* findKey(const std::vector<Pair>& pairs, std::string_view key) {
    const Pair* found = nullptr;
    for (const Pair& p : pairs) {
        if (p.key == key) found = &p;  // the last one wins, as a reader scanning left to right would
    }
    return found;
}

// A decimal integer within [lo, hi], nothing else around it.
bool parseInt(std::string_view text, long lo, long hi, long* out) {
    if (text.empty() || text.size() > 12) return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i >= text.size()) return false;
    long value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');  // at most 11 digits: no overflow in long
    }
    if (negative) value = -value;
    if (value < lo || value > hi) return false;
    *out = value;
    return true;
}

enum class Need { Required, Optional };

// Reads key into *out. A missing optional key leaves *out alone; a present
// key must parse and be in range.
bool readInt(const std::vector<Pair>& pairs, std::string_view key, long lo, long hi, Need need, long* out) {
    const Pair* p = findKey(pairs, key);
    if (!p) return need == Need::Optional;
    return parseInt(p->value, lo, hi, out);
}

// Entry lines dropped while parsing are logged individually up to a point,
// then summed up, so a hostile file cannot flood the log.
class DropLog {
public:
    explicit DropLog(const std::string& source) : m_source(source) {}
    ~DropLog() {
        if (m_count > kDetailed) {
            CCLog("[BMFont] %s: %u more entries dropped", m_source.c_str(), m_count - kDetailed);
        }
    }
    void drop(size_t lineNo, const char* why) {
        if (++m_count <= kDetailed) {
            CCLog("[BMFont] %s:%zu: %s; entry dropped", m_source.c_str(), lineNo, why);
        }
    }

private:
    static constexpr unsigned int kDetailed = 8;
    const std::string& m_source;
    unsigned int m_count = 0;
};

}  // namespace

bool isSafePageName(const std::string& name) {
    if (name.empty()) return false;
    if (name[0] == '/' || name[0] == '\\') return false;
    if (name.size() >= 2 && name[1] == ':') return false;  // a drive letter
    if (name.find("..") != std::string::npos) return false;
    if (name.find('\0') != std::string::npos) return false;
    return true;
}

bool parse(const char* data, size_t size, const std::string& sourceName, Font* out, std::string* error) {
    *out = Font();
    if (!data && size > 0) {
        *error = "no data";
        return false;
    }
    if (size > kMaxFileSize) {
        *error = "file larger than 1 MiB";
        return false;
    }
    std::string_view text(data ? data : "", size);
    DropLog drops(sourceName);
    std::vector<Pair> pairs;
    std::vector<bool> pageDeclared;
    bool haveCommon = false;
    long declaredPages = 0;
    bool glyphLimitLogged = false;
    bool kerningLimitLogged = false;

    size_t lineNo = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;

        std::string_view tag;
        splitLine(line, &tag, &pairs);
        if (tag == "common") {
            long lineHeight = 0, base = 0, scaleW = 0, scaleH = 0, pages = 0;
            if (!readInt(pairs, "lineHeight", 0, kMaxMetric, Need::Required, &lineHeight)) {
                *error = "line " + std::to_string(lineNo) + ": common needs a lineHeight of 0.." +
                         std::to_string(kMaxMetric);
                return false;
            }
            if (!readInt(pairs, "base", -kMaxMetric, kMaxMetric, Need::Optional, &base) ||
                !readInt(pairs, "scaleW", 0, kMaxCoordinate, Need::Optional, &scaleW) ||
                !readInt(pairs, "scaleH", 0, kMaxCoordinate, Need::Optional, &scaleH)) {
                *error = "line " + std::to_string(lineNo) + ": common has a malformed or out-of-range number";
                return false;
            }
            if (!readInt(pairs, "pages", 0, kMaxPages, Need::Optional, &pages)) {
                *error = "line " + std::to_string(lineNo) + ": common declares more than " +
                         std::to_string(kMaxPages) + " pages or a malformed count";
                return false;
            }
            haveCommon = true;
            out->lineHeight = static_cast<int>(lineHeight);
            out->base = static_cast<int>(base);
            out->scaleW = static_cast<int>(scaleW);
            out->scaleH = static_cast<int>(scaleH);
            declaredPages = pages;
        } else if (tag == "page") {
            long id = 0;
            if (!readInt(pairs, "id", 0, kMaxPages - 1, Need::Required, &id)) {
                *error = "line " + std::to_string(lineNo) + ": page id missing or not 0.." +
                         std::to_string(kMaxPages - 1);
                return false;
            }
            const Pair* file = findKey(pairs, "file");
            if (!file || !file->terminated) {
                *error = "line " + std::to_string(lineNo) + ": page " + std::to_string(id) + " has no file name";
                return false;
            }
            std::string name(file->value);
            if (!isSafePageName(name)) {
                *error = "line " + std::to_string(lineNo) + ": page name \"" + name +
                         "\" must be relative to the font's folder";
                return false;
            }
            size_t index = static_cast<size_t>(id);
            if (pageDeclared.size() <= index) {
                pageDeclared.resize(index + 1, false);
                out->pages.resize(index + 1);
            }
            if (pageDeclared[index]) {
                *error = "line " + std::to_string(lineNo) + ": page " + std::to_string(id) + " declared twice";
                return false;
            }
            pageDeclared[index] = true;
            out->pages[index] = name;
        } else if (tag == "char") {
            long id = 0, x = 0, y = 0, w = 0, h = 0, xo = 0, yo = 0, adv = 0, page = 0;
            if (!readInt(pairs, "id", 0, kMaxCodePoint, Need::Required, &id)) {
                drops.drop(lineNo, "char id missing or not a code point");
                continue;
            }
            if (!readInt(pairs, "x", 0, kMaxCoordinate, Need::Required, &x) ||
                !readInt(pairs, "y", 0, kMaxCoordinate, Need::Required, &y) ||
                !readInt(pairs, "width", 0, kMaxCoordinate, Need::Required, &w) ||
                !readInt(pairs, "height", 0, kMaxCoordinate, Need::Required, &h) ||
                !readInt(pairs, "xoffset", -kMaxMetric, kMaxMetric, Need::Optional, &xo) ||
                !readInt(pairs, "yoffset", -kMaxMetric, kMaxMetric, Need::Optional, &yo) ||
                !readInt(pairs, "xadvance", -kMaxMetric, kMaxMetric, Need::Optional, &adv) ||
                !readInt(pairs, "page", 0, kMaxPages - 1, Need::Optional, &page)) {
                drops.drop(lineNo, "char has a missing, malformed or out-of-range value");
                continue;
            }
            uint32_t key = static_cast<uint32_t>(id);
            if (out->glyphs.size() >= kMaxGlyphs && out->glyphs.find(key) == out->glyphs.end()) {
                if (!glyphLimitLogged) {
                    CCLog("[BMFont] %s: more than %zu glyphs; the rest are ignored", sourceName.c_str(), kMaxGlyphs);
                    glyphLimitLogged = true;
                }
                continue;
            }
            Glyph& g = out->glyphs[key];
            g.id = key;
            g.x = static_cast<int>(x);
            g.y = static_cast<int>(y);
            g.width = static_cast<int>(w);
            g.height = static_cast<int>(h);
            g.xoffset = static_cast<int>(xo);
            g.yoffset = static_cast<int>(yo);
            g.xadvance = static_cast<int>(adv);
            g.page = static_cast<unsigned int>(page);
        } else if (tag == "kerning") {
            long first = 0, second = 0, amount = 0;
            if (!readInt(pairs, "first", 0, kMaxCodePoint, Need::Required, &first) ||
                !readInt(pairs, "second", 0, kMaxCodePoint, Need::Required, &second) ||
                !readInt(pairs, "amount", -kMaxMetric, kMaxMetric, Need::Required, &amount)) {
                drops.drop(lineNo, "kerning has a missing, malformed or out-of-range value");
                continue;
            }
            uint64_t key = Font::kerningKey(static_cast<uint32_t>(first), static_cast<uint32_t>(second));
            if (out->kernings.size() >= kMaxKernings && out->kernings.find(key) == out->kernings.end()) {
                if (!kerningLimitLogged) {
                    CCLog("[BMFont] %s: more than %zu kerning pairs; the rest are ignored", sourceName.c_str(),
                          kMaxKernings);
                    kerningLimitLogged = true;
                }
                continue;
            }
            out->kernings[key] = static_cast<int>(amount);
        }
        // info, chars, kernings and unknown tags carry nothing the layout needs;
        // the declared counts are never trusted for allocation.
    }

    if (!haveCommon) {
        *error = "no common line";
        return false;
    }
    size_t pageCount = std::max(static_cast<size_t>(declaredPages), pageDeclared.size());
    if (pageCount == 0) {
        *error = "no page";
        return false;
    }
    for (size_t i = 0; i < pageCount; ++i) {
        if (i >= pageDeclared.size() || !pageDeclared[i]) {
            *error = "page " + std::to_string(i) + " missing";
            return false;
        }
    }
    for (auto it = out->glyphs.begin(); it != out->glyphs.end();) {
        if (it->second.page >= pageCount) {
            CCLog("[BMFont] %s: glyph %u is on undeclared page %u; dropped", sourceName.c_str(), it->first,
                  it->second.page);
            it = out->glyphs.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

uint32_t decodeUtf8(const std::string& s, size_t* pos) {
    const size_t n = s.size();
    size_t i = *pos;
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        *pos = i + 1;
        return c;
    }
    int length = 0;
    uint32_t cp = 0;
    uint32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
        length = 2;
        cp = c & 0x1F;
        min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3;
        cp = c & 0x0F;
        min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        *pos = i + 1;
        return 0xFFFD;
    }
    if (i + length > n) {
        *pos = i + 1;
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) {
            *pos = i + 1;
            return 0xFFFD;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > kMaxCodePoint || (cp >= 0xD800 && cp <= 0xDFFF)) {
        *pos = i + 1;
        return 0xFFFD;
    }
    *pos = i + length;
    return cp;
}

}  // namespace bmfont
}  // namespace cocos2d
