// QVModelSpriteContainer: an ordered group of sprites shown as a still or as
// a frame animation at 30 frames per second. Its sprite list holds the
// children of exactly class QVModelSprite, in child order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "math/CCGeometry.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVChildList.h"
#include "model/classes/QVModelSprite.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

#define QV_SPRITE_CONTAINER_ATTRIBUTES(X)                  \
    X(QVAttributeFloat, animationSpeed, "Animation Speed") \
    X(QVAttributeFloat, duration, "Duration")              \
    X(QVAttributeBool, excludedFromAtlas, "Excluded From Atlas")

// The frame action's tag on a sprite from getSprite.
constexpr int kQVSpriteFrameActionTag = 76;

class QVBaseModelSpriteContainer : public QVModel {
public:
    ~QVBaseModelSpriteContainer() override;

    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

    float animationSpeed() const;
    float duration() const;
    bool excludedFromAtlas() const;
    // Clamped; notifies only when the value changes.
    void setExcludedFromAtlas(bool excluded, bool silent = false);

    const std::vector<std::shared_ptr<QVModelSprite>>& sprites() const { return m_sprites.items(); }
    // The offset of an asset's default collision box; (0, 0) until set.
    const cocos2d::CCPoint& collisionOffset() const { return m_collisionOffset; }
    void setCollisionOffset(const cocos2d::CCPoint& offset) { m_collisionOffset = offset; }

    // An autoreleased sprite of the first frame carrying one extra retain
    // (the caller releases it); with several sprites it runs the frame
    // animation under kQVSpriteFrameActionTag, for ever or once. Null (and
    // logged) without sprites or without the first frame.
    cocos2d::CCSprite* getSprite(float speedFactor, bool loop) const;
    // Frame `index` modulo the sprite count; null (logged) without sprites.
    cocos2d::CCSpriteFrame* getSpriteFrame(unsigned index) const;
    // The texture of sprite `index`; null past the end.
    cocos2d::CCTexture2D* getTexture(unsigned index) const;
    // "Size" and "SourceSize" of the sprite shown at `time` (seconds); the
    // zero size without sprites.
    cocos2d::CCSize sizeAt(float time) const;
    cocos2d::CCSize spriteSize(float time) const;

protected:
    explicit QVBaseModelSpriteContainer(const std::string& name);
    QVBaseModelSpriteContainer(const QVBaseModelSpriteContainer& source);

    QV_SPRITE_CONTAINER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)

private:
    // The sprite shown at `time`, or null without sprites.
    const QVModelSprite* spriteAt(float time) const;

    QVChildList<QVModelSprite, QVChildMatch::kExactClass> m_sprites;
    cocos2d::CCPoint m_collisionOffset;
};

class QVModelSpriteContainer : public QVBaseModelSpriteContainer {
    QV_MODEL_GLUE(QVModelSpriteContainer, "", QVModel)
public:
    explicit QVModelSpriteContainer(const std::string& name);
    QVModelSpriteContainer(const QVModelSpriteContainer& source);
};
