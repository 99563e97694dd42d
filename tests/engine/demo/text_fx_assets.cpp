#include "text_fx_assets.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

TextFxAssets::TextFxAssets() {
    char pattern[] = "/tmp/qv-engine-demo-XXXXXX";
    if (const char* made = ::mkdtemp(pattern)) {
        m_dir = made;
    } else {
        std::fprintf(stderr, "[engine_demo] cannot create an asset folder under /tmp\n");
    }
}

TextFxAssets::~TextFxAssets() {
    for (const std::string& f : m_files) std::remove(f.c_str());
    if (!m_dir.empty()) ::rmdir(m_dir.c_str());
}

bool TextFxAssets::writePng(const std::string& name, unsigned int w, unsigned int h, const std::vector<uint8_t>& rgba) {
    if (!ok() || rgba.size() != static_cast<size_t>(w) * h * 4) return false;
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    image.format = PNG_FORMAT_RGBA;
    const std::string file = path(name);
    m_files.push_back(file);
    if (!png_image_write_to_file(&image, file.c_str(), 0, rgba.data(), 0, nullptr)) {
        std::fprintf(stderr, "[engine_demo] cannot write %s: %s\n", file.c_str(), image.message);
        return false;
    }
    return true;
}

bool TextFxAssets::writeText(const std::string& name, const std::string& text) {
    if (!ok()) return false;
    const std::string file = path(name);
    m_files.push_back(file);
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "[engine_demo] cannot write %s\n", file.c_str());
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}
