// QVPObjectButton: the runtime button of menu and HUD screens, a menu item
// drawn by sprites that keeps its button model, plays its sounds, follows
// its animated attributes, and can be pressed by a raw key or by the
// model's "Touch Emulation" curve. Screens bind handlers to it by the
// model's "Action" key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "menu/CCMenuItem.h"

class QVModelObjectButton;
class QVModelSpriteContainer;
class QVPScreen;

class QVPObjectButton : public cocos2d::CCMenuItemSprite {
public:
    QVPObjectButton();
    ~QVPObjectButton() override;

    // Autoreleased, with no target and no selector; any image may be null.
    static QVPObjectButton* create(cocos2d::CCNode* normal, cocos2d::CCNode* selected, cocos2d::CCNode* disabled);
    // The autoreleased button of the model's class, placed by the model at
    // time 0; purchase and powerup buttons activate the target's handlers.
    // Null for an empty model and when its interval leaves it out of this
    // build.
    static QVPObjectButton* createFromModel(const std::shared_ptr<QVModelObjectButton>& model,
                                            cocos2d::CCObject* target);

    // Stores the model, makes it the node's user object and binds the
    // model's "Keyboard Key" (when above 0). Overrides call this first.
    virtual void setModel(std::shared_ptr<QVModelObjectButton> model);
    std::shared_ptr<QVModelObjectButton> getModel() const { return m_model; }
    virtual void resetAnimationTime() { m_animationTime = 0.0f; }
    virtual void setAutohideDelay(float seconds) { m_autohideDelay = seconds; }
    virtual void setAnimationState(int state) { m_animationState = state; }

    // The activation target (not retained) and its handler; clears the
    // press and release handlers.
    void setActionTarget(cocos2d::CCObject* target, cocos2d::SEL_MenuHandler handler);
    // Handlers called with the button as `selected` and `unselected` run;
    // clears the activation handler.
    void setPressReleaseTarget(cocos2d::CCObject* target, cocos2d::SEL_MenuHandler pressHandler,
                               cocos2d::SEL_MenuHandler releaseHandler);

    // A bound raw key; both do nothing while disabled.
    void pressFromKey();
    void releaseFromKey();

    // The nearest ancestor that is a screen, or null.
    QVPScreen* getScreen();

    // The raw key this button is registered under; 0 when none.
    int32_t registeredKey() const { return m_registeredKey; }
    float animationTime() const { return m_animationTime; }
    int animationState() const { return m_animationState; }
    bool isFadedOut() const { return m_fadedOut; }

    void activate() override;
    void selected() override;
    void unselected() override;
    // Called by the screen every frame; nothing happens without a model.
    void update(float dt) override;

private:
    void unregisterKey();
    void callHandler(cocos2d::SEL_MenuHandler handler);

    cocos2d::SEL_MenuHandler m_pressHandler = nullptr;
    cocos2d::SEL_MenuHandler m_releaseHandler = nullptr;
    float m_autohideDelay = 0.0f;
    float m_animationTime = 0.0f;
    bool m_fadedOut = false;
    int m_animationState = 0;
    std::shared_ptr<QVModelObjectButton> m_model;
    // Pressed by the emulation, and the curve's value in the last update.
    bool m_touchEmulationPressed = false;
    bool m_touchEmulationHigh = false;
    int32_t m_registeredKey = 0;
};

// Gives `item` a button's three images, keeping its target and selector:
// normal from `image` at speed 1.0; selected from `imageSelected` at 0.2,
// or the image tinted (128, 128, 128); disabled the image tinted
// (60, 60, 60). Without an image it gets one transparent 100 x 100 sprite.
void setButtonImages(cocos2d::CCMenuItemSprite* item, const std::shared_ptr<QVModelSpriteContainer>& image,
                     const std::shared_ptr<QVModelSpriteContainer>& imageSelected);

// Logs "[QVPScreen] no runtime object for <class>" the first time a class
// is named in this run; screens use it for the object kinds they skip.
void logNoRuntimeObject(const std::string& className);
