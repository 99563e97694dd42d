#include "player/screens/ScreenManager.h"

#include <memory>
#include <vector>

#include "base/CCArray.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVNode.h"
#include "model/core/QVModelController.h"
#include "player/app/QVSound.h"
#include "player/app/QVSwitchStates.h"
#include "player/app/ScoreTable.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreen.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "scene/CCScene.h"

const char* const kStartScreenName = "QVPScreenStart";

namespace {

std::string screenKey(const std::shared_ptr<QVNode>& node) {
    const std::shared_ptr<QVModelScreen> screen = node ? node->screenModel() : nullptr;
    return screen ? screen->key() : std::string();
}

}  // namespace

ScreenManager* ScreenManager::shared() {
    // Never destroyed: its scene must not be released after the engine.
    static ScreenManager* const manager = new ScreenManager();
    return manager;
}

ScreenManager::ScreenManager() { reset(); }

ScreenManager::~ScreenManager() { setCurrentScene(nullptr); }

void ScreenManager::reset() {
    m_sceneName.clear();
    m_uiNames.assign(1, kStartScreenName);
    m_current = 0;
    setCurrentScene(nullptr);
    m_startSectionId = 0;
}

void ScreenManager::setCurrentScene(cocos2d::CCScene* scene) {
    // Held until the next navigation, so a scene built but never run cannot
    // leave a dangling record behind.
    if (scene) scene->retain();
    // Forgotten before it is released: what its teardown destroys must not
    // find it through getGameScene.
    cocos2d::CCScene* previous = m_currentScene;
    m_currentScene = scene;
    if (previous) previous->release();
}

std::string ScreenManager::currentUiName() const { return isCurrentAtEnd() ? std::string() : m_uiNames[m_current]; }

QVPScreenScene* ScreenManager::getGameScene() const {
    if (!m_currentScene || m_sceneName.empty()) return nullptr;
    return dynamic_cast<QVPScreenScene*>(m_currentScene->getChildByTag(QVPScreen::kScreenTag));
}

QVPScreen* ScreenManager::getCurrentUi() const {
    if (QVPScreenScene* scene = getGameScene()) return scene->getHud();
    if (!m_currentScene || isCurrentAtEnd()) return nullptr;
    return dynamic_cast<QVPScreen*>(m_currentScene->getChildByTag(QVPScreen::kScreenTag));
}

cocos2d::CCScene* ScreenManager::createCurrentScene() {
    if (m_currentScene) return m_currentScene;
    // A powerup still active when its world is left would otherwise carry
    // its values into every later scene.
    QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
    for (int depth = settings->saveDepth(); depth > 0; --depth) settings->popSettings();

    if (!m_sceneName.empty()) {
        setCurrentScene(QVPScreenScene::createScene());
        if (QVPScreenScene* scene = getGameScene()) scene->applyScoreResets();
        currentScoreRecord().restoreFromSavedCopies();
        scoreRecord("").restoreFromSavedCopies();
    } else if (!isCurrentAtEnd()) {
        setCurrentScene(QVPScreenUi::scene(m_uiNames[m_current] == kStartScreenName));
    }
    settings->resetSaveDepth();
    clearSwitchStates();
    if (QVPScreen* ui = getCurrentUi()) ui->update(0.0f);
    return m_currentScene;
}

std::shared_ptr<QVNode> ScreenManager::currentSceneNode() const {
    if (m_sceneName.empty()) return nullptr;
    for (const std::shared_ptr<QVNodeScene>& node : QVModelController::shared()->getModels<QVNodeScene>()) {
        const std::shared_ptr<QVModelScreenScene> world = node->screenScene();
        if (world && world->key() == m_sceneName) return node;
    }
    return nullptr;
}

std::shared_ptr<QVNode> ScreenManager::currentUiNode() const {
    if (isCurrentAtEnd()) return nullptr;
    for (const std::shared_ptr<QVNodeUI>& node : QVModelController::shared()->getModelsOfKind<QVNodeUI>()) {
        const std::shared_ptr<QVModelScreen> screen = node->screenModel();
        if (screen && screen->key() == m_uiNames[m_current]) return node;
    }
    return nullptr;
}

QVAttribute* ScreenManager::findScene(const std::string& name) const {
    const std::shared_ptr<QVNode> node = currentSceneNode();
    return node ? node->attribute(name) : nullptr;
}

QVAttribute* ScreenManager::findUi(const std::string& name) const {
    const std::shared_ptr<QVNode> node = currentUiNode();
    return node ? node->attribute(name) : nullptr;
}

std::string ScreenManager::sceneUiName() const {
    const std::shared_ptr<QVNode> node = currentSceneNode();
    return node ? screenKey(node->linkTarget("UI")) : std::string();
}

void ScreenManager::clearUi() {
    m_uiNames.clear();
    m_current = 0;
}

void ScreenManager::pushName(const std::string& name) {
    m_uiNames.push_back(name);
    m_current = m_uiNames.size() - 1;
}

void ScreenManager::truncateAfterCurrent() {
    if (!isCurrentAtEnd()) m_uiNames.resize(m_current + 1);
}

void ScreenManager::applyScores(int keepScores) {
    if (keepScores == 1) {
        currentScoreRecord().refreshSavedCopies();
        scoreRecord("").refreshSavedCopies();
    } else {
        scoreRecord("").restoreFromSavedCopies();
    }
}

void ScreenManager::stopAllSounds() { QVSound::stopAll(0, false); }

void ScreenManager::setScene(const std::string& name) {
    m_sceneName = name;
    clearUi();
    const std::string ui = sceneUiName();
    if (!ui.empty()) pushName(ui);
    stopAllSounds();
    setCurrentScene(nullptr);
}

bool ScreenManager::loadScreen(const std::string& name, bool fromUi, int keepScores) {
    const std::shared_ptr<QVNode> from = fromUi ? currentUiNode() : currentSceneNode();
    const std::shared_ptr<QVNodeScene> target = modelCast<QVNodeScene>(from ? from->linkTarget(name) : nullptr);
    // A world without a screen would read as "no world runs".
    const std::string key = screenKey(target);
    if (key.empty()) return false;
    applyScores(keepScores);
    m_sceneName = key;
    clearUi();
    const std::string ui = sceneUiName();
    if (!ui.empty()) pushName(ui);
    stopAllSounds();
    setCurrentScene(nullptr);
    return true;
}

bool ScreenManager::pushUi(const std::string& name, bool fromScene) {
    const std::shared_ptr<QVNode> from = fromScene ? currentSceneNode() : currentUiNode();
    const std::shared_ptr<QVNodeUI> target = modelCast<QVNodeUI>(from ? from->linkTarget(name) : nullptr);
    const std::string key = screenKey(target);
    if (key.empty()) return false;
    if (!isCurrentAtEnd()) {
        // The start screen is never kept under another screen.
        if (m_uiNames[m_current] == kStartScreenName) {
            clearUi();
        } else {
            truncateAfterCurrent();
        }
    }
    pushName(key);
    if (!m_sceneName.empty()) return true;
    stopAllSounds();
    setCurrentScene(nullptr);
    return true;
}

int ScreenManager::replaceScene(const std::string& sceneName, const std::string& uiName, int keepScores) {
    if (sceneName == m_sceneName && uiName == currentUiName()) return 0;
    if (!sceneName.empty()) {
        const bool newWorld = sceneName != m_sceneName;
        if (newWorld) {
            applyScores(keepScores);
            stopAllSounds();
            m_sceneName = sceneName;
            clearUi();
            setCurrentScene(nullptr);
        }
        if (!uiName.empty()) {
            truncateAfterCurrent();
            pushName(uiName);
            return m_currentScene ? 2 : 1;
        }
        const std::string linked = sceneUiName();
        // A new world needs its scene even when its HUD is what shows.
        if (!newWorld && linked == currentUiName()) return 0;
        if (linked.empty()) {
            clearUi();
        } else {
            truncateAfterCurrent();
            pushName(linked);
        }
        return m_currentScene ? 2 : 1;
    }
    if (!uiName.empty()) {
        if (!m_sceneName.empty()) clearUi();
        truncateAfterCurrent();
        applyScores(keepScores);
        stopAllSounds();
        m_sceneName.clear();
        pushName(uiName);
        setCurrentScene(nullptr);
        return 1;
    }
    return 0;
}

bool ScreenManager::resetToSceneUi() {
    const std::string ui = sceneUiName();
    if (ui.empty()) return false;
    clearUi();
    pushName(ui);
    return true;
}

bool ScreenManager::popUi() {
    if (m_current == 0) return false;
    --m_current;
    if (m_sceneName.empty()) {
        stopAllSounds();
        setCurrentScene(nullptr);
    }
    return true;
}

uint32_t ScreenManager::nextSectionId(uint32_t id) const {
    if (id == 0) return 0;
    const std::vector<std::shared_ptr<QVModel>> sections =
        QVModelController::shared()->getModels(typeId<QVModelLevelSection>());
    std::shared_ptr<QVModel> found;
    for (const std::shared_ptr<QVModel>& section : sections) {
        if (!found) {
            if (section->id() == id) found = section;
        } else if (section->hasParent(found) && section->id() > 0) {
            return section->id();
        }
    }
    return 0;
}
