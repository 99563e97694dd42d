#include "player/screens/QVPScreen.h"

#include "audio/SimpleAudioEngine.h"
#include "base/CCArray.h"
#include "model/classes/QVModelObjectButton.h"
#include "player/ui/QVPObjectButton.h"

QVPScreen::QVPScreen() {
    m_uiContainer = cocos2d::CCNode::create();
    m_uiContainer->retain();
    addChild(m_uiContainer, kUiContainerZ);
}

QVPScreen::~QVPScreen() { m_uiContainer->release(); }

void QVPScreen::stopMusic() { CocosDenshion::SimpleAudioEngine::sharedEngine()->stopBackgroundMusic(false); }

void QVPScreen::playMusic() {}

std::vector<QVPObjectButton*> QVPScreen::findButtons(const std::string& key) {
    std::vector<QVPObjectButton*> found;
    cocos2d::CCArray* menus = m_uiContainer->getChildren();
    for (unsigned int i = 0; i < menus->count(); ++i) {
        auto* menu = static_cast<cocos2d::CCNode*>(menus->objectAtIndex(i));
        if (menu->getTag() != kButtonMenuTag) continue;
        cocos2d::CCArray* items = menu->getChildren();
        for (unsigned int j = 0; j < items->count(); ++j) {
            auto* button = dynamic_cast<QVPObjectButton*>(items->objectAtIndex(j));
            if (button && button->getModel() && button->getModel()->action() == key) found.push_back(button);
        }
    }
    return found;
}
