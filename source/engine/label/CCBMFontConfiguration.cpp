#include "label/CCBMFontConfiguration.h"

#include <sys/stat.h>

#include <cstdlib>
#include <unordered_map>

#include "platform/CCCommon.h"
#include "platform/CCFileUtils.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

namespace cocos2d {

namespace {

std::unordered_map<std::string, CCBMFontConfiguration*>& cache() {
    static auto* configurations = new std::unordered_map<std::string, CCBMFontConfiguration*>();
    return *configurations;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

CCBMFontConfiguration* CCBMFontConfiguration::create(const char* fntFile) {
    auto* config = new CCBMFontConfiguration();
    if (!config->initWithFNTfile(fntFile)) {
        delete config;
        return nullptr;
    }
    config->autorelease();
    return config;
}

CCBMFontConfiguration::~CCBMFontConfiguration() {
    for (CCTexture2D* t : m_pages) CC_SAFE_RELEASE(t);
}

bool CCBMFontConfiguration::initWithFNTfile(const char* fntFile) {
    if (!fntFile || !*fntFile) {
        CCLog("[BMFont] no font file name");
        return false;
    }
    CCFileUtils* files = CCFileUtils::sharedFileUtils();
    m_fullPath = files->fullPathForFilename(fntFile);
    // The size is checked before reading, so an oversized file is never loaded.
    struct stat st;
    if (::stat(m_fullPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        CCLog("[BMFont] %s: file not found", fntFile);
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > bmfont::kMaxFileSize) {
        CCLog("[BMFont] %s: file larger than 1 MiB", fntFile);
        return false;
    }
    unsigned long size = 0;
    unsigned char* data = files->getFileData(m_fullPath.c_str(), "rb", &size);
    if (!data) {
        CCLog("[BMFont] %s: cannot be read", fntFile);
        return false;
    }
    std::string error;
    bool parsed = bmfont::parse(reinterpret_cast<const char*>(data), size, m_fullPath, &m_font, &error);
    std::free(data);
    if (!parsed) {
        CCLog("[BMFont] %s: %s", fntFile, error.c_str());
        return false;
    }

    const std::string folder = folderOf(m_fullPath);
    for (size_t i = 0; i < m_font.pages.size(); ++i) {
        const std::string pagePath = folder + m_font.pages[i];
        CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(pagePath.c_str());
        if (!texture) {
            CCLog("[BMFont] %s: page %zu \"%s\" missing or unreadable", fntFile, i, m_font.pages[i].c_str());
            return false;
        }
        texture->retain();
        m_pages.push_back(texture);
    }

    // A glyph must lie on its page, or it would sample beyond the texture.
    for (auto it = m_font.glyphs.begin(); it != m_font.glyphs.end();) {
        const bmfont::Glyph& g = it->second;
        const CCTexture2D* page = m_pages[g.page];
        if (static_cast<unsigned int>(g.x + g.width) > page->getPixelsWide() ||
            static_cast<unsigned int>(g.y + g.height) > page->getPixelsHigh()) {
            CCLog("[BMFont] %s: glyph %u (%d,%d %dx%d) lies outside page %u (%ux%u); dropped", fntFile, g.id, g.x, g.y,
                  g.width, g.height, g.page, page->getPixelsWide(), page->getPixelsHigh());
            it = m_font.glyphs.erase(it);
        } else {
            ++it;
        }
    }
    for (Placement& p : m_direct) p.page = kNoPage;
    for (const auto& entry : m_font.glyphs) {
        if (entry.first < kDirectGlyphs) m_direct[entry.first] = place(entry.second);
    }
    return true;
}

CCBMFontConfiguration::Placement CCBMFontConfiguration::place(const bmfont::Glyph& g) const {
    const CCTexture2D* page = pageTexture(g.page);
    const float texW = page && page->getPixelsWide() ? static_cast<float>(page->getPixelsWide()) : 1.0f;
    const float texH = page && page->getPixelsHigh() ? static_cast<float>(page->getPixelsHigh()) : 1.0f;
    Placement p;
    p.page = g.page;
    p.xoffset = static_cast<float>(g.xoffset);
    p.top = -static_cast<float>(g.yoffset);
    p.width = static_cast<float>(g.width);
    p.height = static_cast<float>(g.height);
    p.advance = static_cast<float>(g.xadvance);
    p.u0 = static_cast<float>(g.x) / texW;
    p.u1 = static_cast<float>(g.x + g.width) / texW;
    p.v0 = static_cast<float>(g.y) / texH;  // texture row 0 is the image's top row
    p.v1 = static_cast<float>(g.y + g.height) / texH;
    return p;
}

CCBMFontConfiguration* FNTConfigLoadFile(const char* fntFile) {
    if (!fntFile || !*fntFile) return nullptr;
    const std::string key = CCFileUtils::sharedFileUtils()->fullPathForFilename(fntFile);
    auto& configurations = cache();
    auto it = configurations.find(key);
    if (it != configurations.end()) return it->second;
    CCBMFontConfiguration* config = CCBMFontConfiguration::create(fntFile);
    if (!config) return nullptr;
    config->retain();
    configurations.emplace(key, config);
    return config;
}

void FNTConfigRemoveCache() {
    auto& configurations = cache();
    for (auto& entry : configurations) entry.second->release();
    configurations.clear();
}

unsigned int FNTConfigCacheCount() { return static_cast<unsigned int>(cache().size()); }

}  // namespace cocos2d
