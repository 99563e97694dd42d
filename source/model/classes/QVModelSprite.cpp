#include "model/classes/QVModelSprite.h"

#include "frames/CCSpriteFrameCache.h"
#include "model/classes/QVModelMediaPath.h"
#include "platform/CCFileUtils.h"
#include "sprite/CCSprite.h"
#include "textures/CCTextureCache.h"

using namespace cocos2d;

QVBaseModelSprite::QVBaseModelSprite(const std::string& name) : QVModel(name) QV_SPRITE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVBaseModelSprite::QVBaseModelSprite(const QVBaseModelSprite& source)
    : QVModel(source) QV_SPRITE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::string QVBaseModelSprite::imagePath() const { return qvMediaPath("/images/QVModelSprite_ID", id(), ".png"); }

std::string QVBaseModelSprite::effectsPath() const { return qvMediaPath("/effects/QVModelSprite_ID", id(), ".png"); }

CCTexture2D* QVBaseModelSprite::texture() const {
    CCTextureCache* cache = CCTextureCache::sharedTextureCache();
    CCFileUtils* files = CCFileUtils::sharedFileUtils();
    // The effects file, when there is one, wins over the image.
    for (const std::string& path : {effectsPath(), imagePath()}) {
        if (CCTexture2D* cached = cache->textureForKey(path.c_str())) return cached;
        if (!files->isFileExist(files->fullPathForFilename(path))) continue;
        if (CCTexture2D* loaded = cache->addImage(path.c_str())) return loaded;
    }
    return nullptr;
}

std::string QVBaseModelSprite::frameName() const { return qvMediaName("QVModelSprite_ID", id()); }

CCSprite* QVBaseModelSprite::createSprite() const {
    CCSprite* sprite = CCSprite::createWithSpriteFrameName(frameName().c_str());
    if (sprite) sprite->setAnchorPoint(CCPoint(0.5f, 0.5f));
    return sprite;
}

CCSpriteFrame* QVBaseModelSprite::spriteFrame() const {
    return CCSpriteFrameCache::sharedSpriteFrameCache()->spriteFrameByName(frameName().c_str());
}

const CCSize& QVBaseModelSprite::size() const {
    static const CCSize zero;
    return m_size ? m_size->value() : zero;
}

const CCSize& QVBaseModelSprite::sourceSize() const {
    static const CCSize zero;
    return m_sourceSize ? m_sourceSize->value() : zero;
}

QVModelSprite::QVModelSprite(const std::string& name) : QVBaseModelSprite(name) {}

QVModelSprite::QVModelSprite(const QVModelSprite& source) : QVBaseModelSprite(source) {}
