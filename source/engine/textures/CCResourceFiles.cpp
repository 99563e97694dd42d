#include "textures/CCResourceFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace cocos2d {
namespace resource {

namespace fs = std::filesystem;

std::string fullPath(const std::string& name) {
    std::error_code ec;
    if (name.empty()) return name;
    fs::path p(name);
    if (p.is_absolute()) return name;
    fs::path abs = fs::absolute(p, ec).lexically_normal();
    if (!ec && fs::is_regular_file(abs, ec)) return abs.string();
    return name;
}

bool exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

unsigned char* readAll(const std::string& path, size_t* size) {
    *size = 0;
    if (!exists(path)) return nullptr;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    std::error_code ec;
    auto len = fs::file_size(path, ec);
    if (ec || len > (256u << 20)) {
        std::fclose(f);
        return nullptr;
    }
    auto* buf = static_cast<unsigned char*>(std::malloc(len + 1));
    if (!buf) {
        std::fclose(f);
        return nullptr;
    }
    size_t got = std::fread(buf, 1, len, f);
    std::fclose(f);
    buf[got] = 0;
    *size = got;
    return buf;
}

}  // namespace resource
}  // namespace cocos2d
