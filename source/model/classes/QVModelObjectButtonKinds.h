// The button kinds with a table of their own: powerup, purchase, character
// unlock and lock. Their constructors rename or place inherited attributes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/classes/QVModelObjectButton.h"

// "Action" is renamed "Powerup Selection"; the first three rows follow it.
#define QV_OBJECT_BUTTON_POWERUP_ATTRIBUTES(X)                          \
    X(QVAttributeBool, forceActionOnPress, "Force Action on Press")     \
    X(QVAttributeStringList, layering, "Layering")                      \
    X(QVAttributeFloat, visibilityThreshold, "Visibility Threshold")    \
    X(QVAttributePoint, labelOffset, "Label Offset")                    \
    X(QVAttributeFloat, labelScale, "Label Scale")                      \
    X(QVAttributeFloat, labelVerticalSpacing, "Label Vertical Spacing") \
    X(QVAttributeBool, unlimitedUse, "Unlimited Use")                   \
    X(QVAttributeFloat, maxRefill, "Max Refill")                        \
    X(QVAttributeFloat, refillTimeout, "Refill Timeout")                \
    X(QVAttributeBool, refillAtStart, "Refill At Start")

class QVBaseModelObjectButtonPowerup : public QVModelObjectButton {
public:
    // The decimal id in "Powerup Selection", 0 when there is none.
    int32_t powerupSelectionId() const;
    bool forceActionOnPress() const;
    bool isLayeringAboveCharacter() const;
    float visibilityThreshold() const;
    const cocos2d::CCPoint& labelOffset() const;
    float labelScale() const;
    float labelVerticalSpacing() const;
    bool unlimitedUse() const;
    float maxRefill() const;
    float refillTimeout() const;
    bool refillAtStart() const;

protected:
    explicit QVBaseModelObjectButtonPowerup(const std::string& name);
    QVBaseModelObjectButtonPowerup(const QVBaseModelObjectButtonPowerup& source);

    QV_OBJECT_BUTTON_POWERUP_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectButtonPowerup : public QVBaseModelObjectButtonPowerup {
    QV_MODEL_GLUE(QVModelObjectButtonPowerup, "Action Button", QVModelObjectButton, QVModelObjectImage, QVModelObject,
                  QVModelCompound, QVModel)
public:
    explicit QVModelObjectButtonPowerup(const std::string& name);
    QVModelObjectButtonPowerup(const QVModelObjectButtonPowerup& source);
};

// "Action" is renamed "Powerup Selection"; the first two rows follow it.
#define QV_OBJECT_BUTTON_PURCHASE_ATTRIBUTES(X)                      \
    X(QVAttributeStringList, type, "Type")                           \
    X(QVAttributeFloat, visibilityThreshold, "Visibility Threshold") \
    X(QVAttributeBool, buyAndUse, "Buy And Use")                     \
    X(QVAttributeFloat, quantity, "Quantity")                        \
    X(QVAttributeSound, purchaseComplete, "Purchase Complete")       \
    X(QVAttributeStringList, purchaseMethod, "Purchase Method")      \
    X(QVAttributeFloat, price, "Price")                              \
    X(QVAttributeStringList, oneTimePurchase, "One Time Purchase")   \
    X(QVAttributeString, storeIdentifier, "Store Identifier")        \
    X(QVAttributeStringList, adNetwork, "Ad Network")

class QVBaseModelObjectButtonPurchase : public QVModelObjectButton {
public:
    int32_t powerupSelectionId() const;
    // "Type" (type() is the class id).
    std::string purchaseType() const;
    float visibilityThreshold() const;
    bool buyAndUse() const;
    float quantity() const;
    float price() const;
    std::shared_ptr<QVModelSound> purchaseComplete() const;
    const std::string& oneTimePurchase() const;
    const std::string& adNetwork() const;
    const std::string& storeIdentifier() const;
    const std::string& purchaseMethod() const;

protected:
    explicit QVBaseModelObjectButtonPurchase(const std::string& name);
    QVBaseModelObjectButtonPurchase(const QVBaseModelObjectButtonPurchase& source);

    QV_OBJECT_BUTTON_PURCHASE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectButtonPurchase : public QVBaseModelObjectButtonPurchase {
    QV_MODEL_GLUE(QVModelObjectButtonPurchase, "Purchase Button", QVModelObjectButton, QVModelObjectImage,
                  QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectButtonPurchase(const std::string& name);
    QVModelObjectButtonPurchase(const QVModelObjectButtonPurchase& source);
};

#define QV_OBJECT_BUTTON_CHARACTER_UNLOCK_ATTRIBUTES(X) \
    X(QVAttributeStringList, character, "Character")    \
    X(QVAttributeBool, showWhenSelected, "Show When Selected")

class QVBaseModelObjectButtonCharacterUnlock : public QVModelObjectButton {
public:
    const std::string& character() const;
    bool showWhenSelected() const;

protected:
    explicit QVBaseModelObjectButtonCharacterUnlock(const std::string& name);
    QVBaseModelObjectButtonCharacterUnlock(const QVBaseModelObjectButtonCharacterUnlock& source);

    QV_OBJECT_BUTTON_CHARACTER_UNLOCK_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectButtonCharacterUnlock : public QVBaseModelObjectButtonCharacterUnlock {
    QV_MODEL_GLUE(QVModelObjectButtonCharacterUnlock, "Single Unlock", QVModelObjectButton, QVModelObjectImage,
                  QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectButtonCharacterUnlock(const std::string& name);
    QVModelObjectButtonCharacterUnlock(const QVModelObjectButtonCharacterUnlock& source);
};

// The two images follow "Image Selected"; the other rows follow "Action".
#define QV_OBJECT_LOCK_BUTTON_ATTRIBUTES(X)                            \
    X(QVAttributeSprite, lockedImage, "Locked Image")                  \
    X(QVAttributeSprite, lockedImageSelected, "Locked Image Selected") \
    X(QVAttributeStringList, unlock, "Unlock")                         \
    X(QVAttributeFloat, price, "Price")                                \
    X(QVAttributeString, storeIdentifier, "Store Identifier")          \
    X(QVAttributeStringList, destination, "Destination")               \
    X(QVAttributeStringList, world, "World")                           \
    X(QVAttributeStringList, scene, "Scene")                           \
    X(QVAttributeBool, autoFollow, "Auto Follow")                      \
    X(QVAttributeBool, autoLock, "Auto Lock")

class QVBaseModelObjectLockButton : public QVModelObjectButton {
public:
    std::shared_ptr<QVModelSpriteContainer> lockedImage() const;
    std::shared_ptr<QVModelSpriteContainer> lockedImageSelected() const;
    const std::string& unlock() const;
    const std::string& destination() const;
    const std::string& storeIdentifier() const;
    float price() const;
    // "Scene" as stored, and as a decimal id (0 when none).
    const std::string& scene() const;
    int32_t sceneId() const;
    bool autoFollow() const;
    bool autoLock() const;

protected:
    explicit QVBaseModelObjectLockButton(const std::string& name);
    QVBaseModelObjectLockButton(const QVBaseModelObjectLockButton& source);

    QV_OBJECT_LOCK_BUTTON_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectLockButton : public QVBaseModelObjectLockButton {
    QV_MODEL_GLUE(QVModelObjectLockButton, "Lock Button", QVModelObjectButton, QVModelObjectImage, QVModelObject,
                  QVModelCompound, QVModel)
public:
    explicit QVModelObjectLockButton(const std::string& name);
    QVModelObjectLockButton(const QVModelObjectLockButton& source);
};
