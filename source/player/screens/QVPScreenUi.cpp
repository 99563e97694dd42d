#include "player/screens/QVPScreenUi.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "director/CCApplication.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVNode.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVAdController.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVServices.h"
#include "player/app/QVSwitchStates.h"
#include "player/app/ScoreTable.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectButton.h"
#include "player/ui/QVPObjectCharacterSelector.h"
#include "player/ui/QVPObjectManipulator.h"
#include "player/ui/QVPObjectText.h"
#include "scene/CCScene.h"
#include "sprite/CCSprite.h"
#include "view/CCEGLView.h"

using cocos2d::CCObject;

namespace {

constexpr int kControlPressed = 11;
constexpr int kControlReleased = 12;
const char* const kSplashFile = "Default.png";

// The on-screen buttons that hold an input action while pressed.
const std::map<std::string, int>& characterButtonActions() {
    static const std::map<std::string, int> actions = {
        {"kCharacterMoveUpButton", 1},      {"kCharacterMoveDownButton", 2}, {"kCharacterMoveRightButton", 3},
        {"kCharacterMoveLeftButton", 4},    {"kCharacterJumpButton", 5},     {"kCharacterRotateLeftButton", 6},
        {"kCharacterRotateRightButton", 7}, {"kCharacterShootButton", 8},    {"kMotorSpinCWButton", 9},
        {"kMotorSpinCCWButton", 10},
    };
    return actions;
}

// The input action of a button's "Action" for a press or a release; 0 for
// none. The control button reports itself as the source.
int inputAction(const std::string& action, bool pressed) {
    if (action == "kInputControllerActionButton") return pressed ? kControlPressed : kControlReleased;
    const auto found = characterButtonActions().find(action);
    return found == characterButtonActions().end() ? 0 : found->second;
}

// Keeps a handler's sender alive until its deferred body has run.
std::shared_ptr<CCObject> retained(CCObject* object) {
    if (object) object->retain();
    return std::shared_ptr<CCObject>(object, [](CCObject* held) {
        if (held) held->release();
    });
}

QVPScreenScene* gameScene() { return ScreenManager::shared()->getGameScene(); }

// A negative price would pay the player for the unlock.
int priceOf(const QVModelAssetCharacter& character) { return std::max(0, truncToInt(character.price())); }

// Indices of the locked characters whose price the global coins cover.
std::vector<uint32_t> affordableCharacters() {
    const auto characters = QVModelController::shared()->getModels<QVModelAssetCharacter>();
    const int coins = scoreRecord("").coins.total;
    std::vector<uint32_t> found;
    for (uint32_t i = 0; i < characters.size(); ++i) {
        if (!QVPSettingsController::shared()->isCharacterUnlocked(i) && priceOf(*characters[i]) <= coins) {
            found.push_back(i);
        }
    }
    return found;
}

}  // namespace

QVPScreenUi* QVPScreenUi::create() {
    auto* screen = new QVPScreenUi();
    if (!screen->init()) {
        delete screen;
        return nullptr;
    }
    screen->autorelease();
    return screen;
}

cocos2d::CCScene* QVPScreenUi::scene(bool isStartScreen) {
    QVPScreenUi* screen = create();
    if (!screen) return nullptr;
    screen->initLoading(isStartScreen);
    cocos2d::CCScene* scene = cocos2d::CCScene::create();
    scene->addChild(screen, 0, kScreenTag);
    return scene;
}

QVPScreenUi::QVPScreenUi() = default;
QVPScreenUi::~QVPScreenUi() = default;

bool QVPScreenUi::init() {
    QVPObjectAccelerometer::shared()->setModel(nullptr);
    if (!buildFromModel(ScreenManager::shared()->currentUiName(), true) || !QVPScreen::init()) return false;
    scheduleUpdate();

    struct Binding {
        const char* key;
        cocos2d::SEL_MenuHandler handler;
    };
    const Binding bindings[] = {
        {"kPauseButton", menu_selector(QVPScreenUi::pauseButtonAction)},
        {"kRestartButton", menu_selector(QVPScreenUi::restartButtonAction)},
        {"kRestartCheckpointButton", menu_selector(QVPScreenUi::restartCheckpointButtonAction)},
        {"kBackButton", menu_selector(QVPScreenUi::backButtonAction)},
        {"kBackToButton", menu_selector(QVPScreenUi::backToButtonAction)},
        {"kResetButton", menu_selector(QVPScreenUi::resetButtonAction)},
        {"kReviewButton", menu_selector(QVPScreenUi::showGameServices)},
        {"kShareButton", menu_selector(QVPScreenUi::shareButtonAction)},
        {"kExitButton", menu_selector(QVPScreenUi::exitButtonAction)},
        {"kUnlockCharacter", menu_selector(QVPScreenUi::unlockCharacterButtonAction)},
        {"kFullscreen", menu_selector(QVPScreenUi::fullscreenButtonAction)},
        {"kWindowed", menu_selector(QVPScreenUi::windowedButtonAction)},
    };
    for (const Binding& binding : bindings) assignButtonAction(binding.key, this, binding.handler);

    for (QVPObjectButton* button : findButtons("kCustom")) {
        if (QVAdCustom::shared()->acceptsButton(button->getModel()->name())) {
            button->setActionTarget(this, menu_selector(QVPScreenUi::customButtonAction));
        } else {
            button->setVisible(false);
        }
    }

    // Bound to this screen, not to a controller a new world may delete.
    registerActionButtons();
    for (const auto& entry : characterButtonActions()) {
        bindPressRelease(entry.first, this, menu_selector(QVPScreenUi::inputButtonPressed),
                         menu_selector(QVPScreenUi::inputButtonReleased));
    }

    m_fullscreenButton = findButton("kFullscreen");
    m_windowedButton = findButton("kWindowed");
    showWindowModeButtons(QVPSettingsController::shared()->isFullscreen());
    m_gameServicesButton = findButton("kGameServices");

    if (key() != kStartScreenName) playMusic();
    if (findButton("kUnlockCharacter")) refreshUnlockCharacterButton();
    if (QVServices::shared()->wantsImmediateHighlight()) hilightDefaultButton();
    QVPInputController::shared()->setEnabled(true);
    return true;
}

void QVPScreenUi::update(float dt) {
    QVPScreen::update(dt);
    if (m_gameServicesButton) m_gameServicesButton->setVisible(QVServices::shared()->isAvailable());
}

void QVPScreenUi::draw() {
    if (!m_isLoadingScreen) return;
    if (++m_drawCount < kFirstLoadingDraw) return;
    if (cocos2d::CCApplication* application = cocos2d::CCApplication::sharedApplication()) {
        application->loadGameData();
    }
}

void QVPScreenUi::onEnter() {
    QVPScreen::onEnter();
    QVServices::shared()->screenOnEnter(nodeName());
}

void QVPScreenUi::onExit() {
    CCLayer::onExit();
    QVServices::shared()->screenOnExit(nodeName());
}

void QVPScreenUi::keyBackClicked() {
    logMessage("[QVPScreenUi] keyBackClicked");
    backButtonAction(nullptr);
}

std::string QVPScreenUi::nodeName() const {
    for (const std::shared_ptr<QVNodeUI>& node : QVModelController::shared()->getModelsOfKind<QVNodeUI>()) {
        if (m_model && node->screenModel() == m_model) return node->name();
    }
    return "Unknown";
}

void QVPScreenUi::resume() {
    setUiVisible(true);
    refreshObjects();
    playMusic();
}

void QVPScreenUi::showGameServices(CCObject* sender) { QVPScreen::showGameServices(sender); }

// ---- loading screen

void QVPScreenUi::initLoading(bool loading) {
    if (loading == m_isLoadingScreen) return;
    m_isLoadingScreen = loading;
    if (!loading) return;
    cocos2d::CCEGLView* view = cocos2d::CCDirector::sharedDirector()->getOpenGLView();
    logMessage("scale X: %f Y: %f", view ? view->getScaleX() : 1.0f, view ? view->getScaleY() : 1.0f);
    addSplash();
    if (QVPObjectText* text = QVPObjectText::create(QVModelObjectLabel::create())) addChild(text, 1);
}

void QVPScreenUi::addSplash() {
    cocos2d::CCSprite* splash = cocos2d::CCSprite::create(kSplashFile);
    const cocos2d::CCSize image = splash ? splash->getContentSize() : cocos2d::CCSizeZero;
    if (image.width <= 0.0f || image.height <= 0.0f) {
        // A game without a splash still loads.
        static bool logged = false;
        if (!logged) logMessage("[QVPScreenUi] no splash: %s is missing or unreadable", kSplashFile);
        logged = true;
        return;
    }
    cocos2d::CCDirector* director = cocos2d::CCDirector::sharedDirector();
    cocos2d::CCEGLView* view = director->getOpenGLView();
    if (view && view->getScaleX() > 0.0f) {
        const cocos2d::CCSize frame = view->getFrameSize();
        splash->setScale(std::max(frame.width / image.width, frame.height / image.height) / view->getScaleX());
    }
    const cocos2d::CCSize window = director->getWinSize();
    const cocos2d::CCPoint offset = director->getContentOffset();
    splash->setPosition(cocos2d::CCPoint(window.width / 2 - offset.x, window.height / 2 - offset.y));
    addChild(splash, 0);
}

// ---- input

void QVPScreenUi::setEnabled(bool enabled) {
    m_enabled = enabled;
    QVPInputController::shared()->setEnabled(enabled);
    forEachButton([enabled](QVPObjectButton* button) { button->setEnabled(enabled); });
}

void QVPScreenUi::registerActionButtons() {
    for (QVPObjectButton* button : findButtons("kInputControllerActionButton")) {
        logMessage("---------- register button with ID: %d", static_cast<int>(button->getModel()->id()));
        button->setPressReleaseTarget(this, menu_selector(QVPScreenUi::inputButtonPressed),
                                      menu_selector(QVPScreenUi::inputButtonReleased));
    }
}

void QVPScreenUi::inputButtonPressed(CCObject* sender) { sendInput(sender, true); }

void QVPScreenUi::inputButtonReleased(CCObject* sender) { sendInput(sender, false); }

void QVPScreenUi::sendInput(CCObject* sender, bool pressed) {
    const auto model = buttonModelOf(sender);
    const int action = model ? inputAction(model->action(), pressed) : 0;
    if (action <= 0) return;
    CCObject* source = action == kControlPressed || action == kControlReleased ? sender : nullptr;
    // The controller shared now: a new world replaces it.
    QVPInputController* controller = QVPInputController::shared();
    if (pressed) {
        controller->actionPressed(action, source);
    } else {
        controller->actionReleased(action, source);
    }
}

// ---- navigation

int QVPScreenUi::pendingFlagsFor(const std::string& start) {
    if (start == "kStartKeepScores") return 10;
    return start == "kStartCheckpointButton" ? 0 : 14;
}

void QVPScreenUi::openConnection(const std::string& name, uint32_t startSectionId, int pendingFlags, int hudMode,
                                 int keepScores) {
    if (m_screenState == kClosing) return;
    scheduleAction([this, name, startSectionId, pendingFlags, hudMode, keepScores] {
        switchToConnection(name, startSectionId, pendingFlags, hudMode, keepScores);
    });
}

void QVPScreenUi::switchToConnection(const std::string& name, uint32_t startSectionId, int pendingFlags, int hudMode,
                                     int keepScores) {
    ScreenManager* manager = ScreenManager::shared();
    if (manager->pushUi(name, false)) {
        if (QVPScreenScene* scene = gameScene()) {
            // 0 opens the screen paused, 1 running, 2 leaves the pause as it is.
            if (hudMode != 2) scene->requestPause(hudMode == 0);
            scene->refreshHud();
            return;
        }
    } else if (!manager->loadScreen(name, true, keepScores)) {
        return;
    }
    cocos2d::CCScene* scene = manager->createCurrentScene();
    if (!scene) return;
    if (QVPScreenScene* world = gameScene()) {
        if (pendingFlags != 0) world->runPendingActions(pendingFlags);
    }
    manager->setStartSectionId(startSectionId);
    switchToScene(scene);
}

void QVPScreenUi::openScreen(const std::shared_ptr<QVModelObjectButton>& buttonModel) {
    if (!buttonModel) return;
    const uint32_t startSectionId =
        modelCast<QVModelObjectLockButton>(buttonModel) ? ScreenManager::shared()->getStartSectionId() : 0;
    switchToConnection(buttonModel->name(), startSectionId, pendingFlagsFor(buttonModel->action()), 2, 0);
}

void QVPScreenUi::goBack() {
    ScreenManager* manager = ScreenManager::shared();
    if (QVPScreenScene* scene = gameScene()) {
        scene->closeTopUi();
        return;
    }
    if (manager->popUi()) switchToScene(manager->createCurrentScene());
}

// ---- button handlers

void QVPScreenUi::scheduleGameFieldAction(const std::function<void(QVPScreenScene&)>& body) {
    // Without a running game field the closing frames still play.
    if (m_screenState == kClosing) return;
    scheduleAction([body] {
        if (QVPScreenScene* scene = gameScene()) body(*scene);
    });
}

void QVPScreenUi::pauseButtonAction(CCObject* sender) {
    const std::shared_ptr<CCObject> button = retained(sender);
    scheduleGameFieldAction([button](QVPScreenScene& scene) { scene.pauseButtonAction(button.get()); });
}

void QVPScreenUi::restartButtonAction(CCObject* sender) {
    (void)sender;
    scheduleGameFieldAction([this](QVPScreenScene& scene) {
        if (!scene.shouldShowBanner()) hideBannerAndInterstitial();
        scene.applyScoreResets();
        scene.runPendingActions(14);
    });
}

void QVPScreenUi::restartCheckpointButtonAction(CCObject* sender) {
    (void)sender;
    scheduleGameFieldAction([this](QVPScreenScene& scene) { continueFromCheckpoint(*this, scene); });
}

void QVPScreenUi::continueFromCheckpoint(QVPScreen& asker, QVPScreenScene& scene) {
    clearSwitchStates();
    if (!scene.shouldShowBanner()) asker.hideBannerAndInterstitial();
    scene.refreshObjects();
    scene.setGameOver(false);
    scene.closeTopUi();
}

void QVPScreenUi::backButtonAction(CCObject* sender) {
    (void)sender;
    if (m_screenState == kClosing) return;
    scheduleAction([this] { goBack(); });
}

void QVPScreenUi::backToButtonAction(CCObject* sender) {
    if (m_screenState == kClosing) return;
    const auto model = buttonModelOf(sender);
    if (!model) return;
    scheduleAction([this, model] {
        ScreenManager* manager = ScreenManager::shared();
        manager->setStartSectionId(0);
        const int result = manager->replaceScene(model->backToWorld(), model->backToUi(), 0);
        if (result == 1) {
            switchToScene(manager->createCurrentScene());
        } else if (result == 2) {
            if (QVPScreenScene* scene = gameScene()) {
                if (scene->isGameOver()) scene->runPendingActions(1);
                scene->refreshHud();
            }
        }
    });
}

void QVPScreenUi::resetButtonAction(CCObject* sender) {
    (void)sender;
    QVServices::shared()->setCallback(QVModelGeneralSettings::shared()->resetText(), this,
                                      static_cast<QVServices::Callback>(&QVPScreenUi::resetConfirmed));
}

void QVPScreenUi::resetConfirmed(bool yes) {
    if (yes) QVPSettingsController::shared()->resetAllProgress();
}

void QVPScreenUi::shareButtonAction(CCObject* sender) {
    (void)sender;
    logMessage("Share Button Action");
}

void QVPScreenUi::exitButtonAction(CCObject* sender) {
    (void)sender;
    QVServices::shared()->exitGame();
}

void QVPScreenUi::unlockCharacterButtonAction(CCObject* sender) {
    (void)sender;
    const std::vector<uint32_t> affordable = affordableCharacters();
    if (affordable.empty()) {
        QVServices::shared()->setCallback(QVModelGeneralSettings::shared()->notEnoughCurrencyText(), nullptr, nullptr);
        return;
    }
    const uint32_t index = affordable[static_cast<unsigned>(compat::rand()) % affordable.size()];
    if (QVPObjectCharacterSelector* selector = characterSelector()) {
        selector->setCurrentCharacter(static_cast<int>(index));
        selector->unlockCharacter(static_cast<int>(index));
        refreshUnlockCharacterButton();
        return;
    }
    const auto character = QVModelController::shared()->getModels<QVModelAssetCharacter>()[index];
    scoreRecord("").coins.spend(priceOf(*character));
    QVPSettingsController* settings = QVPSettingsController::shared();
    settings->unlockCharacter(index);
    settings->setSelectedCharacter(static_cast<int>(index));
    settings->save();
    refreshUnlockCharacterButton();
}

QVPObjectCharacterSelector* QVPScreenUi::characterSelector() const {
    for (const ObjectEntry& entry : objectMap()) {
        if (auto* selector = dynamic_cast<QVPObjectCharacterSelector*>(entry.second)) return selector;
    }
    return nullptr;
}

void QVPScreenUi::refreshUnlockCharacterButton() {
    QVPObjectButton* button = findButton("kUnlockCharacter");
    if (button) button->setVisible(!affordableCharacters().empty());
}

void QVPScreenUi::fullscreenButtonAction(CCObject* sender) {
    (void)sender;
    switchWindowMode(true);
}

void QVPScreenUi::windowedButtonAction(CCObject* sender) {
    (void)sender;
    switchWindowMode(false);
}

void QVPScreenUi::showWindowModeButtons(bool fullscreen) {
    // Either button may be missing.
    if (m_fullscreenButton) m_fullscreenButton->setVisible(!fullscreen);
    if (m_windowedButton) m_windowedButton->setVisible(fullscreen);
}

void QVPScreenUi::switchWindowMode(bool fullscreen) {
    showWindowModeButtons(fullscreen);
    QVPSettingsController::shared()->setFullscreen(fullscreen);
    QVServices::shared()->requestFullscreen(fullscreen);
}

void QVPScreenUi::customButtonAction(CCObject* sender) {
    if (const auto model = buttonModelOf(sender)) QVAdCustom::shared()->buttonActivated(model->name());
}
