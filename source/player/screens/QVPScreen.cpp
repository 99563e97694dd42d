#include "player/screens/QVPScreen.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "audio/SimpleAudioEngine.h"
#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "input/CCTouchDispatcher.h"
#include "menu/CCMenu.h"
#include "model/classes/QVModelControls.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelObjectLoadingBar.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelUIObjects.h"
#include "model/core/QVModelController.h"
#include "platform/QVLog.h"
#include "player/app/QVAdController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVServices.h"
#include "player/app/QVSound.h"
#include "player/app/QVSoundController.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVPObject.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVObjectModelHolder.h"
#include "player/ui/QVPObjectButton.h"
#include "player/ui/QVPObjectButtonPowerup.h"
#include "player/ui/QVPObjectButtonPurchase.h"
#include "player/ui/QVPObjectCharacterSelector.h"
#include "player/ui/QVPObjectEventObserver.h"
#include "player/ui/QVPObjectImage.h"
#include "player/ui/QVPObjectLoadingBar.h"
#include "player/ui/QVPObjectManipulator.h"
#include "player/ui/QVPObjectSwipeControl.h"
#include "player/ui/QVPObjectText.h"
#include "scene/CCScene.h"

using cocos2d::CCNode;
using cocos2d::CCObject;

namespace {

constexpr float kFramesPerSecond = 30.0f;
// Highlight candidates further than this across the move are ignored.
constexpr float kHighlightCrossLimit = 100.0f;
constexpr float kNoCandidate = 1000000.0f;

enum HighlightDirection { kHighlightUp = 12, kHighlightDown = 13, kHighlightLeft = 14, kHighlightRight = 15 };

// Children of `node` in child order; empty for a leaf.
std::vector<CCNode*> childNodes(CCNode* node) {
    std::vector<CCNode*> nodes;
    cocos2d::CCArray* children = node ? node->getChildren() : nullptr;
    for (unsigned int i = 0; children && i < children->count(); ++i) {
        nodes.push_back(static_cast<CCNode*>(children->objectAtIndex(i)));
    }
    return nodes;
}

// The touch delegate of an on-screen control made by the build; null for
// anything else.
cocos2d::CCTouchDelegate* touchControlOf(CCNode* node) {
    if (auto* joystick = dynamic_cast<QVPObjectButtonJoystick*>(node)) return joystick;
    if (auto* swipe = dynamic_cast<QVPObjectSwipeControl*>(node)) return swipe;
    if (auto* selector = dynamic_cast<QVPObjectCharacterSelector*>(node)) return selector;
    return nullptr;
}

// Its music plays in a world on screens that have none.
const char* const kMainMenuKey = "QVPScreenMainMenu";

// The loaded screen of that Key; unlike screenForKey, makes none.
std::shared_ptr<QVModelScreen> loadedScreen(const std::string& key) {
    for (const auto& screen : QVModelController::shared()->getModels<QVModelScreen>()) {
        if (screen->key() == key) return screen;
    }
    return nullptr;
}

bool isPlainlyBound(const std::shared_ptr<QVModelObjectButton>& model) {
    return !modelCast<QVModelObjectButtonPowerup>(model) && !modelCast<QVModelObjectButtonPurchase>(model) &&
           !modelCast<QVModelObjectButtonCharacterUnlock>(model);
}

}  // namespace

std::shared_ptr<QVModelObjectButton> QVPScreen::buttonModelOf(CCObject* sender) {
    return modelKindCast<QVModelObjectButton>(QVObjectModelHolder::modelOf(dynamic_cast<CCNode*>(sender)));
}

QVPScreen::QVPScreen() {
    m_uiContainer = CCNode::create();
    m_uiContainer->retain();
    m_soundController = new QVSoundController(this);
}

QVPScreen::~QVPScreen() {
    // The controls leave the dispatcher on exit; this covers a screen
    // destroyed while still running.
    cocos2d::CCTouchDispatcher* dispatcher = cocos2d::CCDirector::sharedDirector()->getTouchDispatcher();
    for (CCNode* child : childNodes(m_uiContainer)) {
        if (auto* delegate = touchControlOf(child)) dispatcher->removeDelegate(delegate);
    }
    m_soundController->release();
    m_pendingAction = nullptr;
    setObjectList({});
    m_objectMap.clear();
    m_model.reset();
    m_uiContainer->release();
}

// ---- engine overrides

bool QVPScreen::init() {
    if (!CCLayer::init()) return false;
    forEachButton([this](QVPObjectButton* button) {
        if (isPlainlyBound(button->getModel())) {
            button->setActionTarget(this, menu_selector(QVPScreen::runButtonAction));
        }
    });
    assignButtonAction("kRestorePurchasesButton", PurchaseService::shared(), menu_selector(PurchaseService::restore));
    assignButtonAction("kGameServices", this, menu_selector(QVPScreen::showGameServices));
    m_soundController->bindButtons();
    if (m_model && m_model->muted()) setVisible(false);
    return true;
}

void QVPScreen::update(float dt) {
    m_screenTime += dt;
    if (m_model) {
        if (m_screenState == kOpening) {
            if (m_screenTime >= m_model->openAnimationFrames() / kFramesPerSecond) setScreenState(kIdle);
        } else if (m_screenState == kIdle && m_model->idleAnimationLoop()) {
            const float period = m_model->idleAnimationFrames() / kFramesPerSecond;
            if (m_screenTime >= period) {
                setScreenState(kIdle);
                // Without this the loop would fire on every later frame.
                if (period > 0.0f) m_screenTime -= period;
            }
        }
    }
    // An object's update may remove objects, itself included.
    const std::vector<CCNode*> snapshot = m_objects;
    for (CCNode* object : snapshot) object->retain();
    for (CCNode* object : snapshot) object->update(dt);
    for (CCNode* object : snapshot) object->release();

    if (m_highlightDelay > 0.0f) {
        m_highlightDelay -= dt;
        return;
    }
    if (m_uiHiddenForFrame != 0.0f) {
        m_uiHiddenForFrame = 0.0f;
        m_uiContainer->setVisible(true);
    }
}

void QVPScreen::onEnter() {
    CCLayer::onEnter();
    playMusic();
}

// ---- own virtual operations

void QVPScreen::stopMusic() { CocosDenshion::SimpleAudioEngine::sharedEngine()->stopBackgroundMusic(false); }

void QVPScreen::playMusic() {
    if (!m_model) return;
    if (m_model->key() == kStartScreenName) {
        // The start screen was built from the first pack; the loaded model
        // of its Key knows the music.
        if (std::shared_ptr<QVModelScreen> loaded = findScreenModel(kStartScreenName)) {
            m_model->setMusic(loaded->music());
        }
    }
    std::shared_ptr<QVModelScreen> source = m_model;
    if (!source->music()) {
        QVPScreenScene* scene = parentGameScene();
        if (!scene) return;
        source = scene->model();
        if (!source || !source->music()) source = loadedScreen(kMainMenuKey);
        if (!source || !source->music()) return;
    }
    auto* sound = new QVSound(source->music(), 0);
    sound->setAutoRelease(true);
    sound->play(source->loopMusic(), true);
}

void QVPScreen::refreshObjects() {
    m_screenTime = 0.0f;
    for (const ObjectEntry& entry : m_objectMap) {
        CCNode* node = entry.second;
        if (auto* image = dynamic_cast<QVPObjectImage*>(node)) {
            image->restart();
            image->update(0.0f);
        } else if (auto* button = dynamic_cast<QVPObjectButton*>(node)) {
            button->resetAnimationTime();
        } else if (auto* object = dynamic_cast<QVPObject*>(node)) {
            object->reset();
        }
    }
}

void QVPScreen::onAdsRemoved() {
    hideBannerAndInterstitial();
    forEachButton([](QVPObjectButton* button) {
        const auto purchase = modelCast<QVModelObjectButtonPurchase>(button->getModel());
        if (purchase && purchase->purchaseType() == "kPurchaseRemoveAds") button->setVisible(false);
    });
}

void QVPScreen::activateHighlightedButton() {
    logMessage("press hilight button");
    for (QVPObjectButton* item : menuItems()) {
        if (!item->isSelected()) continue;
        logMessage("button activated");
        item->activate();
        return;
    }
}

void QVPScreen::moveHighlight(int direction) {
    logMessage("hlight button: %d", direction);
    const std::vector<QVPObjectButton*> items = menuItems();
    if (items.empty()) return;
    QVPObjectButton* current = nullptr;
    for (QVPObjectButton* item : items) {
        if (item->isSelected()) {
            current = item;
            break;
        }
    }
    if (!current) {
        current = items.front();
        current->selected();
    }
    const bool vertical = direction == kHighlightUp || direction == kHighlightDown;
    const bool positive = direction == kHighlightUp || direction == kHighlightRight;
    const cocos2d::CCPoint from = current->getPosition();
    // Axis and cross distance of an item; false when it is not a candidate.
    auto distances = [&](QVPObjectButton* item, float& axis, float& cross) {
        if (item == current || item->isSelected()) return false;
        const cocos2d::CCPoint to = item->getPosition();
        axis = vertical ? to.y - from.y : to.x - from.x;
        cross = vertical ? to.x - from.x : to.y - from.y;
        if (std::fabs(cross) > kHighlightCrossLimit) return false;
        return positive ? axis > 0.0f : axis < 0.0f;
    };
    float best = kNoCandidate;
    for (QVPObjectButton* item : items) {
        float axis = 0.0f, cross = 0.0f;
        if (distances(item, axis, cross)) best = std::min(best, std::fabs(axis));
    }
    logMessage("selected button pos: %f %f", from.x, from.y);
    QVPObjectButton* candidate = nullptr;
    float bestCross = 0.0f;
    for (QVPObjectButton* item : items) {
        float axis = 0.0f, cross = 0.0f;
        if (!distances(item, axis, cross) || std::fabs(axis) != best) continue;
        logMessage("checking buttons with same axis distance: %f %f", item->getPositionX(), item->getPositionY());
        if (!candidate || std::fabs(cross) < bestCross) {
            candidate = item;
            bestCross = std::fabs(cross);
        }
    }
    if (!candidate) return;
    current->unselected();
    candidate->selected();
}

void QVPScreen::hilightDefaultButton() {
    logMessage("QVPScreenUi -  hilightDefaultButton");
    QVPObjectButton* chosen = nullptr;
    int chosenDepth = 0;
    for (const ObjectEntry& entry : m_objectMap) {
        auto* item = dynamic_cast<QVPObjectButton*>(entry.second);
        if (!item) continue;
        const int depth = entry.first->zDepth();
        if (!chosen || depth >= chosenDepth) {
            chosen = item;
            chosenDepth = depth;
        }
    }
    if (chosen) chosen->selected();
}

void QVPScreen::removeObject(const std::shared_ptr<QVModelObject>& objectModel) {
    if (!objectModel) return;
    const auto found = std::find_if(m_objectMap.begin(), m_objectMap.end(),
                                    [&](const ObjectEntry& entry) { return entry.first->id() == objectModel->id(); });
    if (found == m_objectMap.end()) return;
    CCNode* node = found->second;
    m_objectMap.erase(found);
    const auto listed = std::find(m_objects.begin(), m_objects.end(), node);
    node->retain();
    node->removeFromParent();
    if (listed != m_objects.end()) {
        m_objects.erase(listed);
        node->release();
    }
    node->release();
}

void QVPScreen::updateAds() {
    if (!m_model || QVPSettingsController::shared()->removeAds()) return;
    logMessage("[%s] banner: %s interstitial: %s", m_model->key().c_str(), m_model->adBanner().c_str(),
               m_model->adInterstitial().c_str());
    m_model->setBannerCounter(m_model->bannerCounter() + 1);
    if (m_model->adBannerFreq() <= m_model->bannerCounter()) {
        m_model->setBannerCounter(0);
        QVAdController::shared()->showBanner(m_model->adBanner());
    }
    if (m_skipNextInterstitial) {
        m_skipNextInterstitial = false;
        return;
    }
    m_model->setInterstitialCounter(m_model->interstitialCounter() + 1);
    if (m_model->interstitialCounter() >= m_model->adInterstitialsFreq()) {
        m_model->setInterstitialCounter(0);
        QVAdController::shared()->showInterstitial(m_model->adInterstitial());
    }
}

bool QVPScreen::shouldShowBanner() { return m_model && m_model->shouldShowBanner(); }

QVPScreenScene* QVPScreen::parentGameScene() { return dynamic_cast<QVPScreenScene*>(getParent()); }

void QVPScreen::hideAds() {
    stopMusic();
    hideBannerAndInterstitial();
}

void QVPScreen::closeScreen() {
    stopMusic();
    hideBannerAndInterstitial();
    if (QVPScreenScene* scene = parentGameScene()) {
        scene->resume();
    } else if (auto* parent = dynamic_cast<QVPScreen*>(getParent())) {
        parent->setUiVisible(true);
        parent->updateAds();
    }
    removeFromParent();
}

void QVPScreen::spawnPowerup(const std::shared_ptr<QVModelObjectAssetPowerup>& powerupModel, bool aboveCharacter) {
    (void)aboveCharacter;
    if (!powerupModel || powerupModel->powerupType() != "kPowerupCoin") return;
    addReward(powerupModel->rewardCoins(), powerupModel->rewardPoints(),
              ScreenManager::shared()->getGameScene() != nullptr);
    QVPSettingsController::shared()->save();
}

void QVPScreen::runButtonAction(CCObject* sender) {
    if (m_screenState == kClosing) return;
    const std::shared_ptr<QVModelObjectButton> model = buttonModelOf(sender);
    if (!model) return;
    scheduleAction([this, model] { openScreen(model); });
}

void QVPScreen::openScreen(const std::shared_ptr<QVModelObjectButton>& buttonModel) { (void)buttonModel; }

void QVPScreen::purchaseButtonAction(CCObject* sender) {
    auto* button = dynamic_cast<QVPObjectButtonPurchase*>(sender);
    const auto model = button ? modelCast<QVModelObjectButtonPurchase>(button->getModel()) : nullptr;
    if (!model) return;
    if (model->purchaseMethod() == "kInAppPurchase") {
        if (model->storeIdentifier().empty()) return;
        PurchaseService::shared()->setCallback(
            button, static_cast<PurchaseService::Callback>(&QVPObjectButtonPurchase::purchaseDidComplete));
        PurchaseService::shared()->purchase(model->storeIdentifier());
    } else if (model->purchaseMethod() == "kRewardedVideos") {
        QVAdController::shared()->setRewardedVideoCallback(
            button, static_cast<cocos2d::SEL_CallFunc>(&QVPObjectButtonPurchase::purchase));
        QVAdController::shared()->showRewardedVideo(model->adNetwork());
    } else {
        button->purchase();
    }
}

void QVPScreen::powerupButtonAction(CCObject* sender) {
    auto* button = dynamic_cast<QVPObjectButtonPowerup*>(sender);
    const auto model = button ? modelCast<QVModelObjectButtonPowerup>(button->getModel()) : nullptr;
    auto* scene = dynamic_cast<QVPScreenScene*>(runningScreen());
    if (!model || !scene) return;
    button->retain();
    const auto powerup = button->getPowerupModel();
    QVPSettingsController* settings = QVPSettingsController::shared();
    if (model->unlimitedUse()) {
        scene->spawnPowerup(powerupPlacement(powerup), model->isLayeringAboveCharacter());
    } else if (powerup && settings->inventoryAmount(powerup) > 0) {
        scene->spawnPowerup(powerupPlacement(powerup), model->isLayeringAboveCharacter());
        settings->setInventoryAmount(powerup, settings->inventoryAmount(powerup) - 1);
    }
    button->startRefillTimer();
    button->release();
}

void QVPScreen::showGameServices(CCObject* sender) {
    (void)sender;
    QVServices::shared()->showGameServices();
}

std::shared_ptr<QVModelScreen> QVPScreen::findScreenModel(const std::string& name) {
    return QVModelScreen::screenForKey(name);
}

// ---- building and binding

bool QVPScreen::buildFromModel(const std::string& name, bool createObjects) {
    m_highlightDelay = 0.0f;
    m_uiHiddenForFrame = 0.0f;
    m_model = findScreenModel(name);
    if (!m_uiContainer->getParent()) addChild(m_uiContainer, kUiContainerZ);
    if (!createObjects || !m_model) {
        setScreenState(kOpening);
        return true;
    }
    DepthList listed;
    std::vector<std::shared_ptr<QVModelObjectButton>> buttons;
    for (const std::shared_ptr<QVModelObject>& objectModel : m_model->objects()) {
        if (objectModel->hidden()) continue;
        if (auto button = modelKindCast<QVModelObjectButton>(objectModel)) {
            buttons.push_back(std::move(button));
            continue;
        }
        CCNode* node = createObject(objectModel);
        if (!node) continue;
        m_objectMap.emplace_back(objectModel, node);
        m_uiContainer->addChild(node, objectModel->zDepth());
        listed.emplace_back(objectModel->zDepth(), node);
    }
    addButtons(std::move(buttons), listed);
    std::vector<CCNode*> objects;
    for (const auto& entry : sortedByDepth(std::move(listed))) objects.push_back(entry.second);
    setObjectList(std::move(objects));
    setScreenState(kOpening);
    return true;
}

QVPScreen::DepthList QVPScreen::sortedByDepth(DepthList list) {
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return list;
}

CCNode* QVPScreen::createObject(const std::shared_ptr<QVModelObject>& objectModel) {
    if (auto image = modelCast<QVModelObjectImage>(objectModel)) return QVPObjectImage::create(image, 1.0f, true);
    if (auto label = modelCast<QVModelObjectLabel>(objectModel)) {
        QVPObjectText* text = QVPObjectText::create(label);
        if (text) text->update(0.0f);
        return text;
    }
    if (auto bar = modelCast<QVModelObjectLoadingBar>(objectModel)) return QVPObjectLoadingBar::create(bar);
    if (auto unlocker = modelCast<QVModelObjectUnlocker>(objectModel)) {
        unlocker->applyCharacterUnlock();
        unlocker->applySceneUnlock();
        return nullptr;
    }
    if (auto manipulator = modelCast<QVModelObjectManipulator>(objectModel)) {
        return QVPObjectButtonJoystick::create(manipulator);
    }
    if (auto accelerometer = modelCast<QVModelObjectAccelerometer>(objectModel)) {
        QVPObjectAccelerometer::shared()->setModel(accelerometer);
        return nullptr;
    }
    if (auto swipe = modelCast<QVModelObjectSwipeControl>(objectModel)) return QVPObjectSwipeControl::create(swipe);
    if (auto selector = modelCast<QVModelObjectCharacterSelector>(objectModel)) {
        return QVPObjectCharacterSelector::create(selector);
    }
    if (auto observer = modelCast<QVModelObjectEventObserver>(objectModel)) {
        return QVPObjectEventObserver::create(observer);
    }
    return nullptr;
}

void QVPScreen::addButtons(std::vector<std::shared_ptr<QVModelObjectButton>> buttonModels, DepthList& listed) {
    std::stable_sort(buttonModels.begin(), buttonModels.end(),
                     [](const auto& a, const auto& b) { return a->zDepth() < b->zDepth(); });
    for (const std::shared_ptr<QVModelObjectButton>& model : buttonModels) {
        cocos2d::CCMenu* menu = cocos2d::CCMenu::create(model->blockTouch());
        menu->setAnchorPoint(cocos2d::CCPointZero);
        menu->setPosition(cocos2d::CCPointZero);
        menu->setTag(kButtonMenuTag);
        if (QVPObjectButton* button = QVPObjectButton::createFromModel(model, this)) {
            m_objectMap.emplace_back(model, button);
            listed.emplace_back(model->zDepth(), button);
            menu->addChild(button);
        }
        // -INT_MIN does not exist.
        menu->setTouchPriority(model->zDepth() == INT_MIN ? INT_MAX : -model->zDepth());
        if (menu->getChildrenCount() > 0) m_uiContainer->addChild(menu, model->zDepth());
    }
}

void QVPScreen::setObjectList(std::vector<CCNode*> objects) {
    for (CCNode* object : objects) object->retain();
    for (CCNode* object : m_objects) object->release();
    m_objects = std::move(objects);
}

CCNode* QVPScreen::objectFor(uint32_t modelId) const {
    for (const ObjectEntry& entry : m_objectMap) {
        if (entry.first->id() == modelId) return entry.second;
    }
    return nullptr;
}

std::string QVPScreen::key() const { return m_model ? m_model->key() : std::string(); }

void QVPScreen::forEachButton(const std::function<void(QVPObjectButton*)>& visit) const {
    for (CCNode* menu : childNodes(m_uiContainer)) {
        if (menu->getTag() != kButtonMenuTag) continue;
        for (CCNode* item : childNodes(menu)) {
            if (auto* button = dynamic_cast<QVPObjectButton*>(item)) visit(button);
        }
    }
}

std::vector<QVPObjectButton*> QVPScreen::menuItems() const {
    std::vector<QVPObjectButton*> items;
    for (const ObjectEntry& entry : m_objectMap) {
        if (auto* button = dynamic_cast<QVPObjectButton*>(entry.second)) items.push_back(button);
    }
    return items;
}

void QVPScreen::assignButtonAction(const std::string& key, CCObject* target, cocos2d::SEL_MenuHandler handler) {
    for (QVPObjectButton* button : findButtons(key)) button->setActionTarget(target, handler);
}

void QVPScreen::bindPressRelease(const std::string& key, CCObject* target, cocos2d::SEL_MenuHandler pressHandler,
                                 cocos2d::SEL_MenuHandler releaseHandler) {
    for (QVPObjectButton* button : findButtons(key))
        button->setPressReleaseTarget(target, pressHandler, releaseHandler);
}

std::vector<QVPObjectButton*> QVPScreen::findButtons(const std::string& key) {
    std::vector<QVPObjectButton*> found;
    forEachButton([&](QVPObjectButton* button) {
        if (button->getModel() && button->getModel()->action() == key) found.push_back(button);
    });
    return found;
}

QVPObjectButton* QVPScreen::findButton(const std::string& key) {
    const std::vector<QVPObjectButton*> found = findButtons(key);
    return found.empty() ? nullptr : found.front();
}

// ---- actions and states

void QVPScreen::scheduleAction(Action action) {
    const int frames = m_model ? m_model->closeAnimationFrames() : 0;
    if (frames <= 0) {
        if (action) action();
        return;
    }
    m_pendingAction = std::move(action);
    schedule(schedule_selector(QVPScreen::runPendingAction), frames / kFramesPerSecond, 0, 0.0f);
    setScreenState(kClosing);
}

void QVPScreen::runPendingAction(float dt) {
    (void)dt;
    Action action = std::move(m_pendingAction);
    m_pendingAction = nullptr;
    // The action may replace the scene and so drop the last reference.
    retain();
    if (action) action();
    // An action that did not take the screen away must not leave it closing
    // for ever.
    if (!m_pendingAction && isRunning() && getParent() && !cocos2d::CCDirector::sharedDirector()->getNextScene()) {
        setScreenState(kIdle);
    }
    release();
}

void QVPScreen::setScreenState(int state) {
    m_screenState = state;
    for (const ObjectEntry& entry : m_objectMap) {
        CCNode* node = entry.second;
        if (auto* image = dynamic_cast<QVPObjectImage*>(node)) {
            image->setAnimationState(state);
        } else if (auto* button = dynamic_cast<QVPObjectButton*>(node)) {
            button->setAnimationState(state);
            button->update(0.0f);
        } else if (auto* text = dynamic_cast<QVPObjectText*>(node)) {
            text->setAnimationState(state);
            text->update(0.0f);
        } else if (auto* selector = dynamic_cast<QVPObjectCharacterSelector*>(node)) {
            selector->setAnimationState(state);
        }
    }
}

void QVPScreen::switchToScene(cocos2d::CCScene* scene) {
    if (!scene) return;
    unscheduleAllSelectors();
    hideUiObjects();
    auto* next = dynamic_cast<QVPScreen*>(scene->getChildByTag(kScreenTag));
    if (next && !next->shouldShowBanner()) hideBannerAndInterstitial();
    cocos2d::CCDirector::sharedDirector()->replaceScene(scene);
}

void QVPScreen::addChildScreen(QVPScreen* child) {
    if (!child) return;
    if (!child->shouldShowBanner()) hideBannerAndInterstitial();
    m_uiContainer->setVisible(false);
    addChild(child);
}

void QVPScreen::hideBannerAndInterstitial() {
    logMessage("[%s] hide ads", key().c_str());
    QVAdController::shared()->hideBanner();
    QVAdController::shared()->hideInterstitial();
}

void QVPScreen::setUiVisible(bool visible) { m_uiContainer->setVisible(visible); }

void QVPScreen::hideUiObjects() {
    for (CCNode* child : childNodes(m_uiContainer)) child->setVisible(false);
}

QVPScreen* QVPScreen::runningScreen() {
    cocos2d::CCScene* scene = cocos2d::CCDirector::sharedDirector()->getRunningScene();
    const std::vector<CCNode*> children = childNodes(scene);
    return children.empty() ? nullptr : dynamic_cast<QVPScreen*>(children.front());
}

QVPScreen* QVPScreen::topmostScreen() {
    QVPScreen* screen = runningScreen();
    for (bool deeper = screen != nullptr; deeper;) {
        deeper = false;
        for (CCNode* child : childNodes(screen)) {
            if (auto* inner = dynamic_cast<QVPScreen*>(child)) {
                screen = inner;
                deeper = true;
                break;
            }
        }
    }
    return screen;
}
