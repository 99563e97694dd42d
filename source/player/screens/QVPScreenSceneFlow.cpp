// Checkpoints, lives, pause, restart, game over, the pending actions the UI
// screens request, the HUD rebuild and the screen switches that start from
// the game field.
#include <algorithm>
#include <map>
#include <vector>

#include "base/CCArray.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVModelController.h"
#include "platform/QVLog.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVServices.h"
#include "player/app/QVSound.h"
#include "player/app/QVSwitchStates.h"
#include "player/app/QVUtilities.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectAssetPowerup.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectButtonPurchase.h"
#include "scene/CCScene.h"

using cocos2d::CCNode;
using cocos2d::CCObject;
using cocos2d::CCPoint;

namespace {

const char* const kCheckpointPowerup = "kPowerupCheckpoint";
const char* const kDefaultPauseLink = "Pause";
// Owner tag of the game scene's sounds.
constexpr unsigned int kSceneSoundOwner = 1;
// The checkpoint scan: steps over empty distances, its far end, and how
// often one section may come up before it gives up.
constexpr float kScanStep = 100.0f;
constexpr float kScanLimit = 1000000.0f;
constexpr int kScanRepeats = 10;
// The camera is put back along a line this long in the gameplay direction.
constexpr float kCheckpointLineLength = 100000000.0f;

// Children of `node` in child order, retained until the list goes.
class ChildSnapshot {
public:
    explicit ChildSnapshot(CCNode* node) {
        cocos2d::CCArray* children = node ? node->getChildren() : nullptr;
        for (unsigned int i = 0; children && i < children->count(); ++i) {
            auto* child = static_cast<CCNode*>(children->objectAtIndex(i));
            child->retain();
            m_nodes.push_back(child);
        }
    }
    ~ChildSnapshot() {
        for (CCNode* node : m_nodes) node->release();
    }
    ChildSnapshot(const ChildSnapshot&) = delete;
    ChildSnapshot& operator=(const ChildSnapshot&) = delete;
    const std::vector<CCNode*>& nodes() const { return m_nodes; }

private:
    std::vector<CCNode*> m_nodes;
};

bool hasChildren(CCNode* node) { return node->getChildren() && node->getChildren()->count() > 0; }

bool isPowerup(CCNode* node) {
    auto* object = dynamic_cast<QVPObject*>(node);
    return object && object->typeFlags() == QVPObject::kTypePowerup;
}

// An activated checkpoint is not offered again.
bool isActivatedPowerup(CCNode* node) {
    auto* powerup = dynamic_cast<QVPObjectAssetPowerup*>(node);
    return powerup && powerup->isActivated();
}

bool isCheckpointPowerupModel(const std::shared_ptr<QVModel>& model) {
    const auto powerup = modelKindCast<QVModelObjectAssetPowerup>(model);
    return powerup && powerup->powerupType() == kCheckpointPowerup;
}

// No checkpoint: the world starts from its beginning.
void clearCheckpoint(CheckpointRecord& record) { record = CheckpointRecord{0, 0, 0, 0, 0, -1}; }

// The record's current values and their saved copies become 0.
void zeroScores(ScoreRecord& record) {
    record.distance.current = 0;
    record.points.current = 0;
    record.coins.current = 0;
    record.refreshSavedCopies();
}

void saveState() { QVPSettingsController::shared()->save(); }

// How far ahead of the characters the object lies; negative when behind.
// Only an asset object knows it.
float distanceAhead(QVPObject* object) {
    auto* asset = dynamic_cast<QVPObjectAsset*>(object);
    return asset ? asset->distanceAlongGameDirection() : -1.0f;
}

}  // namespace

// ---- checkpoints

QVPObject* QVPScreenScene::findCreatedCheckpointPowerup(CCNode* node) {
    if (!node) node = m_camera;
    QVPObject* best = nullptr;
    float bestDistance = 0.0f;
    auto consider = [&](QVPObject* candidate) {
        if (!candidate) return;
        const float distance = distanceAhead(candidate);
        if (distance < 0.0f) return;
        if (!best || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    };
    cocos2d::CCArray* children = node ? node->getChildren() : nullptr;
    for (unsigned int i = 0; children && i < children->count(); ++i) {
        auto* child = static_cast<CCNode*>(children->objectAtIndex(i));
        if (isPowerup(child) && !isActivatedPowerup(child) &&
            isCheckpointPowerupModel(static_cast<QVPObject*>(child)->getModel())) {
            consider(static_cast<QVPObject*>(child));
        }
        if (hasChildren(child)) consider(findCreatedCheckpointPowerup(child));
    }
    return best;
}

void QVPScreenScene::activateCheckpointPowerup() {
    if (QVPObject* found = findCreatedCheckpointPowerup(nullptr)) {
        found->setState(QVPObject::kStateMoving);
        logMessage("Checkpoint powerup activated for object that already created with distance: %f",
                   static_cast<double>(distanceAhead(found)));
        return;
    }
    const CCPoint direction = QVPGameFieldSettings::shared()->gameplayDirection();
    float d = m_nextSectionStart;
    std::map<uint32_t, int> seen;
    for (;;) {
        const std::shared_ptr<QVModelLevelSection> section = levelSectionAt(d);
        if (!section || section->objects().empty()) {
            d += kScanStep;
            // Also ends a scan that starts from a distance that is no number.
            if (!(d <= kScanLimit)) return;
            continue;
        }
        for (const std::shared_ptr<QVModelObject>& child : section->objects()) {
            if (!isCheckpointPowerupModel(child)) continue;
            QVPObject* created = createObjectFromModel(child, section->id(), direction * d, true);
            if (!created) continue;
            section->setPlacedAt(d);
            created->setState(QVPObject::kStateMoving);
            logMessage("Checkpoint powerup activated for object that was not creatied at distance %f",
                       static_cast<double>(d));
            return;
        }
        d += section->width();
        const auto visit = seen.find(section->id());
        if (visit == seen.end()) {
            seen[section->id()] = 0;
        } else if (++visit->second > kScanRepeats) {
            logMessage("Warning: checkpoint powerup NOT found");
            return;
        }
    }
}

void QVPScreenScene::saveCheckpoint(const CCPoint& point, int sectionId) {
    CheckpointRecord* record = currentCheckpointRecord();
    if (!record) return;
    if (sectionId >= 0) {
        const auto section =
            QVModelController::shared()->getModel<QVModelLevelSection>(static_cast<uint32_t>(sectionId));
        if (section) record->distance = section->placedAt();
    }
    record->pointX = point.x;
    record->pointY = point.y;
    record->sectionId = sectionId;
    const CCPoint start = QVPInputController::startPosition();
    const CCPoint far = QVPGameFieldSettings::shared()->gameplayDirection() * kCheckpointLineLength;
    const CCPoint foot = closestPointOnLine(0, 0, far.x, far.y, point.x - start.x, point.y - start.y);
    record->cameraX = -foot.x;
    record->cameraY = -foot.y;
    currentScoreRecord().refreshSavedCopies();
    scoreRecord("").refreshSavedCopies();
    saveState();
}

// ---- lives and game over

void QVPScreenScene::setGameOver(bool on) {
    if (m_gameOver && on) return;
    if (on) {
        if (const std::shared_ptr<QVModelComponentHealth> health = m_inputController->characterHealth()) {
            if (health->livesLeft() < 1) {
                health->setLivesLeft(0);
            } else {
                health->setLivesLeft(health->livesLeft() - 1);
                if (health->livesLeft() > 0) {
                    requestPendingActions(kActionBackToHud);
                    return;
                }
            }
        }
    }
    m_gameOver = on;
    if (!on) {
        // Continue gives one more try, and the count says so while it plays.
        const std::shared_ptr<QVModelComponentHealth> health = m_inputController->characterHealth();
        if (health && health->livesLeft() < 1) health->setLivesLeft(1);
        resetGameField();
        updateAds();
        return;
    }
    setPausedRecursive(m_camera, true);
    if (QVServices::shared()->isAvailable()) QVServices::shared()->submitScore();
    killPowerupsRecursive(m_camera);
    saveState();
    clearSwitchStates();
    if (m_hud) m_hud->setEnabled(false);
}

void QVPScreenScene::killPowerupsRecursive(CCNode* node) {
    if (!node) return;
    // A killed powerup may take others with it.
    const ChildSnapshot children(node);
    for (CCNode* child : children.nodes()) {
        if (isPowerup(child)) static_cast<QVPObject*>(child)->setState(QVPObject::kStateDying);
        if (hasChildren(child)) killPowerupsRecursive(child);
    }
}

// ---- pending actions

void QVPScreenScene::requestPendingActions(int bits) {
    if (!m_hud) {
        m_pendingActions |= bits;
        return;
    }
    // The HUD keeps one waiting action: every request hands it the same
    // one, which runs whatever bits wait when it fires.
    m_scheduledActions |= bits;
    m_hud->scheduleAction([this] {
        const int waiting = m_scheduledActions;
        m_scheduledActions = 0;
        runPendingActions(waiting);
    });
}

void QVPScreenScene::runPendingActions(int bits) {
    if (bits == 0) return;
    const std::shared_ptr<QVModelComponentHealth> health = m_inputController->characterHealth();
    if (m_model) {
        const std::string key = m_model->key();
        if (bits & kActionNewRun) {
            QVPObjectButtonPurchase::resetPerGamePurchases();
            clearCheckpoint(checkpointRecord(key));
            if (health) health->setLivesLeft(health->lives());
        }
        if (bits & kActionRemoveScores) {
            ScoreRecord& world = scoreRecord(key);
            ScoreRecord& global = scoreRecord("");
            world.restoreFromSavedCopies();
            global.restoreFromSavedCopies();
            global.distance.current = std::max(0.0f, global.distance.current - world.distance.current);
            global.points.current = std::max(0, global.points.current - world.points.current);
            global.coins.current = std::max(0, global.coins.current - world.coins.current);
            zeroScores(world);
            global.refreshSavedCopies();
        }
    }
    if (health && health->livesLeft() == 0) health->setLivesLeft(health->lives());
    if (QVPScreen::runningScreen() == this) {
        clearSwitchStates();
        m_gameOver = false;
        resetGameField();
        updateAds();
        if (bits & kActionBackToHud) closeUiAndResume();
    }
    setUiVisible(true);
    saveState();
}

void QVPScreenScene::clearSwitchStates() { ::clearSwitchStates(); }

// ---- pause

void QVPScreenScene::setPaused(bool on) {
    if (on == m_paused) return;
    m_paused = m_requestedPause = on;
    if (on) {
        setPausedRecursive(m_camera, true);
        QVSound::pauseAll(kSceneSoundOwner);
    } else {
        updateAds();
        setPausedRecursive(m_camera, false);
        QVSound::resumeAll(kSceneSoundOwner);
    }
}

void QVPScreenScene::setPausedRecursive(CCNode* node, bool on) {
    cocos2d::CCArray* children = node ? node->getChildren() : nullptr;
    for (unsigned int i = 0; children && i < children->count(); ++i) {
        setPausedRecursive(static_cast<CCNode*>(children->objectAtIndex(i)), on);
    }
    if (auto* animation = dynamic_cast<QVPAnimationObject*>(node)) {
        if (on) {
            animation->pause();
        } else {
            animation->resume();
        }
    }
}

void QVPScreenScene::resume() {
    if (m_paused) setPaused(false);
    setUiVisible(true);
    refreshObjects();
    playMusic();
}

void QVPScreenScene::pauseButtonAction(CCObject* sender) {
    if (m_paused || m_gameOver) return;
    const std::shared_ptr<QVModelObjectButton> button = buttonModelOf(sender);
    const std::string name = button && !button->name().empty() ? button->name() : kDefaultPauseLink;
    if (!ScreenManager::shared()->pushUi(name, false)) return;
    if (!m_paused) {
        m_paused = m_requestedPause = true;
        setPausedRecursive(m_camera, true);
        QVSound::pauseAll(kSceneSoundOwner);
    }
    refreshHud();
}

void QVPScreenScene::restartButtonAction(CCObject* sender) {
    (void)sender;
    QVPObjectButtonPurchase::resetPerGamePurchases();
    clearSwitchStates();
    if (CheckpointRecord* record = currentCheckpointRecord()) clearCheckpoint(*record);
    zeroScores(currentScoreRecord());
    scoreRecord("").restoreFromSavedCopies();
    resetGameField();
}

// ---- HUD

void QVPScreenScene::refreshHud() {
    if (m_hud) {
        // Bits its waiting action would have run go to the next update.
        m_pendingActions |= m_scheduledActions;
        m_scheduledActions = 0;
        // The HUD may be the caller (one of its own button actions): it
        // stays alive until the frame ends.
        m_hud->retain();
        m_hud->autorelease();
        m_hud->removeFromParent();
        m_hud = nullptr;
    }
    const std::string name = ScreenManager::shared()->currentUiName();
    QVPScreenUi* hud = name.empty() ? nullptr : QVPScreenUi::create();
    if (hud) {
        hud->setZOrder(kHudZOrder);
        addChildScreen(hud);
        m_hud = hud;
    }
    if (!m_paused) {
        m_resumeScreens.insert(name);
    } else if (m_resumeScreens.count(name) > 0) {
        setPaused(false);
    }
    if (hud) hud->update(0.0f);
}

void QVPScreenScene::closeTopUi() {
    if (ScreenManager::shared()->popUi()) refreshHud();
}

void QVPScreenScene::closeUiAndResume() {
    if (!ScreenManager::shared()->resetToSceneUi()) return;
    m_resumeScreens.clear();
    if (m_paused) setPaused(false);
    refreshHud();
}

// ---- screen switches

void QVPScreenScene::jumpToScreen(const std::string& name, bool pause, int pendingBits, int keepScores) {
    if (m_hud && m_hud->screenState() == kClosing) return;
    auto jump = [this, name, pause, pendingBits, keepScores] {
        ScreenManager* manager = ScreenManager::shared();
        if (manager->pushUi(name, true)) {
            setPaused(pause);
            refreshHud();
            return;
        }
        if (!manager->loadScreen(name, false, keepScores)) return;
        cocos2d::CCScene* scene = manager->createCurrentScene();
        if (!scene) return;
        if (pendingBits != 0) {
            if (QVPScreenScene* next = manager->getGameScene()) next->runPendingActions(pendingBits);
        }
        switchToScene(scene);
    };
    if (m_hud) {
        m_hud->scheduleAction(jump);
    } else {
        jump();
    }
}

void QVPScreenScene::showEndScreen() {
    if (QVServices::shared()->isAvailable()) QVServices::shared()->submitScore();
    ScreenManager* manager = ScreenManager::shared();
    if (manager->loadScreen("End", true, 0)) switchToScene(manager->createCurrentScene());
}

void QVPScreenScene::openScreen(const std::shared_ptr<QVModelObjectButton>& buttonModel) {
    if (!buttonModel) return;
    ScreenManager* manager = ScreenManager::shared();
    if (manager->loadScreen(buttonModel->name(), false, 0)) switchToScene(manager->createCurrentScene());
}
