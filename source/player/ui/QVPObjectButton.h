// QVPObjectButton: the runtime button of menu and HUD screens, a menu item
// drawn by sprites that keeps its button model. Screens bind handlers to it
// by the model's "Action" key.
#pragma once

#include <memory>

#include "menu/CCMenuItem.h"

class QVModelObjectButton;

class QVPObjectButton : public cocos2d::CCMenuItemSprite {
public:
    // Autoreleased, with no target and no selector; any image may be null.
    static QVPObjectButton* create(cocos2d::CCNode* normal, cocos2d::CCNode* selected, cocos2d::CCNode* disabled);

    // Stores the model; overrides call this first.
    virtual void setModel(std::shared_ptr<QVModelObjectButton> model);
    std::shared_ptr<QVModelObjectButton> getModel() const { return m_model; }

    // The activation target (not retained) and its handler.
    void setActionTarget(cocos2d::CCObject* target, cocos2d::SEL_MenuHandler handler);

private:
    std::shared_ptr<QVModelObjectButton> m_model;
};
