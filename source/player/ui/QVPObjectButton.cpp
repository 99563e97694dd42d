#include "player/ui/QVPObjectButton.h"

#include <utility>

#include "model/classes/QVModelObjectButton.h"

QVPObjectButton* QVPObjectButton::create(cocos2d::CCNode* normal, cocos2d::CCNode* selected,
                                         cocos2d::CCNode* disabled) {
    auto* button = new QVPObjectButton();
    button->initWithNormalSprite(normal, selected, disabled, nullptr, nullptr);
    button->autorelease();
    return button;
}

void QVPObjectButton::setModel(std::shared_ptr<QVModelObjectButton> model) { m_model = std::move(model); }

void QVPObjectButton::setActionTarget(cocos2d::CCObject* target, cocos2d::SEL_MenuHandler handler) {
    setTarget(target, handler);
}
