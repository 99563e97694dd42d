#include "gl/ShaderSource.h"

#include <cctype>
#include <cstring>

namespace cocos2d {

namespace {

bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Position of the next whole-word occurrence of `word` at or after `from`.
std::size_t findWord(const std::string& s, const char* word, std::size_t from) {
    const std::size_t n = std::strlen(word);
    for (std::size_t pos = s.find(word, from); pos != std::string::npos; pos = s.find(word, pos + 1)) {
        const bool startOk = pos == 0 || !isIdentChar(s[pos - 1]);
        const bool endOk = pos + n >= s.size() || !isIdentChar(s[pos + n]);
        if (startOk && endOk) return pos;
    }
    return std::string::npos;
}

std::size_t skipSpace(const std::string& s, std::size_t i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return i;
}

std::size_t identEnd(const std::string& s, std::size_t i) {
    while (i < s.size() && isIdentChar(s[i])) ++i;
    return i;
}

// Blanks [from, to) but keeps the newlines, so line numbers stay true.
void blank(std::string& s, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (s[i] != '\n') s[i] = ' ';
}

void dropLeadingVersion(std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        i = skipSpace(s, i);
        if (s.compare(i, 2, "//") == 0) {
            const std::size_t eol = s.find('\n', i);
            if (eol == std::string::npos) return;
            i = eol + 1;
            continue;
        }
        break;
    }
    if (i >= s.size() || s[i] != '#') return;
    std::size_t j = skipSpace(s, i + 1);
    if (s.compare(j, 7, "version") != 0 || isIdentChar(j + 7 < s.size() ? s[j + 7] : ' ')) return;
    std::size_t eol = s.find('\n', i);
    if (eol == std::string::npos) eol = s.size();
    blank(s, i, eol);
}

void dropPrecisionStatements(std::string& s) {
    static const char* const kQualifiers[] = {"lowp", "mediump", "highp"};
    for (std::size_t pos = findWord(s, "precision", 0); pos != std::string::npos;
         pos = findWord(s, "precision", pos + 1)) {
        std::size_t i = skipSpace(s, pos + 9);
        const std::size_t qEnd = identEnd(s, i);
        const std::string qualifier = s.substr(i, qEnd - i);
        bool known = false;
        for (const char* q : kQualifiers) known = known || qualifier == q;
        if (!known) continue;
        i = skipSpace(s, qEnd);
        const std::size_t tEnd = identEnd(s, i);
        if (tEnd == i) continue;
        i = skipSpace(s, tEnd);
        if (i >= s.size() || s[i] != ';') continue;
        blank(s, pos, i + 1);
    }
}

// True when a `uniform ... ;` declaration names `name`.
bool declaresUniform(const std::string& s, const char* name) {
    for (std::size_t pos = findWord(s, "uniform", 0); pos != std::string::npos;
         pos = findWord(s, "uniform", pos + 1)) {
        std::size_t end = s.find(';', pos);
        if (end == std::string::npos) end = s.size();
        const std::string decl = s.substr(pos, end - pos);
        if (findWord(decl, name, 0) != std::string::npos) return true;
    }
    return false;
}

struct BuiltIn {
    const char* name;
    const char* type;
};
const BuiltIn kBuiltIns[] = {
    {"CC_PMatrix", "mat4"},   {"CC_MVMatrix", "mat4"}, {"CC_MVPMatrix", "mat4"},   {"CC_Time", "vec4"},
    {"CC_SinTime", "vec4"},   {"CC_CosTime", "vec4"},  {"CC_Random01", "vec4"},    {"CC_Texture0", "sampler2D"},
};

}  // namespace

bool prepareShaderSource(const std::string& source, std::string* out, std::string* error) {
    if (source.size() > kCCShaderSourceMaxBytes) {
        if (error) *error = "shader source of " + std::to_string(source.size()) + " bytes is over the 256 KiB limit";
        return false;
    }
    std::string body = source;
    dropLeadingVersion(body);
    dropPrecisionStatements(body);

    std::string header = "#version 120\n#define lowp\n#define mediump\n#define highp\n";
    for (const BuiltIn& b : kBuiltIns) {
        if (findWord(body, b.name, 0) == std::string::npos) continue;
        if (declaresUniform(body, b.name)) continue;
        header += "uniform ";
        header += b.type;
        header += ' ';
        header += b.name;
        header += ";\n";
    }
    header += "#line 1\n";
    if (out) *out = header + body;
    return true;
}

}  // namespace cocos2d
