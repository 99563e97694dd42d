// QVPObjectCharacterSelector: the menu control that shows one icon per
// character model in a row the player drags or taps. The row glides with
// inertia and settles with one character at the centre, which becomes the
// selected character whenever it is unlocked; a locked one shows its price
// and an unlock button. Unlocks are paid with coins, bought in the store,
// earned by a rewarded video or granted 10 updates after a web link opens.
//
// Guarantees:
//  - a stored selection outside the character list reads as character 0
//    (and is not written back); without characters the selector makes no
//    icons, claims no touches and only follows its model's position;
//  - taps are ignored while "Spread" is not above 0;
//  - an unlock that completes later (store, rewarded video, web link)
//    unlocks the character it was asked for, whatever the row shows by
//    then; a store completion unlocks it only when the product is that
//    character's "Store Identifier";
//  - the touch delegate is registered from onEnter to onExit (targeted,
//    priority 0, not swallowing) and claims only while the selector and
//    every ancestor are visible.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

namespace cocos2d {
class CCLabelBMFont;
class CCMenuItemSprite;
}  // namespace cocos2d

class QVBaseModelAnimation;
class QVModelAssetCharacter;
class QVModelObjectCharacterSelector;
class QVPAnimationObject;
class QVSound;

class QVPObjectCharacterSelector : public cocos2d::CCNode, public cocos2d::CCTouchDelegate {
public:
    // Any of the three may be null.
    struct Icon {
        QVPAnimationObject* regular = nullptr;
        QVPAnimationObject* selected = nullptr;
        QVPAnimationObject* locked = nullptr;
    };

    static constexpr int kLinkUnlockUpdates = 10;

    // Autoreleased, placed at the model's position and rotation with their
    // random variance; null without a model.
    static QVPObjectCharacterSelector* create(const std::shared_ptr<QVModelObjectCharacterSelector>& model);
    ~QVPObjectCharacterSelector() override;

    bool initWithModel(std::shared_ptr<QVModelObjectCharacterSelector> model);

    void onEnter() override;
    void onExit() override;
    bool ccTouchBegan(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;
    void ccTouchMoved(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;
    void ccTouchEnded(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;
    void ccTouchCancelled(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;
    void update(float dt) override;

    // Set by the owning screen's state changes; restarts the animated
    // attributes from time 0.
    void setAnimationState(int state);

    void setCurrentCharacter(int index);
    // Labels of the character and, when it is unlocked, its selection.
    void showCharacter(int index);
    // Starts the unlock by the character's "Purchase Method".
    void unlockCharacter(int index);
    void refreshIcons();
    // Unlocks and selects the character whose unlock is pending.
    void completeUnlock();
    void onPurchaseComplete(const std::string& product);
    void onSuggestionButton(cocos2d::CCObject* sender);
    void onUnlockButton(cocos2d::CCObject* sender);

    const std::shared_ptr<QVModelObjectCharacterSelector>& getModel() const { return m_model; }
    const std::vector<Icon>& icons() const { return m_icons; }
    int currentIndex() const { return m_currentIndex; }
    int selectedIndex() const { return m_selectedIndex; }
    // -1 looks for a suggestion, -2 gives no more.
    int suggestedIndex() const { return m_suggestedIndex; }
    // -1 when no unlock waits.
    int pendingUnlock() const { return m_pendingUnlock; }
    float rowPosition() const { return m_rowPosition; }
    float rowTarget() const { return m_rowTarget; }
    float rowVelocity() const { return m_rowVelocity; }
    bool isDragging() const { return m_dragging; }
    cocos2d::CCLabelBMFont* priceLabel() const { return m_priceLabel; }
    cocos2d::CCLabelBMFont* nameLabel() const { return m_nameLabel; }
    cocos2d::CCMenuItemSprite* unlockButton() const { return m_unlockButton; }
    cocos2d::CCMenuItemSprite* suggestionButton() const { return m_suggestionButton; }

private:
    QVPObjectCharacterSelector();

    int characterCount() const { return static_cast<int>(m_characters.size()); }
    bool hasCharacter(int index) const { return index >= 0 && index < characterCount(); }
    bool isUnlocked(int index) const;
    // "Spread", 0 when not finite.
    float iconSpread() const;
    // The stored selection, or 0 when it names no character here.
    int storedIndex() const;
    bool inTouchBox(cocos2d::CCTouch* touch);
    void makeLabels();
    QVPAnimationObject* createIconObject(const std::shared_ptr<QVBaseModelAnimation>& animation);
    // A menu at the selector's depth holding a button made from the
    // animation's first object.
    cocos2d::CCMenuItemSprite* addSingleObjectButton(const std::shared_ptr<QVBaseModelAnimation>& animation,
                                                     cocos2d::SEL_MenuHandler handler);
    void makeSuggestionButton();
    void makeUnlockButton();
    void updateSuggestion(float dt);
    // Unlocks, selects and saves `index`, with the unlock-yes sound.
    void grantCharacter(int index);
    void playSound(QVSound* sound);

    std::shared_ptr<QVModelObjectCharacterSelector> m_model;
    std::vector<std::shared_ptr<QVModelAssetCharacter>> m_characters;
    std::vector<Icon> m_icons;
    float m_rowPosition = 0.0f;
    float m_rowTarget = 0.0f;
    int m_currentIndex = 0;
    int m_selectedIndex = 0;
    int m_suggestedIndex = -1;
    bool m_dragging = false;
    bool m_linkUnlockPending = false;
    int m_linkUnlockCountdown = 0;
    int m_pendingUnlock = -1;
    cocos2d::CCLabelBMFont* m_priceLabel = nullptr;
    cocos2d::CCLabelBMFont* m_nameLabel = nullptr;
    cocos2d::CCMenuItemSprite* m_unlockButton = nullptr;
    QVPAnimationObject* m_unlockButtonAnimation = nullptr;
    cocos2d::CCMenuItemSprite* m_suggestionButton = nullptr;
    float m_suggestionPhase = 0.0f;
    cocos2d::CCPoint m_suggestionBaseScale;
    float m_rowVelocity = 0.0f;
    float m_elapsedTime = 0.0f;
    int m_animationState = 0;
    std::unique_ptr<QVSound> m_unlockYes;
    std::unique_ptr<QVSound> m_unlockNo;
};
