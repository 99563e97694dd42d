// Plist bytes through the reader and into the sprite-frame cache.
#include <cstddef>
#include <cstdint>

#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "frames/PlistReader.h"
#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "textures/CCTexture2D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace cocos2d;
    static CCTexture2D* texture = [] {
        static const unsigned char pixel[4] = {255, 255, 255, 255};
        auto* t = new CCTexture2D();
        t->initWithData(pixel, kCCTexture2DPixelFormat_RGBA8888, 1, 1, CCSizeMake(1, 1));
        return t;
    }();
    CCDictionary* atlas = plist::dictionaryFromData(reinterpret_cast<const char*>(data), size, "fuzz.plist");
    CCSpriteFrameCache* cache = CCSpriteFrameCache::sharedSpriteFrameCache();
    cache->addSpriteFramesWithDictionary(atlas, texture);
    // Read back what was stored through the public lookups.
    if (atlas) {
        if (auto* frames = dynamic_cast<CCDictionary*>(atlas->objectForKey("frames"))) {
            for (const auto& entry : frames->entries()) {
                if (CCSpriteFrame* f = cache->spriteFrameByName(entry.first.c_str())) {
                    (void)f->getRect();
                    (void)f->getTexture()->getPixelsWide();
                }
            }
        }
    }
    cache->removeSpriteFrames();
    CCPoolManager::sharedPoolManager()->finalize();
    return 0;
}
