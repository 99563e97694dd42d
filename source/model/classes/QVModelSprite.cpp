#include "model/classes/QVModelSprite.h"

#include <cstdio>

#include "model/core/QVModelController.h"
#include "sprite/CCSprite.h"
#include "frames/CCSpriteFrameCache.h"
#include "platform/CCFileUtils.h"
#include "textures/CCTextureCache.h"

using namespace cocos2d;

namespace {
// data path + folder + prefix + id + extension.
std::string mediaPath(const char* folderAndPrefix, uint32_t id, const char* extension) {
    char number[16];
    std::snprintf(number, sizeof number, "%u", id);
    return QVModelController::shared()->dataPath() + folderAndPrefix + number + extension;
}
}  // namespace

QVBaseModelSprite::QVBaseModelSprite(const std::string& name) : QVModel(name) QV_SPRITE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVBaseModelSprite::QVBaseModelSprite(const QVBaseModelSprite& source)
    : QVModel(source) QV_SPRITE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::string QVBaseModelSprite::imagePath() const { return mediaPath("/images/QVModelSprite_ID", id(), ".png"); }

std::string QVBaseModelSprite::effectsPath() const { return mediaPath("/effects/QVModelSprite_ID", id(), ".png"); }

CCTexture2D* QVBaseModelSprite::texture() const { return nullptr; }

std::string QVBaseModelSprite::frameName() const { return mediaPath("", id(), ""); }

CCSprite* QVBaseModelSprite::createSprite() const { return nullptr; }

CCSpriteFrame* QVBaseModelSprite::spriteFrame() const { return nullptr; }

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
