#include "textures/CCTextureCache.h"

#include <cstdlib>

#include "platform/CCCommon.h"
#include "textures/CCImage.h"
#include "textures/ResourceFiles.h"
#include "textures/CCTexture2D.h"

namespace cocos2d {

namespace {
CCTextureCache* g_sharedCache = nullptr;
}

CCTextureCache* CCTextureCache::sharedTextureCache() {
    if (!g_sharedCache) g_sharedCache = new CCTextureCache();
    return g_sharedCache;
}

void CCTextureCache::purgeSharedTextureCache() {
    CCTextureCache* cache = g_sharedCache;
    g_sharedCache = nullptr;
    if (cache) cache->release();
}

CCTextureCache::~CCTextureCache() { removeAllTextures(); }

CCTexture2D* CCTextureCache::addImage(const char* path) {
    if (!path || !*path) {
        CCLog("[CCTextureCache] addImage: empty path");
        return nullptr;
    }
    const std::string key = resource::fullPath(path);
    auto it = m_textures.find(key);
    if (it != m_textures.end()) return it->second;

    size_t size = 0;
    unsigned char* bytes = resource::readAll(key, &size);
    if (!bytes) {
        CCLogOnce("[CCTextureCache] cannot read %s", path);
        return nullptr;
    }
    CCImage image;
    const bool decoded = image.decodePng(bytes, size, true);
    std::free(bytes);
    if (!decoded) {
        CCLogOnce("[CCTextureCache] cannot decode %s: %s", path, image.lastError().c_str());
        return nullptr;
    }
    auto* texture = new CCTexture2D();
    if (!texture->initWithImage(&image)) {
        texture->release();
        CCLogOnce("[CCTextureCache] cannot create a texture for %s", path);
        return nullptr;
    }
    m_textures.emplace(key, texture);  // the cache's reference
    return texture;
}

CCTexture2D* CCTextureCache::textureForKey(const char* key) const {
    if (!key || !*key) return nullptr;
    auto it = m_textures.find(resource::fullPath(key));
    return it == m_textures.end() ? nullptr : it->second;
}

void CCTextureCache::removeTextureForKey(const char* key) {
    if (!key || !*key) return;
    auto it = m_textures.find(resource::fullPath(key));
    if (it == m_textures.end()) return;
    CCTexture2D* texture = it->second;
    m_textures.erase(it);
    texture->release();
}

void CCTextureCache::removeAllTextures() {
    // Swap first so a texture's destructor cannot see a half-cleared map.
    std::unordered_map<std::string, CCTexture2D*> textures;
    textures.swap(m_textures);
    for (auto& entry : textures) entry.second->release();
}

}  // namespace cocos2d
