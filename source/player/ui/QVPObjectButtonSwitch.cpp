#include "player/ui/QVPObjectButtonSwitch.h"

#include "model/classes/QVModelObjectButton.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/app/QVSwitchStates.h"

QVPObjectButtonSwitch* QVPObjectButtonSwitch::create() {
    auto* button = new QVPObjectButtonSwitch();
    button->autorelease();
    return button;
}

void QVPObjectButtonSwitch::setModel(std::shared_ptr<QVModelObjectButton> model) {
    QVPObjectButton::setModel(std::move(model));
    if (const std::optional<bool> stored = switchState(getModel())) m_state = *stored;
}

void QVPObjectButtonSwitch::selected() {
    CCMenuItemSprite::selected();
    const std::shared_ptr<QVModelObjectButton> model = getModel();
    // Another switch of the same model, or a flip of them all, may have
    // changed it since.
    if (const std::optional<bool> stored = switchState(model)) m_state = *stored;
    if (isEnabled() && model) QVSound::playOnce(model->clickSound(), 0);
    m_state = !m_state;
    retain();  // a listener may remove the switch
    QVPInputController::shared()->notifyAction(this, m_state ? kActionOn : kActionOff, 0);
    setSwitchState(model, m_state);
    release();
}

void QVPObjectButtonSwitch::unselected() {
    CCMenuItemSprite::unselected();
    if (isEnabled() && getModel()) QVSound::playOnce(getModel()->releaseSound(), 0);
}
