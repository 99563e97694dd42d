// The character's animations, gun, protection and defeat.
#include <algorithm>
#include <map>
#include <utility>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVModelController.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectAssetUnit.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"

namespace {

constexpr int kShootAction = 8;

bool hasFrames(const QVPAnimationObject* animation) { return animation && animation->frameCount() > 0; }

// The gun's unit model per (character asset, z depth). The asset is held
// weakly: an entry whose asset died is rebuilt, never matched by address.
struct GunEntry {
    std::weak_ptr<QVModelAssetCharacter> asset;
    std::shared_ptr<QVModelObjectAssetUnit> unit;
};
std::map<std::pair<const QVModelAssetCharacter*, int>, GunEntry>& gunModels() {
    static std::map<std::pair<const QVModelAssetCharacter*, int>, GunEntry> table;
    return table;
}
int64_t s_gunModelsBuilt = 0;

std::shared_ptr<QVModelObjectAssetUnit> buildGunModel(const QVModelAssetCharacter& character,
                                                      const std::shared_ptr<QVModelAnimation>& bullet, int zDepth) {
    auto obstacle = std::make_shared<QVModelAssetObstacle>(bullet->name());
    const auto first = bullet->objectAt(0);
    obstacle->setIdleAnimationWithShape(first ? first->visualModel() : nullptr);
    obstacle->setIdleAnimation(bullet);
    if (auto damage = character.findComponent<QVModelComponentDamage>()) {
        auto copy = QVModelComponentDamage::create();
        copy->setDamage(damage->damage(), true);
        copy->setDamageDelay(qvread::value(damage->damageDelayAttribute()), true);
        obstacle->addChild(copy, true);
    }
    auto unit = std::make_shared<QVModelObjectAssetUnit>(bullet->name());
    unit->setPosition(cocos2d::CCPoint(0.0f, 0.0f));
    unit->setAsset(obstacle);
    unit->setZDepth(zDepth);
    unit->setLinearVelocity(cocos2d::CCPoint(60.0f, 0.0f));
    unit->setCollisionType("kNoCollision");
    unit->setDestroyType("kDestroyEnemyCollision");
    unit->setSpawnerEnabled(true);
    unit->setSpawnAction("kShootingSpawning");
    unit->setSpawnRate(0.25f);
    unit->setMovementType("kMovementLinear");
    ++s_gunModelsBuilt;
    return unit;
}

std::shared_ptr<QVModelObjectAssetUnit> gunModel(const std::shared_ptr<QVModelAssetCharacter>& character,
                                                 const std::shared_ptr<QVModelAnimation>& bullet, int zDepth) {
    GunEntry& entry = gunModels()[{character.get(), zDepth}];
    if (!entry.unit || entry.asset.lock() != character) {
        entry.asset = character;
        entry.unit = buildGunModel(*character, bullet, zDepth);
        // No cached model outlives the controller's content.
        QVModelController::shared()->setClearCallback("QVPObjectAssetCharacter gun models",
                                                      &QVPObjectAssetCharacter::clearGunModels);
    }
    return entry.unit;
}

}  // namespace

void QVPObjectAssetCharacter::clearGunModels() { gunModels().clear(); }

int64_t QVPObjectAssetCharacter::gunModelsBuilt() { return s_gunModelsBuilt; }

// ---------------------------------------------------------------- animations

QVPAnimationObject* QVPObjectAssetCharacter::makeAnimation(const std::shared_ptr<QVModelAnimation>& model,
                                                           bool visible) {
    if (!model) return nullptr;
    QVPAnimationObject* animation = QVPAnimationObject::create(model, true);
    if (!animation) return nullptr;
    animation->setVisible(visible);
    animation->setSpeed(m_model ? m_model->opacity(0.0f, 0) : 1.0f);
    addChild(animation, m_model ? m_model->zDepth() : 0);
    animation->retain();
    return animation;
}

void QVPObjectAssetCharacter::createAnimations() {
    auto asset = characterAsset();
    if (!asset) return;
    m_defaultAnimation = makeAnimation(asset->defaultAnimation(), true);
    m_shootingAnimation = makeAnimation(asset->shootingAnimation(), false);
    auto jump = asset->jumpAnimation();
    if (jump && !jump->objects().empty()) {
        m_jumpAnimation = makeAnimation(jump, false);
        if (m_jumpAnimation && !QVPGameFieldSettings::shared()->upForceFromGround()) {
            m_jumpAnimation->setEndCallback([this] {
                m_jumpAnimation->setVisible(false);
                if (m_defaultAnimation) m_defaultAnimation->setVisible(true);
            });
        }
    }
    m_moveAnimation = makeAnimation(asset->moveAnimation(), false);
    if (auto sound = asset->shootSound()) m_shootSound = std::make_unique<QVSound>(sound, kSceneSounds);
}

void QVPObjectAssetCharacter::releaseAnimations() {
    for (QVPAnimationObject** slot :
         {&m_defaultAnimation, &m_shootingAnimation, &m_jumpAnimation, &m_moveAnimation, &m_defeatAnimation}) {
        QVPAnimationObject* animation = *slot;
        *slot = nullptr;
        if (!animation) continue;
        animation->setEndCallback(nullptr);
        animation->release();
    }
}

void QVPObjectAssetCharacter::setVisible(bool visible) {
    QVPObjectAsset::setVisible(visible);
    QVPAnimationObject* const all[] = {m_defaultAnimation, m_shootingAnimation, m_jumpAnimation, m_moveAnimation,
                                       m_defeatAnimation};
    if (!visible || currentAnimation()) {
        for (QVPAnimationObject* animation : all) {
            if (animation && animation->isVisible()) animation->setVisible(false);
        }
        return;
    }
    const bool inAir = !isOnGround() && m_jumpAnimation && m_jumpAnimation->isVisible();
    const bool moving = (m_controlBits & kBitMoving) != 0;
    QVPAnimationObject* shooting = hasFrames(m_shootingAnimation) ? m_shootingAnimation : m_defaultAnimation;
    QVPAnimationObject* chosen = m_defaultAnimation;
    switch (m_state) {
        case kStateIdle:
            if (inAir) {
                chosen = m_jumpAnimation;
            } else if (moving && hasFrames(m_moveAnimation)) {
                chosen = m_moveAnimation;
            } else if (m_controlBits & kBitShooting) {
                chosen = shooting;
            }
            break;
        case kStateMoving:
            if (inAir) {
                chosen = m_jumpAnimation;
            } else if (hasFrames(m_moveAnimation)) {
                chosen = m_moveAnimation;
            }
            break;
        case kStateShooting:
            if (inAir) {
                chosen = m_jumpAnimation;
            } else if (m_moveAnimation && m_moveAnimation->isVisible()) {
                chosen = m_moveAnimation;
            } else {
                chosen = shooting;
            }
            break;
        case kStateJumping:
            if (hasFrames(m_jumpAnimation)) chosen = m_jumpAnimation;
            break;
        case kStateDying:
            if (hasFrames(m_defeatAnimation)) chosen = m_defeatAnimation;
            break;
        default:
            return;
    }
    for (QVPAnimationObject* animation : all) {
        if (animation && animation->isVisible() != (animation == chosen)) animation->setVisible(animation == chosen);
    }
}

bool QVPObjectAssetCharacter::castsShadow() {
    if (m_state == kStateDying || m_state == kStateFinished) return false;
    auto asset = characterAsset();
    return asset && asset->castShadow();
}

// ---------------------------------------------------------------- gun

void QVPObjectAssetCharacter::buildGun(b2World* world) {
    if (m_gun) return;
    auto asset = characterAsset();
    const auto bullet = asset ? asset->bulletAnimation() : nullptr;
    if (!bullet || bullet->objects().empty()) return;
    const int z = getZOrder();
    QVPObjectAsset* gun = new QVPObjectAssetUnit(gunModel(asset, bullet, z - 1));
    gun->setSpawner(true);
    if (m_gameLayer) m_gameLayer->addChild(gun, z - 1);
    gun->setGameLayer(m_gameLayer);
    gun->createBody(world, true);
    gun->setTypeFlags(kTypeCharacter);
    // It keeps its body for activation and spawning, and touches nothing.
    if (b2Body* body = gun->getBody()) {
        for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
            b2Filter filter = fixture->GetFilterData();
            filter.maskBits = 0;
            fixture->SetFilterData(filter);
        }
    }
    gun->removeFromParentAndCleanup(false);
    addChild(gun);
    m_gun = gun;  // keeps the construction's reference
}

// ---------------------------------------------------------------- protection

void QVPObjectAssetCharacter::addPowerup(QVPObjectAssetPowerup* powerup) {
    if (powerup && std::find(m_powerups.begin(), m_powerups.end(), powerup) == m_powerups.end()) {
        m_powerups.push_back(powerup);
    }
}

void QVPObjectAssetCharacter::removePowerup(QVPObjectAssetPowerup* powerup) {
    m_powerups.erase(std::remove(m_powerups.begin(), m_powerups.end(), powerup), m_powerups.end());
}

void QVPObjectAssetCharacter::clearPowerups() { m_powerups.clear(); }

bool QVPObjectAssetCharacter::isInvincible() const { return !m_powerups.empty(); }

float QVPObjectAssetCharacter::protectionLevel() const { return m_powerups.empty() ? 0.0f : 100.0f; }

// ---------------------------------------------------------------- states

void QVPObjectAssetCharacter::setShooting(bool shooting) {
    if (shooting) {
        m_controlBits |= kBitShooting;
        setState(kStateShooting);
    } else {
        m_controlBits &= ~kBitShooting;
        setState(kStateIdle);
    }
}

void QVPObjectAssetCharacter::setState(int32_t state) {
    if ((state == kStateDying && isInvincible()) || (m_state == kStateDying && state != kStateFinished) ||
        m_state == kStateFinished) {
        return;
    }
    QVPObjectAsset::setState(state);
    switch (state) {
        case kStateIdle:
            if (m_shootSound) m_shootSound->stopLooping();
            break;
        case kStateShooting:
            if (m_shootingAnimation) m_shootingAnimation->restart();
            if (m_shootSound) m_shootSound->play(true, false);
            break;
        case kStateJumping:
            if (m_jumpAnimation) m_jumpAnimation->restart();
            break;
        case kStateDying:
            runDefeat();
            break;
        default:
            break;
    }
}

void QVPObjectAssetCharacter::runDefeat() {
    // Retained: a callback of the finish below may drop the last reference.
    retain();
    if (QVPInputController* input = QVPInputController::current()) input->actionReleased(kShootAction, nullptr);
    setDirection(0.0f, 0.0f);
    auto asset = characterAsset();
    if (asset && !m_defeatAnimation) {
        m_defeatAnimation = makeAnimation(asset->defeatedAnimation(), false);
        if (m_defeatAnimation) {
            m_defeatAnimation->restart();
            setVisible(true);
        }
    }
    if (!hasFrames(m_defeatAnimation)) deathAnimationDidEnd();
    if (QVPScreenScene* scene = ScreenManager::shared()->getGameScene(); scene && asset) {
        scene->setFlash(asset->cameraFlash());
        scene->setShake(asset->cameraShake());
    }
    if (asset && asset->fallAttribute() > 0.0f) m_fallRequested = true;
    if (asset) playOnce(asset->defeatedSound());
    if (m_shootSound) m_shootSound->stopLooping();
    release();
}

void QVPObjectAssetCharacter::deathAnimationDidEnd() {
    logMessage("deathAnimationDidEnd --- ");
    setState(kStateFinished);
}
