#include "model/classes/QVModelSpriteContainer.h"

using namespace cocos2d;

QVBaseModelSpriteContainer::QVBaseModelSpriteContainer(const std::string& name)
    : QVModel(name) QV_SPRITE_CONTAINER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_animationSpeed->setValue(1.0f, true);
}

// The sprite list fills again as the children are copied into the copy.
QVBaseModelSpriteContainer::QVBaseModelSpriteContainer(const QVBaseModelSpriteContainer& source)
    : QVModel(source) QV_SPRITE_CONTAINER_ATTRIBUTES(QV_ATTRIBUTE_COPY),
      m_collisionOffset(source.m_collisionOffset) {}

QVBaseModelSpriteContainer::~QVBaseModelSpriteContainer() { m_sprites.clear(); }

void QVBaseModelSpriteContainer::childAdded(const std::shared_ptr<QVModel>& child) {
    QVModel::childAdded(child);
    m_sprites.added(child);
}

void QVBaseModelSpriteContainer::childRemoved(const std::shared_ptr<QVModel>& child) {
    QVModel::childRemoved(child);
    m_sprites.removed(child);
}

void QVBaseModelSpriteContainer::childrenCleared() {
    QVModel::childrenCleared();
    m_sprites.clear();
}

float QVBaseModelSpriteContainer::animationSpeed() const {
    return m_animationSpeed ? m_animationSpeed->value() : 1.0f;
}

float QVBaseModelSpriteContainer::duration() const { return m_duration ? m_duration->value() : 0.0f; }

bool QVBaseModelSpriteContainer::excludedFromAtlas() const {
    return m_excludedFromAtlas && m_excludedFromAtlas->value();
}

void QVBaseModelSpriteContainer::setExcludedFromAtlas(bool excluded, bool silent) {
    if (m_excludedFromAtlas) m_excludedFromAtlas->setValue(excluded, silent);
}

CCSprite* QVBaseModelSpriteContainer::getSprite(float, bool) const { return nullptr; }
CCSpriteFrame* QVBaseModelSpriteContainer::getSpriteFrame(unsigned) const { return nullptr; }
CCTexture2D* QVBaseModelSpriteContainer::getTexture(unsigned) const { return nullptr; }
const QVModelSprite* QVBaseModelSpriteContainer::spriteAt(float) const { return nullptr; }
CCSize QVBaseModelSpriteContainer::sizeAt(float) const { return CCSize(); }
CCSize QVBaseModelSpriteContainer::spriteSize(float) const { return CCSize(); }

QVModelSpriteContainer::QVModelSpriteContainer(const std::string& name) : QVBaseModelSpriteContainer(name) {}

QVModelSpriteContainer::QVModelSpriteContainer(const QVModelSpriteContainer& source)
    : QVBaseModelSpriteContainer(source) {}
