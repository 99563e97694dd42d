#include "model/classes/QVModelObjectButtonKinds.h"

#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVNumeric.h"

QVBaseModelObjectButtonPowerup::QVBaseModelObjectButtonPowerup(const std::string& name)
    : QVModelObjectButton(name) QV_OBJECT_BUTTON_POWERUP_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_action->setName("Powerup Selection", true);
    placeAfter(m_action, {m_forceActionOnPress, m_layering, m_visibilityThreshold});
    m_labelScale->setValue(0.5f, true);
    m_labelVerticalSpacing->setValue(100.0f, true);
    m_maxRefill->setValue(3.0f, true);
}

QVBaseModelObjectButtonPowerup::QVBaseModelObjectButtonPowerup(const QVBaseModelObjectButtonPowerup& source)
    : QVModelObjectButton(source) QV_OBJECT_BUTTON_POWERUP_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

int32_t QVBaseModelObjectButtonPowerup::powerupSelectionId() const { return parseDecimal<int32_t>(action()); }
bool QVBaseModelObjectButtonPowerup::forceActionOnPress() const { return qvread::value(m_forceActionOnPress); }
bool QVBaseModelObjectButtonPowerup::isLayeringAboveCharacter() const {
    return qvread::text(m_layering) == "kAboveCharacter";
}
float QVBaseModelObjectButtonPowerup::visibilityThreshold() const { return qvread::value(m_visibilityThreshold); }
const cocos2d::CCPoint& QVBaseModelObjectButtonPowerup::labelOffset() const {
    static const cocos2d::CCPoint kNone;
    return m_labelOffset ? m_labelOffset->value() : kNone;
}
float QVBaseModelObjectButtonPowerup::labelScale() const { return qvread::value(m_labelScale); }
float QVBaseModelObjectButtonPowerup::labelVerticalSpacing() const { return qvread::value(m_labelVerticalSpacing); }
bool QVBaseModelObjectButtonPowerup::unlimitedUse() const { return qvread::value(m_unlimitedUse); }
float QVBaseModelObjectButtonPowerup::maxRefill() const { return qvread::value(m_maxRefill); }
float QVBaseModelObjectButtonPowerup::refillTimeout() const { return qvread::value(m_refillTimeout); }
bool QVBaseModelObjectButtonPowerup::refillAtStart() const { return qvread::value(m_refillAtStart); }

QVModelObjectButtonPowerup::QVModelObjectButtonPowerup(const std::string& name)
    : QVBaseModelObjectButtonPowerup(name) {}
QVModelObjectButtonPowerup::QVModelObjectButtonPowerup(const QVModelObjectButtonPowerup& source)
    : QVBaseModelObjectButtonPowerup(source) {}

QVBaseModelObjectButtonPurchase::QVBaseModelObjectButtonPurchase(const std::string& name)
    : QVModelObjectButton(name) QV_OBJECT_BUTTON_PURCHASE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_action->setName("Powerup Selection");
    placeAfter(m_action, {m_type, m_visibilityThreshold});
    m_quantity->setValue(1.0f, true);
}

QVBaseModelObjectButtonPurchase::QVBaseModelObjectButtonPurchase(const QVBaseModelObjectButtonPurchase& source)
    : QVModelObjectButton(source) QV_OBJECT_BUTTON_PURCHASE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

int32_t QVBaseModelObjectButtonPurchase::powerupSelectionId() const { return parseDecimal<int32_t>(action()); }
std::string QVBaseModelObjectButtonPurchase::purchaseType() const { return qvread::text(m_type); }
float QVBaseModelObjectButtonPurchase::visibilityThreshold() const { return qvread::value(m_visibilityThreshold); }
bool QVBaseModelObjectButtonPurchase::buyAndUse() const { return qvread::value(m_buyAndUse); }
float QVBaseModelObjectButtonPurchase::quantity() const { return qvread::value(m_quantity); }
float QVBaseModelObjectButtonPurchase::price() const { return qvread::value(m_price); }
std::shared_ptr<QVModelSound> QVBaseModelObjectButtonPurchase::purchaseComplete() const {
    return qvread::linked(m_purchaseComplete);
}
const std::string& QVBaseModelObjectButtonPurchase::oneTimePurchase() const { return qvread::text(m_oneTimePurchase); }
const std::string& QVBaseModelObjectButtonPurchase::adNetwork() const { return qvread::text(m_adNetwork); }
const std::string& QVBaseModelObjectButtonPurchase::storeIdentifier() const { return qvread::text(m_storeIdentifier); }
const std::string& QVBaseModelObjectButtonPurchase::purchaseMethod() const { return qvread::text(m_purchaseMethod); }

QVModelObjectButtonPurchase::QVModelObjectButtonPurchase(const std::string& name)
    : QVBaseModelObjectButtonPurchase(name) {}
QVModelObjectButtonPurchase::QVModelObjectButtonPurchase(const QVModelObjectButtonPurchase& source)
    : QVBaseModelObjectButtonPurchase(source) {}

QVBaseModelObjectButtonCharacterUnlock::QVBaseModelObjectButtonCharacterUnlock(const std::string& name)
    : QVModelObjectButton(name) QV_OBJECT_BUTTON_CHARACTER_UNLOCK_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVBaseModelObjectButtonCharacterUnlock::QVBaseModelObjectButtonCharacterUnlock(
    const QVBaseModelObjectButtonCharacterUnlock& source)
    : QVModelObjectButton(source) QV_OBJECT_BUTTON_CHARACTER_UNLOCK_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const std::string& QVBaseModelObjectButtonCharacterUnlock::character() const { return qvread::text(m_character); }
bool QVBaseModelObjectButtonCharacterUnlock::showWhenSelected() const { return qvread::value(m_showWhenSelected); }

QVModelObjectButtonCharacterUnlock::QVModelObjectButtonCharacterUnlock(const std::string& name)
    : QVBaseModelObjectButtonCharacterUnlock(name) {}
QVModelObjectButtonCharacterUnlock::QVModelObjectButtonCharacterUnlock(const QVModelObjectButtonCharacterUnlock& source)
    : QVBaseModelObjectButtonCharacterUnlock(source) {}

QVBaseModelObjectLockButton::QVBaseModelObjectLockButton(const std::string& name)
    : QVModelObjectButton(name) QV_OBJECT_LOCK_BUTTON_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    placeAfter(m_imageSelected, {m_lockedImage, m_lockedImageSelected});
    placeAfter(m_action,
               {m_unlock, m_price, m_storeIdentifier, m_destination, m_world, m_scene, m_autoFollow, m_autoLock});
}

QVBaseModelObjectLockButton::QVBaseModelObjectLockButton(const QVBaseModelObjectLockButton& source)
    : QVModelObjectButton(source) QV_OBJECT_LOCK_BUTTON_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelObjectLockButton::lockedImage() const {
    return m_lockedImage ? m_lockedImage->value() : nullptr;
}
std::shared_ptr<QVModelSpriteContainer> QVBaseModelObjectLockButton::lockedImageSelected() const {
    return m_lockedImageSelected ? m_lockedImageSelected->value() : nullptr;
}
const std::string& QVBaseModelObjectLockButton::unlock() const { return qvread::text(m_unlock); }
const std::string& QVBaseModelObjectLockButton::destination() const { return qvread::text(m_destination); }
const std::string& QVBaseModelObjectLockButton::storeIdentifier() const { return qvread::text(m_storeIdentifier); }
float QVBaseModelObjectLockButton::price() const { return qvread::value(m_price); }
const std::string& QVBaseModelObjectLockButton::scene() const { return qvread::text(m_scene); }
int32_t QVBaseModelObjectLockButton::sceneId() const { return parseDecimal<int32_t>(scene()); }
bool QVBaseModelObjectLockButton::autoFollow() const { return qvread::value(m_autoFollow); }
bool QVBaseModelObjectLockButton::autoLock() const { return qvread::value(m_autoLock); }

QVModelObjectLockButton::QVModelObjectLockButton(const std::string& name) : QVBaseModelObjectLockButton(name) {}
QVModelObjectLockButton::QVModelObjectLockButton(const QVModelObjectLockButton& source)
    : QVBaseModelObjectLockButton(source) {}
