// QVPScreen: the base of every screen, a layer whose UI objects live in
// uiContainer; each button sits in a menu of its own (tag kButtonMenuTag)
// there.
#pragma once

#include <string>
#include <vector>

#include "scene/CCLayer.h"

class QVPObjectButton;

class QVPScreen : public cocos2d::CCLayer {
public:
    static constexpr int kButtonMenuTag = 100;
    static constexpr int kUiContainerZ = 2000;

    // uiContainer is made, retained and added at z kUiContainerZ here.
    QVPScreen();
    ~QVPScreen() override;

    // Stops the background music, keeping its data for a replay.
    virtual void stopMusic();
    virtual void playMusic();

    // The buttons of the button menus, in child order, whose model's
    // "Action" is `key`; buttons without a model never match.
    std::vector<QVPObjectButton*> findButtons(const std::string& key);

    cocos2d::CCNode* uiContainer() const { return m_uiContainer; }

protected:
    cocos2d::CCNode* m_uiContainer = nullptr;
};
