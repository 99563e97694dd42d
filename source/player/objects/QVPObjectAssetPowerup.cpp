#include "player/objects/QVPObjectAssetPowerup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"

using cocos2d::CCLabelBMFont;
using cocos2d::CCNode;
using cocos2d::CCPoint;
using cocos2d::CCRect;
using cocos2d::CCSize;

namespace {

// Owner tag of the game scene's sounds.
constexpr unsigned int kSceneSoundOwner = 1;
constexpr float kPi = 3.14159265f;
// Seconds a reward label flies.
constexpr float kLabelFlight = 1.0f;

// The game scene as the field.
class SceneField final : public QVPObjectAssetPowerup::Field {
public:
    QVPScreenScene* scene = nullptr;

    CCNode* gameLayer() override { return scene->getGameFieldCamera(); }
    b2World* world() override { return scene->getWorld(); }
    void setMagnetActive(bool on) override { scene->setMagnetActive(on); }
    void killAllEnemies() override { scene->killAllEnemies(); }
    void saveCheckpoint(const CCPoint& point, int sectionId) override { scene->saveCheckpoint(point, sectionId); }
    void requestPendingActions(int bits) override { scene->requestPendingActions(bits); }
    void activateCheckpointPowerup() override { scene->activateCheckpointPowerup(); }
    void showEndScreen() override { scene->showEndScreen(); }
    QVPObject* findActivePowerup(const std::string& powerupType, QVPObject* except) override {
        return scene->findActivePowerup(powerupType, except);
    }
    void setFlash(float duration) override { scene->setFlash(duration); }
    void setShake(float duration) override { scene->setShake(duration); }
};

QVPObjectAssetPowerup::Field*& testField() {
    static QVPObjectAssetPowerup::Field* field = nullptr;
    return field;
}

QVPObjectAssetPowerup::Field* runningField() {
    if (testField()) return testField();
    static SceneField adapter;
    adapter.scene = ScreenManager::shared()->getGameScene();
    return adapter.scene ? &adapter : nullptr;
}

// Without a controller nobody has died.
bool charactersAlive() {
    QVPInputController* controller = QVPInputController::current();
    return !controller || controller->hasLiveCharacters();
}

void adopt(CCNode* parent, CCNode* child) {
    if (child->getParent() == parent) return;
    child->retain();
    child->removeFromParentAndCleanup(false);
    parent->addChild(child);
    child->release();
}

// Hidden, centred, a child of `owner`; null without a font or a reward.
CCLabelBMFont* makeRewardLabel(CCNode* owner, int amount, bool show) {
    if (amount <= 0 || !show) return nullptr;
    const auto font = QVModelController::shared()->getFirstModel<QVModelFont>();
    CCLabelBMFont* label = font ? font->createLabel() : nullptr;
    if (!label) return nullptr;
    label->setVisible(false);
    label->setAnchorPoint(CCPoint(0.5f, 0.5f));
    label->setPosition(CCPoint(0.0f, 0.0f));
    owner->addChild(label);
    return label;
}

}  // namespace

void QVPObjectAssetPowerup::setFieldForTest(Field* field) { testField() = field; }

QVPObjectAssetPowerup::QVPObjectAssetPowerup(std::shared_ptr<QVModelObject> model) : QVPObjectAsset(std::move(model)) {
    setSpawner(false);
    setTypeFlags(kTypePowerup);
    m_movesLinearly = true;
    m_collisionType = kCharacterCollision;
    m_placed = modelKindCast<QVModelObjectAssetPowerup>(m_model);
    if (!m_placed) return;

    m_powerupType = m_placed->powerupType();
    m_characterConstraint = m_placed->animationPlacement() == "kPowerupCharacterConstraint";
    m_screenConstraint = m_placed->animationPlacement() == "kPowerupScreenConstraint";
    m_replaceBehaviour = m_placed->animationBehaviour() == "kReplaceBehaviour";
    m_overlayBehaviour = m_placed->animationBehaviour() == "kOverlayBehaviour";
    m_durationLeft = m_placed->duration();
    m_hasEffect = m_powerupType != "kPowerupCoin" && m_powerupType != "kPowerupNone";

    if (const auto idle = m_placed->idleAnimation()) {
        m_idleAnimation = QVPAnimationObject::create(idle);
        m_idleAnimation->retain();
        addChild(m_idleAnimation);
        m_idleAnimation->setSpeed(m_model->opacity(0.0f, 0));
    }
    if (const auto start = m_placed->startAnimation()) {
        m_startAnimation = QVPAnimationObject::create(start);
        m_startAnimation->retain();
        m_startAnimation->setVisible(false);
        m_startAnimation->setZOrder(m_model->zDepth());
        if (!start->loop()) m_startAnimation->setEndCallback(this, &QVPObjectAssetPowerup::onStartAnimationEnded);
    }
    m_coins.label = makeRewardLabel(this, m_placed->rewardCoins(), m_placed->showCoinReward());
    m_points.label = makeRewardLabel(this, m_placed->rewardPoints(), m_placed->showPointsReward());
}

QVPObjectAssetPowerup::~QVPObjectAssetPowerup() {
    m_dying = true;
    forgetSound();
    if (m_activated) endEffect();
    takeStartAnimationOffHolder();
    unlinkHolder();
    if (m_startAnimation) {
        m_startAnimation->setEndCallback(nullptr);
        m_startAnimation->stop();
        m_startAnimation->removeFromParent();
        m_startAnimation->release();
    }
    if (m_idleAnimation) m_idleAnimation->release();
    if (m_coins.label) m_coins.label->release();
    if (m_points.label) m_points.label->release();
}

QVPObjectAsset* QVPObjectAssetPowerup::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetPowerup(model);
}

// ---------------------------------------------------------------- field

QVPObjectAssetPowerup::Field* QVPObjectAssetPowerup::field() const {
    // A dying powerup may be part of a scene being torn down: it reaches
    // only the field it is known to live in.
    if (m_dying && !m_gameLayer) return nullptr;
    Field* running = runningField();
    if (!running || (m_gameLayer && running->gameLayer() != m_gameLayer)) return nullptr;
    return running;
}

template <class Call>
void QVPObjectAssetPowerup::forEachCharacter(Call call) {
    QVPInputController* controller = QVPInputController::current();
    cocos2d::CCArray* list = controller ? controller->getCharacters() : nullptr;
    if (!list) return;
    std::vector<QVPObjectAssetCharacter*> characters;
    for (cocos2d::CCObject* item : list->data()) {
        if (auto* character = dynamic_cast<QVPObjectAssetCharacter*>(item)) characters.push_back(character);
    }
    for (QVPObjectAssetCharacter* character : characters) call(character);
}

// ---------------------------------------------------------------- holder and sound

void QVPObjectAssetPowerup::beginContact(QVPObject* other, b2Contact*, bool) {
    if (m_state == kStateMoving || m_state == kStateDying || m_state == kStateFinished || !other) return;
    const uint32_t flags = other->typeFlags();
    if (!(flags & kTypeCharacter) || (flags & kTypeSpawned)) return;
    if (other->getState() == kStateDying || other->getState() == kStateFinished) return;
    auto* holder = dynamic_cast<QVPObjectAsset*>(other);
    if (!holder) return;
    unlinkHolder();
    m_holder = holder;
    m_holder->addEventCallback(kEventFinished, this, [this](QVPObject*) { onHolderFinished(); });
    setPendingState(kStateMoving);
}

void QVPObjectAssetPowerup::unlinkHolder() {
    if (m_holder) m_holder->removeEventCallback(this);
    m_holder = nullptr;
}

void QVPObjectAssetPowerup::onHolderFinished() {
    // Its table must not keep an animation this powerup may free.
    takeStartAnimationOffHolder();
    m_holder = nullptr;
    if (QVSound* sound = m_sound) {
        forgetSound();
        delete sound;
    }
}

void QVPObjectAssetPowerup::forgetSound() {
    if (m_sound) m_sound->setDestroyedCallback(nullptr);
    m_sound = nullptr;
}

void QVPObjectAssetPowerup::fadeSound(float dt) {
    if (!m_sound || charactersAlive()) return;
    const float volume = std::max(0.0f, m_sound->getVolume() - dt);
    if (volume > 0.0f) {
        m_sound->setVolume(volume);
        return;
    }
    QVSound* sound = m_sound;
    forgetSound();
    delete sound;
}

// ---------------------------------------------------------------- start animation

void QVPObjectAssetPowerup::takeStartAnimationOffHolder() {
    if (!m_startAnimation || !m_holder) return;
    if (m_replaceBehaviour && m_characterConstraint && dynamic_cast<QVPObjectAssetCharacter*>(m_holder)) {
        m_holder->removeAnimation(kPriorityPowerup, m_startAnimation, nullptr);
        m_startAnimation->setVisible(false);
    } else if (m_overlayBehaviour) {
        m_holder->detachAnimation(m_startAnimation);
    }
}

void QVPObjectAssetPowerup::dropStartAnimation() {
    if (!m_startAnimation) return;
    takeStartAnimationOffHolder();
    m_startAnimation->stop();
    m_startAnimation->removeFromParent();
}

void QVPObjectAssetPowerup::onStartAnimationEnded() {
    m_startAnimation->setVisible(false);
    takeStartAnimationOffHolder();
}

// ---------------------------------------------------------------- effect

void QVPObjectAssetPowerup::startEffect() {
    if (m_activated || !m_placed) return;
    m_activated = true;
    Field* running = field();

    if (m_startAnimation && !(m_characterConstraint && !charactersAlive())) {
        m_startAnimation->restart();
        adopt(this, m_startAnimation);
        m_startAnimation->setVisible(true);
    }
    if (const auto sound = m_placed->startSound()) {
        forgetSound();
        m_sound = QVSound::playOnce(sound, kSceneSoundOwner);
        m_sound->setDestroyedCallback([this] { m_sound = nullptr; });
    }
    if (m_idleAnimation && (m_characterConstraint || m_replaceBehaviour)) {
        m_idleAnimation->stop();
        m_idleAnimation->removeFromParent();
    }
    if (m_startAnimation && m_holder && m_characterConstraint) {
        if (m_replaceBehaviour) {
            if (dynamic_cast<QVPObjectAssetCharacter*>(m_holder)) {
                m_holder->addAnimation(kPriorityPowerup, m_startAnimation, nullptr);
            }
        } else if (m_overlayBehaviour) {
            m_holder->attachAnimation(m_startAnimation);
        }
    }

    const int coins = m_placed->rewardCoins();
    const int points = m_placed->rewardPoints();
    showLabel(m_coins, coins);
    showLabel(m_points, points);
    if (running) {
        if (m_placed->cameraFlash() > 0.0f) running->setFlash(m_placed->cameraFlash());
        if (m_placed->cameraShake() > 0.0f) running->setShake(m_placed->cameraShake());
    }
    addReward(coins, points, running != nullptr);
    startTypeEffect(running);
}

void QVPObjectAssetPowerup::showLabel(RewardLabel& reward, int amount) {
    if (!reward.label) return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", amount);
    reward.label->setString(text);
    reward.label->setVisible(true);
    reward.shown = true;
}

void QVPObjectAssetPowerup::startTypeEffect(Field* running) {
    const std::string& type = m_powerupType;
    if (type == "kPowerupMagnet") {
        if (running) running->setMagnetActive(true);
    } else if (type == "kPowerupStrike") {
        const auto general = QVModelGeneralSettings::shared();
        const bool landscape = general && general->orientation() == kQVOrientationLandscape;
        const CCPoint dash = landscape ? CCPoint(30.0f, 0.0f) : CCPoint(0.0f, 30.0f);
        forEachCharacter([&](QVPObjectAssetCharacter* character) {
            character->addPowerup(this);
            character->setBodyVelocity(dash.x, dash.y);
        });
    } else if (type == "kPowerupInvincibility") {
        forEachCharacter([this](QVPObjectAssetCharacter* character) { character->addPowerup(this); });
    } else if (type == "kPowerupKillAllEnemies") {
        if (running) running->killAllEnemies();
    } else if (type == "kPowerupCheckpoint") {
        if (running) running->saveCheckpoint(positionInGameLayer(), m_sectionId);
    } else if (type == "kPowerupRestartCheckpoint") {
        if (running) running->requestPendingActions(QVPScreenScene::kActionBackToHud);
    } else if (type == "kPowerupNextCheckpoint") {
        m_nextCheckpointPending = true;
    } else if (type == "kPowerupGameplay") {
        const auto asset = m_placed->powerupAsset();
        if (!asset) return;
        QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
        settings->applyPowerupSettings(asset);
        if (b2World* world = running ? running->world() : nullptr) {
            physics::setGravity(world, b2Vec2(settings->gravity().x, settings->gravity().y));
        }
        if (m_holder) {
            m_holder->update(0.0f);
            m_holder->update(0.0f);
        }
    } else if (type == "kPowerupEndGame") {
        m_endGamePending = true;
    }
}

void QVPObjectAssetPowerup::endTypeEffect(Field* running) {
    const std::string& type = m_powerupType;
    if (type == "kPowerupMagnet") {
        if (running) running->setMagnetActive(false);
    } else if (type == "kPowerupStrike" || type == "kPowerupInvincibility") {
        forEachCharacter([this](QVPObjectAssetCharacter* character) { character->removePowerup(this); });
    } else if (type == "kPowerupGameplay") {
        if (!m_placed->powerupAsset()) return;
        QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
        settings->popSettings();
        if (b2World* world = running ? running->world() : nullptr) {
            physics::setGravity(world, b2Vec2(settings->gravity().x, settings->gravity().y));
        }
    }
}

void QVPObjectAssetPowerup::endEffect() {
    if (!m_activated) return;
    // Cleared first: whatever the steps below end again finds it ended.
    m_activated = false;
    Field* running = field();
    QVSound::playOnce(m_placed->endSound(), kSceneSoundOwner);
    endTypeEffect(running);
    if (m_idleAnimation) {
        m_idleAnimation->stop();
        m_idleAnimation->removeFromParent();
    }
    dropStartAnimation();
    // A flying label finishes the powerup when its flight ends.
    if (!m_coins.flying() && !m_points.flying()) setState(kStateFinished);
}

// ---------------------------------------------------------------- QVPObject

void QVPObjectAssetPowerup::setState(int32_t state) {
    if (state == m_state) return;
    const int32_t previous = m_state;
    QVPObjectAsset::setState(state);
    switch (state) {
        case kStateIdle: {
            const CCPoint scale = m_model ? m_model->scale(0.0f, 0) : CCPoint(1.0f, 1.0f);
            setScaleX(scale.x);
            setScaleY(scale.y);
            break;
        }
        case kStateMoving: {
            Field* running = field();
            if (running && m_hasEffect) {
                if (QVPObject* older = running->findActivePowerup(m_powerupType, this)) older->setState(kStateDying);
            }
            startEffect();
            break;
        }
        case kStateDying:
            if (previous == kStateMoving) endEffect();
            break;
        case kStateFinished:
            if (previous != kStateDying && m_activated) endEffect();
            unlinkHolder();
            break;
        default:
            break;
    }
}

void QVPObjectAssetPowerup::update(float dt) {
    QVPObjectAsset::update(dt);
    fadeSound(dt);
    updateLabel(m_coins, dt);
    updateLabel(m_points, dt);
    updatePlacement();
    if (m_state == kStateMoving) {
        if (m_durationLeft > 0.0f) m_durationLeft -= dt;
        // Also ends a duration that is no number.
        if (!(m_durationLeft > 0.0f)) setState(kStateDying);
    }
    if (m_nextCheckpointPending) {
        m_nextCheckpointPending = false;
        if (Field* running = field()) {
            running->activateCheckpointPowerup();
            running->requestPendingActions(QVPScreenScene::kActionBackToHud);
        }
    }
    if (m_endGamePending) {
        m_endGamePending = false;
        if (Field* running = field()) running->showEndScreen();
    }
}

void QVPObjectAssetPowerup::updateLabel(RewardLabel& reward, float dt) {
    if (!reward.flying()) return;
    reward.time += dt;
    const float t = reward.time;
    reward.label->setPosition(CCPoint(t * 60.0f, std::sin(t * kPi) * 60.0f - t * 20.0f));
    reward.label->setOpacity(static_cast<GLubyte>(truncToInt((1.0f - t) * 255.0f) & 0xFF));
    if (t > kLabelFlight) {
        if (m_state == kStateDying) setState(kStateFinished);
        reward.label->setVisible(false);
    }
}

void QVPObjectAssetPowerup::updatePlacement() {
    if (!m_characterConstraint || m_state == kStateIdle) {
        if (!m_screenConstraint || m_state == kStateIdle) return;
        cocos2d::CCDirector* director = cocos2d::CCDirector::sharedDirector();
        const CCSize visible = director->getVisibleSize();
        const CCPoint origin = director->getVisibleOrigin();
        CCPoint position(visible.width * 0.5f - origin.x, visible.height * 0.5f - origin.y);
        if (m_gameLayer) position = position - m_gameLayer->getPosition();
        setPosition(position);
        if (m_startAnimation) {
            const CCSize size = m_startAnimation->boundingRect().size;
            // A start animation without extent keeps the scale.
            if (size.width != 0.0f && size.height != 0.0f) {
                setScale(std::min(visible.width / size.width, visible.height / size.height));
            }
        }
        return;
    }
    if (!m_holder) return;
    CCPoint position = m_holder->getPosition();
    if (CCNode* holderParent = m_holder->getParent()) position = holderParent->convertToWorldSpace(position);
    CCNode* parent = getParent();
    // Into the parent's space, the game layer's included: the camera
    // scrolls, so world and game-layer points differ.
    if (parent) position = parent->convertToNodeSpace(position);
    setPosition(position);
    if (m_body) {
        const CCPoint inLayer = positionInGameLayer();
        physics::setTransform(m_body, b2Vec2(inLayer.x * kMetresPerPoint, inLayer.y * kMetresPerPoint),
                              m_body->GetAngle());
    }
    float scaleX = m_holder->getScaleX();
    float scaleY = m_holder->getScaleY();
    if (parent && parent != m_gameLayer) {
        if (parent->getScaleX() != 0.0f) scaleX /= parent->getScaleX();
        if (parent->getScaleY() != 0.0f) scaleY /= parent->getScaleY();
    }
    setScaleX(scaleX);
    setScaleY(scaleY);
    if (m_holder->getState() == kStateDying) dropStartAnimation();
}

void QVPObjectAssetPowerup::setVisible(bool visible) {
    QVPObjectAsset::setVisible(visible);
    if (!visible) {
        if (m_idleAnimation) m_idleAnimation->setVisible(false);
        if (m_startAnimation) m_startAnimation->setVisible(false);
        return;
    }
    if (m_startAnimation && m_startAnimation->getParent() == this) {
        if (!m_startAnimation->isVisible()) m_startAnimation->setVisible(true);
    } else if (m_idleAnimation && m_idleAnimation->getParent() == this && !m_idleAnimation->isVisible()) {
        m_idleAnimation->setVisible(true);
    }
}

CCRect QVPObjectAssetPowerup::getBoundingRect() {
    if (m_idleAnimation && m_bounds.equals(CCRect())) {
        const CCSize size = m_idleAnimation->boundingRect().size;
        const float sx = std::fabs(getScaleX());
        const float sy = std::fabs(getScaleY());
        m_bounds = CCRect(-size.width * 0.5f * sx, -size.height * 0.5f * sy, size.width * sx, size.height * sy);
    }
    const CCPoint position = positionInGameLayer();
    return CCRect(m_bounds.origin.x + position.x, m_bounds.origin.y + position.y, m_bounds.size.width,
                  m_bounds.size.height);
}

void QVPObjectAssetPowerup::activate() {
    if (!m_active && m_body) m_active = true;
}

bool QVPObjectAssetPowerup::castsShadow() {
    return m_idleAnimation && m_idleAnimation->isVisible() && m_idleAnimation->frameCount() > 0 &&
           m_idleAnimation->getParent() == this;
}

void QVPObjectAssetPowerup::setControllable(bool controllable) {
    if (!controllable && m_state == kStateMoving) return;
    m_controllable = controllable;
}

void QVPObjectAssetPowerup::createBody(b2World* world, bool skipStill) {
    if (!m_idleAnimation) return;
    QVPObjectAsset::createBody(world, skipStill);
    if (b2Fixture* fixture = m_body ? m_body->GetFixtureList() : nullptr) fixture->SetSensor(true);
}
