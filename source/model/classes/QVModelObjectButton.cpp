#include "model/classes/QVModelObjectButton.h"

#include <climits>
#include <cmath>

#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNeutralRead.h"
#include "model/classes/QVNode.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"

namespace {

// Whether a registered model of exactly that class has this "Name".
bool hasModelNamed(uint32_t classTypeId, const std::string& name) {
    for (const std::shared_ptr<QVModel>& model : QVModelController::shared()->getModels(classTypeId)) {
        if (model->name() == name) return true;
    }
    return false;
}

}  // namespace

QVBaseModelObjectButton::QVBaseModelObjectButton(const std::string& name)
    : QVModelObjectImage(name) QV_OBJECT_BUTTON_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    placeAfter(m_image, {m_imageSelected});
    m_blockTouch->setValue(true, true);
    m_touchEmulation->setRange(-1.0f, 1.0f);
}

QVBaseModelObjectButton::QVBaseModelObjectButton(const QVBaseModelObjectButton& source)
    : QVModelObjectImage(source) QV_OBJECT_BUTTON_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

void QVBaseModelObjectButton::placeAfter(const QVAttribute* anchor, std::initializer_list<QVAttribute*> moved) {
    for (QVAttribute* attribute : moved) removeAttribute(attribute);
    unsigned index = static_cast<unsigned>(attributeIndex(anchor) + 1);
    for (QVAttribute* attribute : moved) addAttribute(attribute, index++);
}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelObjectButton::imageSelected() const {
    return m_imageSelected ? m_imageSelected->value() : nullptr;
}
std::shared_ptr<QVModelSound> QVBaseModelObjectButton::clickSound() const { return qvread::linked(m_clickSound); }
std::shared_ptr<QVModelSound> QVBaseModelObjectButton::releaseSound() const { return qvread::linked(m_releaseSound); }
const std::string& QVBaseModelObjectButton::action() const { return qvread::text(m_action); }
float QVBaseModelObjectButton::interval() const { return qvread::value(m_interval); }
int32_t QVBaseModelObjectButton::keyboardKey() const { return qvread::value(m_keyboardKey); }
bool QVBaseModelObjectButton::blockTouch() const { return qvread::value(m_blockTouch); }

bool QVBaseModelObjectButton::isTouchEmulated(float time, int state) const {
    return m_touchEmulation && m_touchEmulation->animatedValue(state, time) >= 0.5f;
}

std::string QVBaseModelObjectButton::backToUi() const {
    const std::string& backTo = qvread::text(m_backTo);
    if (!qvread::text(m_backToWorld).empty()) return backTo;
    // Exact class: a start node is no place to go back to.
    return hasModelNamed(typeId<QVNodeUI>(), backTo) ? backTo : std::string();
}

std::string QVBaseModelObjectButton::backToWorld() const {
    const std::string& world = qvread::text(m_backToWorld);
    if (!world.empty()) return world;
    const std::string& backTo = qvread::text(m_backTo);
    return hasModelNamed(typeId<QVNodeScene>(), backTo) ? backTo : std::string();
}

void QVBaseModelObjectButton::resetIntervalCounter() {
    m_intervalCounter = truncToInt(interval());
    m_intervalBlocked = false;
}

void QVBaseModelObjectButton::decrementIntervalCounter() {
    if (m_intervalCounter > INT_MIN) --m_intervalCounter;
    m_intervalBlocked = false;
}

bool QVBaseModelObjectButton::intervalReached() const {
    if (m_intervalBlocked) return false;
    // An interval below 1 (or not a number) has no whole part to count by.
    const int whole = truncToInt(interval());
    if (whole <= 0) return true;
    return (static_cast<int64_t>(m_intervalCounter) - 1) % whole == 0;
}

QVModelObjectButton::QVModelObjectButton(const std::string& name) : QVBaseModelObjectButton(name) {}
QVModelObjectButton::QVModelObjectButton(const QVModelObjectButton& source) : QVBaseModelObjectButton(source) {}

QVModelObjectButtonControl::QVModelObjectButtonControl(const std::string& name) : QVModelObjectButton(name) {}
QVModelObjectButtonControl::QVModelObjectButtonControl(const QVModelObjectButtonControl& source)
    : QVModelObjectButton(source) {}

QVModelObjectButtonUrl::QVModelObjectButtonUrl(const std::string& name)
    : QVModelObjectButton(name) QV_OBJECT_BUTTON_URL_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}
QVModelObjectButtonUrl::QVModelObjectButtonUrl(const QVModelObjectButtonUrl& source)
    : QVModelObjectButton(source) QV_OBJECT_BUTTON_URL_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}
const std::string& QVModelObjectButtonUrl::url() const { return qvread::text(m_url); }

QVModelObjectButtonFacebook::QVModelObjectButtonFacebook(const std::string& name)
    : QVModelObjectButtonUrl(name) QV_OBJECT_BUTTON_FACEBOOK_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_url->setName("Facebook URL");
}
QVModelObjectButtonFacebook::QVModelObjectButtonFacebook(const QVModelObjectButtonFacebook& source)
    : QVModelObjectButtonUrl(source) QV_OBJECT_BUTTON_FACEBOOK_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}
const std::string& QVModelObjectButtonFacebook::facebookId() const { return qvread::text(m_facebookId); }

QVModelObjectButtonSoundControl::QVModelObjectButtonSoundControl(const std::string& name) : QVModelObjectButton(name) {
    m_image->setName("Sound is ON", true);
    m_imageSelected->setName("Sound is OFF", true);
}
QVModelObjectButtonSoundControl::QVModelObjectButtonSoundControl(const QVModelObjectButtonSoundControl& source)
    : QVModelObjectButton(source) {}

QVModelObjectButtonSwitch::QVModelObjectButtonSwitch(const std::string& name) : QVModelObjectButton(name) {
    m_action->setValue("kInputControllerActionButton", true);
}
QVModelObjectButtonSwitch::QVModelObjectButtonSwitch(const QVModelObjectButtonSwitch& source)
    : QVModelObjectButton(source) {}
