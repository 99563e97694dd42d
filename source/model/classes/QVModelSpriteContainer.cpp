#include "model/classes/QVModelSpriteContainer.h"

#include <cmath>
#include <limits>

#include "actions/CCActionInterval.h"
#include "platform/QVLog.h"
#include "sprite/CCSprite.h"

using namespace cocos2d;

namespace {
// The frame shown after `frames` frames have passed. Stored speeds may be
// negative and times are floats, so anything but a finite product >= 0 shows
// the first frame; large products wrap instead of overflowing.
size_t frameIndex(float frames, size_t count) {
    if (!std::isfinite(frames) || frames < 0.0f) return 0;
    return static_cast<size_t>(std::fmod(std::floor(static_cast<double>(frames)), static_cast<double>(count)));
}

// 1/30 s per frame divided by both speeds, in double. A delay beyond the
// float range becomes infinite rather than an undefined conversion.
float frameDelay(float speedFactor, float animationSpeed) {
    const double delay = 1.0 / 30.0 / speedFactor / animationSpeed;
    if (std::isfinite(delay) && std::fabs(delay) > std::numeric_limits<float>::max()) {
        return delay > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(delay);
}
}  // namespace

QVBaseModelSpriteContainer::QVBaseModelSpriteContainer(const std::string& name)
    : QVModel(name) QV_SPRITE_CONTAINER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_animationSpeed->setValue(1.0f, true);
}

// The sprite list fills again as the children are copied into the copy.
QVBaseModelSpriteContainer::QVBaseModelSpriteContainer(const QVBaseModelSpriteContainer& source)
    : QVModel(source) QV_SPRITE_CONTAINER_ATTRIBUTES(QV_ATTRIBUTE_COPY), m_collisionOffset(source.m_collisionOffset) {}

QVBaseModelSpriteContainer::~QVBaseModelSpriteContainer() { m_sprites.clear(); }

QV_CHILD_LIST_HOOKS(QVBaseModelSpriteContainer, QVModel, m_sprites)

float QVBaseModelSpriteContainer::animationSpeed() const { return m_animationSpeed ? m_animationSpeed->value() : 1.0f; }

float QVBaseModelSpriteContainer::duration() const { return m_duration ? m_duration->value() : 0.0f; }

bool QVBaseModelSpriteContainer::excludedFromAtlas() const {
    return m_excludedFromAtlas && m_excludedFromAtlas->value();
}

void QVBaseModelSpriteContainer::setExcludedFromAtlas(bool excluded, bool silent) {
    if (m_excludedFromAtlas) m_excludedFromAtlas->setValue(excluded, silent);
}

CCSprite* QVBaseModelSpriteContainer::getSprite(float speedFactor, bool loop) const {
    // A copy: creating sprites must not depend on the list staying put.
    const std::vector<std::shared_ptr<QVModelSprite>> sprites = m_sprites.items();
    if (sprites.empty()) {
        logMessage("QVBaseModelSpriteContainer::getSprite - no sprites are contained");
        return nullptr;
    }
    CCSprite* sprite = sprites.front()->createSprite();
    if (!sprite) {
        logMessage("QVBaseModelSpriteContainer::getSprite - a sprite model does not contain a sprite");
        return nullptr;
    }
    sprite->retain();
    if (sprites.size() == 1) return sprite;

    CCAnimation* animation = CCAnimation::create();
    for (const auto& each : sprites) animation->addSpriteFrame(each->spriteFrame());
    animation->setDelayPerUnit(frameDelay(speedFactor, animationSpeed()));
    CCAnimate* animate = CCAnimate::create(animation);
    CCAction* action = loop ? static_cast<CCAction*>(CCRepeatForever::create(animate))
                            : static_cast<CCAction*>(CCRepeat::create(animate, 1));
    action->setTag(kQVSpriteFrameActionTag);
    sprite->runAction(action);
    return sprite;
}

CCSpriteFrame* QVBaseModelSpriteContainer::getSpriteFrame(unsigned index) const {
    const auto& sprites = m_sprites.items();
    if (sprites.empty()) {
        logMessage("QVBaseModelSpriteContainer::getSpriteFrame - no sprites are contained");
        return nullptr;
    }
    return sprites[index % sprites.size()]->spriteFrame();
}

CCTexture2D* QVBaseModelSpriteContainer::getTexture(unsigned index) const {
    const auto& sprites = m_sprites.items();
    return index < sprites.size() ? sprites[index]->texture() : nullptr;
}

const QVModelSprite* QVBaseModelSpriteContainer::spriteAt(float time) const {
    const auto& sprites = m_sprites.items();
    if (sprites.empty()) return nullptr;
    return sprites[frameIndex(animationSpeed() * time * 30.0f, sprites.size())].get();
}

CCSize QVBaseModelSpriteContainer::sizeAt(float time) const {
    const QVModelSprite* sprite = spriteAt(time);
    return sprite ? sprite->size() : CCSize();
}

CCSize QVBaseModelSpriteContainer::spriteSize(float time) const {
    const QVModelSprite* sprite = spriteAt(time);
    return sprite ? sprite->sourceSize() : CCSize();
}

QVModelSpriteContainer::QVModelSpriteContainer(const std::string& name) : QVBaseModelSpriteContainer(name) {}

QVModelSpriteContainer::QVModelSpriteContainer(const QVModelSpriteContainer& source)
    : QVBaseModelSpriteContainer(source) {}
