// QVPScreen: the base of every screen, a layer built from one screen model.
// Its UI objects live in uiContainer; each button sits in a menu of its own
// (tag kButtonMenuTag) there. Buttons are bound to operations by their
// model's "Action"; actions that change screens wait for the closing frames.
//
// Guarantees:
//  - objects are kept in model-list order, so highlights and lookups are
//    deterministic; "the later entry" is the later model;
//  - update walks a retained snapshot of the objects, so an object removed
//    during its own update is not touched again;
//  - after a scheduled action ran, a screen that is still running, attached
//    and not being replaced returns to state 1 (idle), so a button whose
//    link is missing leaves no dead UI;
//  - the idle loop fires once per "Idle Animation Frames" period.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scene/CCLayer.h"

namespace cocos2d {
class CCScene;
}

class QVModelObject;
class QVModelObjectAssetPowerup;
class QVModelObjectButton;
class QVModelScreen;
class QVPObjectButton;
class QVPScreenScene;
class QVSoundController;

class QVPScreen : public cocos2d::CCLayer {
public:
    static constexpr int kButtonMenuTag = 100;
    static constexpr int kUiContainerZ = 2000;
    // Tag of the screen inside its engine scene.
    static constexpr int kScreenTag = 0;
    enum ScreenState { kOpening = 0, kIdle = 1, kClosing = 2 };

    using Action = std::function<void()>;
    // An object of the screen with the model it was made from.
    using ObjectEntry = std::pair<std::shared_ptr<QVModelObject>, cocos2d::CCNode*>;

    // uiContainer is made and retained here; buildFromModel adds it.
    QVPScreen();
    ~QVPScreen() override;

    // ---- engine overrides
    bool init() override;
    void update(float dt) override;
    // The engine's onEnter, then playMusic.
    void onEnter() override;

    // ---- own virtual operations
    // Stops the background music, keeping its data for a replay.
    virtual void stopMusic();
    // The model's music; a screen without music inside a game scene plays
    // the scene's, else the main menu's.
    virtual void playMusic();
    // Restarts the objects' animations from time 0.
    virtual void refreshObjects();
    virtual void onAdsRemoved();
    virtual void activateHighlightedButton();
    // 12 up, 13 down, 14 left, 15 right; other codes only log.
    virtual void moveHighlight(int direction);
    virtual void hilightDefaultButton();
    // Removes the object made from a model with objectModel's id.
    virtual void removeObject(const std::shared_ptr<QVModelObject>& objectModel);
    virtual void updateAds();
    virtual bool shouldShowBanner();
    // The parent when it is a game-field scene, else null.
    virtual QVPScreenScene* parentGameScene();
    virtual void hideAds();
    // Removes this overlay; a parent game scene resumes, another parent
    // screen shows its UI again.
    virtual void closeScreen();
    // Outside the game field, credits a coin powerup's rewards and saves.
    virtual void spawnPowerup(const std::shared_ptr<QVModelObjectAssetPowerup>& powerupModel, bool aboveCharacter);
    // A menu handler: schedules openScreen for the sender's button model.
    virtual void runButtonAction(cocos2d::CCObject* sender);
    virtual void openScreen(const std::shared_ptr<QVModelObjectButton>& buttonModel);
    // The activation handlers of purchase and powerup buttons; other
    // senders are ignored.
    void purchaseButtonAction(cocos2d::CCObject* sender);
    // Only in a game scene: spawns the button's powerup (using one unless
    // "Unlimited Use") and starts its refill timer.
    void powerupButtonAction(cocos2d::CCObject* sender);
    // A menu handler; the sender is ignored.
    virtual void showGameServices(cocos2d::CCObject* sender);
    virtual std::shared_ptr<QVModelScreen> findScreenModel(const std::string& name);

    // ---- building and binding
    // Takes the screen model for the key `name` and, with createObjects,
    // creates its objects and button menus. Returns true.
    bool buildFromModel(const std::string& name, bool createObjects);
    // Every button whose model's "Action" is `key` gets the handler.
    void assignButtonAction(const std::string& key, cocos2d::CCObject* target, cocos2d::SEL_MenuHandler handler);
    void bindPressRelease(const std::string& key, cocos2d::CCObject* target, cocos2d::SEL_MenuHandler pressHandler,
                          cocos2d::SEL_MenuHandler releaseHandler);
    // The buttons of the button menus, in child order, whose model's
    // "Action" is `key`; buttons without a model never match.
    std::vector<QVPObjectButton*> findButtons(const std::string& key);
    QVPObjectButton* findButton(const std::string& key);

    // Runs `action` now, or after "Close Animation Frames" in state 2; one
    // action waits at a time, a later one replaces it.
    void scheduleAction(Action action);
    void setScreenState(int state);
    int screenState() const { return m_screenState; }
    float screenTime() const { return m_screenTime; }

    // Stops this screen and lets the director replace the running scene;
    // a null scene changes nothing.
    void switchToScene(cocos2d::CCScene* scene);
    void addChildScreen(QVPScreen* child);
    void hideBannerAndInterstitial();
    void setUiVisible(bool visible);
    void hideUiObjects();
    void setInterrupted() { m_skipNextInterstitial = true; }

    // The first child of the running scene when it is a screen, else null.
    static QVPScreen* runningScreen();
    // From the running screen down, the first child that is a screen, as
    // deep as that goes; null when no screen runs.
    static QVPScreen* topmostScreen();

    const std::shared_ptr<QVModelScreen>& model() const { return m_model; }
    // The model's "Key"; empty without a model.
    std::string key() const;
    cocos2d::CCNode* uiContainer() const { return m_uiContainer; }
    // Every object made from the model (buttons included), in model order.
    const std::vector<ObjectEntry>& objectMap() const { return m_objectMap; }
    // The object made from the model with that id, else null.
    cocos2d::CCNode* objectFor(uint32_t modelId) const;
    // The objects update drives, in draw order.
    const std::vector<cocos2d::CCNode*>& objects() const { return m_objects; }

protected:
    // The button model of a menu handler's sender, through its model
    // holder; empty for anything else.
    static std::shared_ptr<QVModelObjectButton> buttonModelOf(cocos2d::CCObject* sender);
    // Fires once after the closing frames and runs the pending action.
    void runPendingAction(float dt);
    // Makes the object for a non-button model; null for a kind that has no
    // runtime object here.
    cocos2d::CCNode* createObject(const std::shared_ptr<QVModelObject>& objectModel);
    // Objects with their "Z Depth".
    using DepthList = std::vector<std::pair<int, cocos2d::CCNode*>>;
    // Stable: equal depths keep model order.
    static DepthList sortedByDepth(DepthList list);
    // One menu per button; the buttons made are entered in objectMap and
    // `listed`.
    void addButtons(std::vector<std::shared_ptr<QVModelObjectButton>> buttonModels, DepthList& listed);
    // The button items of the button menus, in objectMap order.
    std::vector<QVPObjectButton*> menuItems() const;
    // Visits every button in the menus of uiContainer, in child order.
    void forEachButton(const std::function<void(QVPObjectButton*)>& visit) const;
    void setObjectList(std::vector<cocos2d::CCNode*> objects);

    std::shared_ptr<QVModelScreen> m_model;
    cocos2d::CCNode* m_uiContainer = nullptr;
    float m_highlightDelay = 0.0f;
    float m_uiHiddenForFrame = 0.0f;
    bool m_skipNextInterstitial = false;
    QVSoundController* m_soundController = nullptr;  // owned
    std::vector<ObjectEntry> m_objectMap;
    std::vector<cocos2d::CCNode*> m_objects;  // retained
    int m_screenState = kOpening;
    float m_screenTime = 0.0f;
    Action m_pendingAction;
};
