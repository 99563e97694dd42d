#include "player/ui/QVPObjectButton.h"

#include <set>
#include <utility>

#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVTypeId.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/app/QVUtilities.h"
#include "player/screens/QVPScreen.h"
#include "player/ui/QVObjectModelHolder.h"
#include "player/ui/QVPObjectButtonLinks.h"
#include "player/ui/QVPObjectButtonLock.h"
#include "player/ui/QVPObjectButtonPowerup.h"
#include "player/ui/QVPObjectButtonPurchase.h"
#include "player/ui/QVPObjectButtonSwitch.h"
#include "player/ui/QVPObjectButtonUnlockCharacter.h"
#include "player/ui/QVUiAnimation.h"
#include "sprite/CCSprite.h"

using cocos2d::CCArray;
using cocos2d::CCNode;
using cocos2d::CCObject;
using cocos2d::CCSprite;

namespace {

// A sprite of the container carrying getSprite's extra retain, tinted when
// asked; null when the container gives none.
CCSprite* containerSprite(const std::shared_ptr<QVModelSpriteContainer>& container, float speed,
                          const cocos2d::ccColor3B* tint) {
    CCSprite* sprite = container ? container->getSprite(speed, true) : nullptr;
    if (sprite && tint) sprite->setColor(*tint);
    return sprite;
}

}  // namespace

void setButtonImages(cocos2d::CCMenuItemSprite* item, const std::shared_ptr<QVModelSpriteContainer>& image,
                     const std::shared_ptr<QVModelSpriteContainer>& imageSelected) {
    static const cocos2d::ccColor3B kSelectedTint = {128, 128, 128};
    static const cocos2d::ccColor3B kDisabledTint = {60, 60, 60};
    CCSprite* normal = containerSprite(image, 1.0f, nullptr);
    CCSprite* selected = nullptr;
    CCSprite* disabled = nullptr;
    if (normal) {
        selected = imageSelected ? containerSprite(imageSelected, 0.2f, nullptr)
                                 : containerSprite(image, 1.0f, &kSelectedTint);
        disabled = containerSprite(image, 1.0f, &kDisabledTint);
    } else {
        // Invisible, but it still takes touches.
        normal = createColorSprite(cocos2d::CCSize(100.0f, 100.0f), cocos2d::ccColor4B{0, 0, 0, 0});
        normal->retain();
    }
    item->initWithNormalSprite(normal, selected, disabled, item->getTarget(), item->getSelector());
    for (CCSprite* held : {normal, selected, disabled}) {
        if (held) held->release();
    }
}

void logNoRuntimeObject(const std::string& className) {
    static std::set<std::string> logged;
    if (logged.insert(className).second) {
        logMessage("[QVPScreen] no runtime object for %s", className.c_str());
    }
}

QVPObjectButton::QVPObjectButton() = default;

QVPObjectButton::~QVPObjectButton() { unregisterKey(); }

QVPObjectButton* QVPObjectButton::create(CCNode* normal, CCNode* selected, CCNode* disabled) {
    auto* button = new QVPObjectButton();
    button->initWithNormalSprite(normal, selected, disabled, nullptr, nullptr);
    button->autorelease();
    return button;
}

QVPObjectButton* QVPObjectButton::createFromModel(const std::shared_ptr<QVModelObjectButton>& model, CCObject* target) {
    if (!model) return nullptr;
    model->decrementIntervalCounter();
    if (!model->intervalReached()) return nullptr;

    QVPObjectButton* button = nullptr;
    // These two make their images in their own setModel.
    if (model->type() == typeId<QVModelObjectButtonCharacterUnlock>()) {
        button = QVPObjectButtonUnlockCharacter::create();
    } else if (model->type() == typeId<QVModelObjectLockButton>()) {
        button = QVPObjectButtonLock::create();
    } else {
        if (modelKindCast<QVModelObjectButtonPowerup>(model)) {
            button = QVPObjectButtonPowerup::create();
            button->setActionTarget(target, menu_selector(QVPScreen::powerupButtonAction));
        } else if (modelKindCast<QVModelObjectButtonPurchase>(model)) {
            button = QVPObjectButtonPurchase::create();
            button->setActionTarget(target, menu_selector(QVPScreen::purchaseButtonAction));
        } else if (modelKindCast<QVModelObjectButtonUrl>(model)) {
            button = QVPObjectButtonUrl::create();
        } else if (modelKindCast<QVModelObjectButtonFacebook>(model)) {
            button = QVPObjectButtonFacebook::create();
        } else if (modelKindCast<QVModelObjectButtonSwitch>(model)) {
            button = QVPObjectButtonSwitch::create();
        } else {
            button = create(nullptr, nullptr, nullptr);
        }
        setButtonImages(button, model->image(), model->imageSelected());
    }

    button->setModel(model);
    qvui::placeFromModel(button, *model, 0.0f, 0, model->stickToEdge());
    button->setAutohideDelay(model->autohide());
    return button;
}

void QVPObjectButton::setModel(std::shared_ptr<QVModelObjectButton> model) {
    unregisterKey();
    m_model = std::move(model);
    setUserObject(m_model ? QVObjectModelHolder::create(m_model) : nullptr);
    if (m_model && m_model->hasKeyboardKey()) {
        m_registeredKey = m_model->keyboardKey();
        QVPInputController::registerKeyObject(m_registeredKey, this);
    }
}

void QVPObjectButton::unregisterKey() {
    if (m_registeredKey == 0) return;
    QVPInputController::unregisterKeyObject(m_registeredKey, this);
    m_registeredKey = 0;
}

void QVPObjectButton::setActionTarget(CCObject* target, cocos2d::SEL_MenuHandler handler) {
    setTarget(target, handler);
    m_pressHandler = nullptr;
    m_releaseHandler = nullptr;
}

void QVPObjectButton::setPressReleaseTarget(CCObject* target, cocos2d::SEL_MenuHandler pressHandler,
                                            cocos2d::SEL_MenuHandler releaseHandler) {
    setTarget(target, nullptr);
    m_pressHandler = pressHandler;
    m_releaseHandler = releaseHandler;
}

void QVPObjectButton::pressFromKey() {
    if (isEnabled()) selected();
}

void QVPObjectButton::releaseFromKey() {
    if (!isEnabled()) return;
    unselected();
    activate();
}

QVPScreen* QVPObjectButton::getScreen() {
    for (CCNode* node = getParent(); node; node = node->getParent()) {
        if (auto* screen = dynamic_cast<QVPScreen*>(node)) return screen;
    }
    return nullptr;
}

void QVPObjectButton::activate() {
    if (m_model) {
        if (isEnabled()) QVSound::playOnce(m_model->releaseSound(), 0);
        if (m_model->interval() != 0.0f) {
            m_model->blockInterval();
            setVisible(false);
        }
    }
    CCMenuItem::activate();
}

void QVPObjectButton::selected() {
    if (!isEnabled()) return;
    CCMenuItemSprite::selected();
    if (m_model) QVSound::playOnce(m_model->clickSound(), 0);
    callHandler(m_pressHandler);
}

void QVPObjectButton::unselected() {
    if (!isEnabled()) return;
    CCMenuItemSprite::unselected();
    callHandler(m_releaseHandler);
}

// The handler may remove this button (or its screen) from the tree.
void QVPObjectButton::callHandler(cocos2d::SEL_MenuHandler handler) {
    if (!m_pListener || !handler) return;
    retain();
    CCObject* listener = m_pListener;
    listener->retain();
    (listener->*handler)(this);
    listener->release();
    release();
}

void QVPObjectButton::update(float dt) {
    if (!m_model) return;
    const QVModelObjectButton& model = *m_model;
    m_animationTime += dt;
    if (qvui::autohideDue(this, m_autohideDelay, m_fadedOut, m_animationTime)) {
        qvui::fadeOutChildren(this, qvui::Fade::kOut);
        m_fadedOut = true;
    }
    qvui::placeFromModel(this, model, m_animationTime, m_animationState, model.stickToEdge());
    if (!m_fadedOut) {
        const cocos2d::GLubyte opacity = qvui::opacityByte(model.opacity(m_animationTime, m_animationState));
        CCArray* children = getChildren();
        CCObject* child = nullptr;
        CCARRAY_FOREACH(children, child) {
            if (auto* sprite = dynamic_cast<CCSprite*>(child)) sprite->setOpacity(opacity);
        }
    }

    // A press needs the rising edge on an enabled button; the falling edge
    // releases only what was pressed, and activates it only while enabled.
    const bool high = model.isTouchEmulated(m_animationTime, m_animationState);
    const bool rising = high && !m_touchEmulationHigh;
    m_touchEmulationHigh = high;
    if (rising && !m_touchEmulationPressed && isEnabled()) {
        selected();
        m_touchEmulationPressed = true;
    } else if (!high && m_touchEmulationPressed) {
        m_touchEmulationPressed = false;
        if (isEnabled()) {
            unselected();
            activate();
        }
    }
}
