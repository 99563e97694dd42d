// QVPObjectButtonUnlockCharacter: unlocks and selects one playable
// character (with coins, in the store, with a rewarded video or by opening
// a web link) and shows its regular, locked or selected icon as the player
// settings change.
#pragma once

#include <memory>
#include <string>

#include "player/ui/QVPObjectButton.h"

namespace cocos2d {
class CCSprite;
}

class QVModelAssetCharacter;
class QVPAnimationObject;

class QVPObjectButtonUnlockCharacter : public QVPObjectButton {
public:
    enum Mode { kModeNone = 0, kModeUnlocked = 1, kModeLocked = 2, kModeSelected = 3 };
    // Updates from a web-link press to its unlock.
    static constexpr int kWebLinkUpdates = 10;

    // Autoreleased; setModel makes its images.
    static QVPObjectButtonUnlockCharacter* create();

    void setModel(std::shared_ptr<QVModelObjectButton> model) override;
    void activate() override;
    void update(float dt) override;
    // Starts the unlock of the character at `index` by its purchase method.
    void unlockCharacter(int index);
    // Unlocks and selects this button's character; the rewarded-video
    // callback.
    void onUnlockCompleted();
    // The store's callback; the product is not compared.
    void onStoreUnlockCompleted(const std::string& product);

    int mode() const { return m_mode; }
    // -1 when "Character" names no character.
    int characterIndex() const { return m_index; }
    QVPAnimationObject* regularIcon() const { return m_regularIcon; }
    QVPAnimationObject* lockedIcon() const { return m_lockedIcon; }
    QVPAnimationObject* selectedIcon() const { return m_selectedIcon; }

private:
    std::shared_ptr<QVModelAssetCharacter> characterAt(int index) const;
    void showIcons(int mode);
    QVPAnimationObject* addIcon(const std::shared_ptr<class QVModelAnimation>& animation);
    void clearIcons();

    QVPAnimationObject* m_regularIcon = nullptr;   // child
    QVPAnimationObject* m_lockedIcon = nullptr;    // child
    QVPAnimationObject* m_selectedIcon = nullptr;  // child
    cocos2d::CCSprite* m_imageSprite = nullptr;    // the normal image, or null
    int m_mode = kModeNone;
    int m_index = -1;
    bool m_webLinkPending = false;
    int m_webLinkCountdown = 0;
};
