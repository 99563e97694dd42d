// Level streaming and the field reset of the game-field scene.
#include "player/screens/QVPScreenScene.h"

#include <cfloat>
#include <set>

#include "base/CCArray.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"
#include "platform/RandomAndClock.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVSound.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVPObject.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/ScreenManager.h"

using cocos2d::CCArray;
using cocos2d::CCNode;
using cocos2d::CCObject;
using cocos2d::CCPoint;

namespace {

// Bounds on the loops that a hostile world could keep going for ever.
constexpr int kMaxReleasePasses = 21;
constexpr int kMaxLoopPasses = 10000;
// Checkpoint sections are looked up this far before the checkpoint.
constexpr float kCheckpointLookBack = 100.0f;
// The game scene's sounds.
constexpr unsigned int kGameSceneSoundOwner = 1;

// A section that does not advance the next start would be queued at the same
// place every tick; it is left out of streaming, logged once per model.
bool advancesStart(const std::shared_ptr<QVModelLevelSection>& section) {
    if (section->width() > 0.0f) return true;
    static std::set<std::weak_ptr<QVModelLevelSection>, std::owner_less<std::weak_ptr<QVModelLevelSection>>> logged;
    if (logged.insert(section).second) {
        logMessage("[QVPScreenScene] level section %u not streamed: Width %f is not above 0", section->id(),
                   static_cast<double>(section->width()));
    }
    return false;
}

// Repeats until the queue is empty, not only until one section completes, so
// a reset never leaves a section half built.
void drainCreationQueue(QVPScreenScene& scene, const char* text) {
    for (int call = 0; call < kMaxLoopPasses; ++call) {
        logMessage("%s", text);
        if (scene.updateObjectCreationQueue() && scene.getCreationQueueLength() == 0) return;
    }
    logMessage("[QVPScreenScene] creation queue not empty after %d calls", kMaxLoopPasses);
}

// The objects below `node` that hold bodies, depth first.
void collectBodies(CCNode* node, std::vector<QVPObject*>& out) {
    CCArray* children = node->getChildren();
    if (!children) return;
    for (CCObject* child : children->data()) {
        if (auto* object = dynamic_cast<QVPObject*>(child); object && object->getBody()) out.push_back(object);
        collectBodies(static_cast<CCNode*>(child), out);
    }
}

}  // namespace

std::vector<std::size_t> QVPScreenScene::eligibleSections(float distance, bool useCooldown) {
    std::vector<std::size_t> eligible;
    for (std::size_t i = 0; i < m_levelSections.size(); ++i) {
        const std::shared_ptr<QVModelLevelSection>& section = m_levelSections[i];
        if (section->initSection() || section->muted()) continue;
        const float start = section->startDistance();
        const float end = section->endDistance();
        const bool inRange = (start <= distance && distance < end) || (start <= distance && end < 0.0f);
        if (!inRange && !section->solo()) continue;
        if (useCooldown && section->cooldown() >= 1) continue;
        if (!advancesStart(section)) continue;
        eligible.push_back(i);
    }
    return eligible;
}

void QVPScreenScene::decrementSectionCooldowns() {
    for (const std::shared_ptr<QVModelLevelSection>& section : m_levelSections) {
        if (section->cooldown() > 0) section->setCooldown(section->cooldown() - 1);
    }
}

std::shared_ptr<QVModelLevelSection> QVPScreenScene::levelSectionAt(float distance) {
    if (m_levelSections.empty()) return nullptr;
    std::vector<std::size_t> candidates = eligibleSections(distance, true);
    for (int pass = 0; candidates.empty() && pass < kMaxReleasePasses; ++pass) {
        decrementSectionCooldowns();
        candidates = eligibleSections(distance, true);
    }
    if (candidates.empty()) return nullptr;
    const int draw = compat::rand();
    const std::shared_ptr<QVModelLevelSection>& chosen =
        m_levelSections[candidates[static_cast<std::size_t>(draw) % candidates.size()]];
    chosen->setCooldown(truncToInt(chosen->playCooldown()));
    return chosen;
}

float QVPScreenScene::addLevelSection(const std::shared_ptr<QVModelLevelSection>& section, float start) {
    if (!section) return 0.0f;
    logMessage("add level section: %u", section->id());
    section->setPlacedAt(start);
    CreationQueueEntry entry;
    entry.origin = m_gameFieldSettings->gameplayDirection() * start;
    entry.section = section;
    entry.created = new CCArray();
    m_creationQueue.push_back(entry);
    const float width = section->width();
    return width > 0.0f ? width : 0.0f;
}

void QVPScreenScene::addStartSection() {
    if (m_levelSections.empty()) return;
    const std::shared_ptr<QVModelLevelSection> first = m_levelSections.front();
    ScreenManager::shared()->setStartSectionId(first->id());
    m_nextSectionStart += addLevelSection(first, m_nextSectionStart);
    drainCreationQueue(*this, "[start] updaing object creation queue");
}

void QVPScreenScene::resetGameField() {
    // 1. Input and camera.
    m_inputController->reset();
    m_camera->reset();
    m_camera->setPosition(cocos2d::CCPointZero);
    m_camera->setSmoothing(1.0f);

    // 2. Timers.
    m_speedDecay = 0.0f;
    m_lastDistance = -FLT_MAX;
    m_gameOverDelay = selectedGameOverDelay();

    // 3. Flash and shake off.
    setFlash(0.0f);
    setShake(0.0f);

    // 4. Clear the field: nothing queued before the reset may build into
    // the new field. The children are kept alive until their state is set,
    // and their bodies leave the world now, not when the last reference
    // (the autorelease pool, the controller) lets go.
    clearQueues();
    auto* removed = new CCArray();
    if (CCArray* children = m_camera->getChildren()) {
        for (CCObject* child : children->data()) {
            auto* object = dynamic_cast<QVPObject*>(child);
            if (!object || object->typeFlags() != QVPObject::kTypeBackground) removed->addObject(child);
        }
    }
    std::vector<QVPObject*> withBodies;
    for (CCObject* child : removed->data()) {
        auto* node = static_cast<CCNode*>(child);
        node->removeFromParentAndCleanup(true);
        if (auto* object = dynamic_cast<QVPObject*>(node)) object->setState(QVPObject::kStateFinished);
        withBodies.clear();
        if (auto* object = dynamic_cast<QVPObject*>(node); object && object->getBody()) withBodies.push_back(object);
        collectBodies(node, withBodies);
        for (QVPObject* object : withBodies) {
            if (physics::destroyBody(m_world, object->getBody())) object->detachBody();
        }
    }
    removed->release();
    if (m_backgroundLayers) {
        for (CCObject* layer : m_backgroundLayers->data()) static_cast<QVPObject*>(layer)->reset();
    }

    // 5. Joints, bound objects, cooldowns, sounds.
    m_inputController->clearMotorJoints();
    m_inputController->clearActionObjects();
    decrementSectionCooldowns();
    QVSound::stopAll(kGameSceneSoundOwner, false);

    // 6.
    m_paused = false;
    m_gameOver = false;
    m_scrolledDistance = kLookAhead;
    m_nextSectionStart = 0.0f;

    // 7. First sections: a destination named by the screen manager, else
    // the world's start.
    std::shared_ptr<QVModelLevelSection> placed;
    const uint32_t destinationId = ScreenManager::shared()->getStartSectionId();
    if (destinationId != 0) {
        for (const std::shared_ptr<QVModelLevelSection>& section : m_levelSections) {
            if (section->id() == destinationId) {
                placed = section;
                break;
            }
        }
    }
    if (placed) {
        m_nextSectionStart += addLevelSection(placed, m_nextSectionStart);
        drainCreationQueue(*this, "[destinetion] updaing object creation queue");
    } else {
        addStartSection();
        if (!m_levelSections.empty()) placed = m_levelSections.front();
    }

    // 8. Checkpoint restore; (0, 0) is no checkpoint.
    const CheckpointRecord* record = currentCheckpointRecord();
    if (record && !(record->pointX == 0.0f && record->pointY == 0.0f)) {
        const CheckpointRecord checkpoint = *record;
        const float saved = m_nextSectionStart;
        m_nextSectionStart = checkpoint.distance;
        const std::shared_ptr<QVModelLevelSection> before = levelSectionAt(checkpoint.distance - kCheckpointLookBack);
        if (before && !before->initSection()) {
            m_nextSectionStart -= before->width();
            m_nextSectionStart += addLevelSection(before, m_nextSectionStart);
        }
        drainCreationQueue(*this, "updaing object creation queue");
        const auto own =
            QVModelController::shared()->getModel<QVModelLevelSection>(static_cast<uint32_t>(checkpoint.sectionId));
        if (own && !own->initSection()) {
            m_nextSectionStart += addLevelSection(own, m_nextSectionStart);
        } else {
            m_nextSectionStart = saved;
        }
        drainCreationQueue(*this, "updaing object creation queue");

        const CCPoint cameraPosition(checkpoint.cameraX, checkpoint.cameraY);
        m_inputController->placeCharacters(CCPoint(checkpoint.pointX, checkpoint.pointY));
        logMessage("Restore Camera Positon: %f %f", static_cast<double>(cameraPosition.x),
                   static_cast<double>(cameraPosition.y));
        m_camera->setPosition(cameraPosition);
        m_scrolledDistance += cameraPosition.getLength();
        if (m_backgroundLayers) {
            for (CCObject* layer : m_backgroundLayers->data()) {
                auto* node = static_cast<CCNode*>(layer);
                node->setPosition(node->getPosition() - cameraPosition);
            }
        }
        m_camera->setTargetOffset(m_inputController->charactersPosition());
        m_camera->setBounds(m_inputController->charactersBoundingBox());
    }

    // 9. Scores back to their saved copies.
    currentScoreRecord().restoreFromSavedCopies();
    scoreRecord("").restoreFromSavedCopies();

    // 10.
    m_gameFieldSettings->setGameSpeed(m_gameFieldSettings->gameSpeedMin());
    m_magnetActive = false;

    // 11. Powerup refill at start.
    QVPSettingsController* settings = QVPSettingsController::shared();
    for (const auto& button : QVModelController::shared()->getModels<QVModelObjectButtonPowerup>()) {
        if (!button->refillAtStart() || !QVModelScreen::screenOf(button)) continue;
        const auto powerup = QVModelController::shared()->getModel<QVModelAssetPowerup>(
            static_cast<uint32_t>(button->powerupSelectionId()));
        if (powerup && static_cast<float>(settings->inventoryAmount(powerup)) < button->maxRefill()) {
            settings->setInventoryAmount(powerup, truncToInt(button->maxRefill()));
        }
    }

    // 12. Fill the look-ahead.
    int passes = 0;
    float before = 0.0f;
    do {
        before = m_nextSectionStart;
        update(0.0f);
    } while (m_scrolledDistance > m_nextSectionStart && m_nextSectionStart != before && ++passes < kMaxLoopPasses);
    if (passes >= kMaxLoopPasses) logMessage("[QVPScreenScene] look-ahead not filled after %d passes", passes);

    // 13.
    drainCreationQueue(*this, "updaing object creation queue");

    // 14. Characters from the section step 7 placed.
    ensureCharacters(placed ? placed->id() : 0);

    // 15, 16.
    if (auto world = modelCast<QVModelScreenScene>(m_model)) m_camera->setSmoothing(world->cameraSmooth());
    settings->save();
}

void QVPScreenScene::ensureCharacters(uint32_t startSectionId) {
    if (m_inputController->getCharacters()->count() > 0) return;
    // A section of another world (left over from a world switch) must not
    // bring that world's characters.
    const auto own = modelCast<QVModelScreenScene>(m_model);
    const auto section = QVModelController::shared()->getModel<QVModelLevelSection>(startSectionId);
    std::shared_ptr<QVModelScreenScene> world = section ? section->parent<QVModelScreenScene>() : nullptr;
    if (!world || world != own) world = own;
    if (!world) return;
    for (const auto& initSection : QVModelController::shared()->getModels<QVModelLevelSection>()) {
        if (!initSection->initSection() || !initSection->hasParent(world)) continue;
        for (const auto& character : initSection->children<QVModelObjectAssetCharacter>()) {
            if (!character->hidden()) createObjectFromModel(character, initSection->id(), cocos2d::CCPointZero, false);
        }
    }
}
