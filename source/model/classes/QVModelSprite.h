// QVModelSprite: one image of the game. Its frame lives in an atlas loaded
// into the sprite-frame cache under "QVModelSprite_ID<id>"; its own image
// and effects files serve only `texture`.
#pragma once

#include <string>

#include "math/CCGeometry.h"
#include "model/classes/QVAttributeTable.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

namespace cocos2d {
class CCSprite;
class CCSpriteFrame;
class CCTexture2D;
}  // namespace cocos2d

#define QV_SPRITE_ATTRIBUTES(X)                   \
    X(QVAttributeSize, size, "Size")              \
    X(QVAttributeRect, sourceRect, "Source Rect") \
    X(QVAttributeSize, sourceSize, "SourceSize")  \
    X(QVAttributePoint, offset, "Offset")

class QVBaseModelSprite : public QVModel {
public:
    // data path + "/images/QVModelSprite_ID<id>.png".
    virtual std::string imagePath() const;
    // data path + "/effects/QVModelSprite_ID<id>.png".
    virtual std::string effectsPath() const;
    // The effects file's texture when there is one, else the image's; null
    // when neither file exists.
    virtual cocos2d::CCTexture2D* texture() const;

    // "QVModelSprite_ID<id>".
    std::string frameName() const;
    // A new autoreleased sprite of the frame, anchored at its centre; null
    // when the frame cache lacks the frame.
    cocos2d::CCSprite* createSprite() const;
    cocos2d::CCSpriteFrame* spriteFrame() const;
    const cocos2d::CCSize& size() const;
    const cocos2d::CCSize& sourceSize() const;

protected:
    explicit QVBaseModelSprite(const std::string& name);
    QVBaseModelSprite(const QVBaseModelSprite& source);

    QV_SPRITE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelSprite : public QVBaseModelSprite {
    QV_MODEL_GLUE(QVModelSprite, "", QVModel)
public:
    explicit QVModelSprite(const std::string& name);
    QVModelSprite(const QVModelSprite& source);
};
