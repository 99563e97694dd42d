// QVPScreenUi: a menu, overlay or HUD screen, built from the screen model of
// the screen manager's open UI screen. It binds the standard button actions,
// turns navigation buttons into screen-manager moves, feeds on-screen input
// buttons to the shared input controller, switches the window mode and, as
// the start screen, drives the loading of the game data from its draw.
//
// Guarantees: input buttons call the input controller that is shared when
// they are pressed, never one captured at build time; a missing fullscreen
// or windowed counterpart is skipped; a game without "Default.png" gets a
// loading screen without a splash.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "player/screens/QVPScreen.h"

namespace cocos2d {
class CCScene;
}

class QVPObjectCharacterSelector;
class QVPScreenScene;

class QVPScreenUi : public QVPScreen {
public:
    // Draws before the loading starts; the loading runs from this draw on.
    static constexpr int kFirstLoadingDraw = 10;

    // Autoreleased; null when init fails.
    static QVPScreenUi* create();
    // A new scene with a new screen as child kScreenTag, after
    // initLoading(isStartScreen); null when the screen cannot be made.
    static cocos2d::CCScene* scene(bool isStartScreen);

    QVPScreenUi();
    ~QVPScreenUi() override;

    bool init() override;
    void update(float dt) override;
    // On the loading screen counts the draw and, from the tenth on, runs one
    // loading step; draws nothing itself.
    void draw() override;
    void onEnter() override;
    void onExit() override;
    void keyBackClicked() override;

    void openScreen(const std::shared_ptr<QVModelObjectButton>& buttonModel) override;
    void showGameServices(cocos2d::CCObject* sender) override;
    // Shows the UI again, restarts the objects and the music.
    virtual void resume();

    // True makes this the loading screen: the splash and a label on top.
    void initLoading(bool loading);
    bool isLoadingScreen() const { return m_isLoadingScreen; }
    int drawCount() const { return m_drawCount; }

    // Also sets the input controller's flag and every button's.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    // The pending flags a start names: "kStartKeepScores" 10,
    // "kStartCheckpointButton" 0, anything else 14.
    static int pendingFlagsFor(const std::string& start);
    // Unless closing, schedules switchToConnection with these values.
    void openConnection(const std::string& name, uint32_t startSectionId, int pendingFlags, int hudMode,
                        int keepScores);
    void switchToConnection(const std::string& name, uint32_t startSectionId, int pendingFlags, int hudMode,
                            int keepScores);

    // ---- button handlers (menu handlers; the sender is the button)
    void pauseButtonAction(cocos2d::CCObject* sender);
    void restartButtonAction(cocos2d::CCObject* sender);
    void restartCheckpointButtonAction(cocos2d::CCObject* sender);
    // What that button runs on the game scene once the HUD has closed;
    // `asker` is the screen that asked, which names the ads' log line.
    static void continueFromCheckpoint(QVPScreen& asker, QVPScreenScene& scene);
    void backButtonAction(cocos2d::CCObject* sender);
    void backToButtonAction(cocos2d::CCObject* sender);
    void resetButtonAction(cocos2d::CCObject* sender);
    void shareButtonAction(cocos2d::CCObject* sender);
    void exitButtonAction(cocos2d::CCObject* sender);
    void unlockCharacterButtonAction(cocos2d::CCObject* sender);
    void fullscreenButtonAction(cocos2d::CCObject* sender);
    void windowedButtonAction(cocos2d::CCObject* sender);
    void customButtonAction(cocos2d::CCObject* sender);
    // The answer to the reset request; yes resets all progress.
    void resetConfirmed(bool yes);

    // Press and release of the on-screen input buttons: the sender's
    // "Action" picks the input controller's action.
    void inputButtonPressed(cocos2d::CCObject* sender);
    void inputButtonReleased(cocos2d::CCObject* sender);
    void registerActionButtons();

    // The "kUnlockCharacter" button shows while a locked character is
    // affordable.
    void refreshUnlockCharacterButton();
    // The first character selector of the screen, else null.
    QVPObjectCharacterSelector* characterSelector() const;

    QVPObjectButton* fullscreenButton() const { return m_fullscreenButton; }
    QVPObjectButton* windowedButton() const { return m_windowedButton; }
    QVPObjectButton* gameServicesButton() const { return m_gameServicesButton; }

private:
    // The deferred body of "kBackButton" and the back key.
    void goBack();
    // Pause and the restarts: deferred like every navigation; the body runs
    // on the game scene running then, and not at all without one.
    void scheduleGameFieldAction(const std::function<void(QVPScreenScene&)>& body);
    // The "Name" of the UI node whose screen is this screen's model.
    std::string nodeName() const;
    void addSplash();
    void showWindowModeButtons(bool fullscreen);
    void switchWindowMode(bool fullscreen);
    void sendInput(cocos2d::CCObject* sender, bool pressed);

    bool m_isLoadingScreen = false;
    int m_drawCount = 0;
    QVPObjectButton* m_gameServicesButton = nullptr;
    QVPObjectButton* m_windowedButton = nullptr;
    QVPObjectButton* m_fullscreenButton = nullptr;
    bool m_enabled = true;
};
