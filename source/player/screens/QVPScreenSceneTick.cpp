// The frame road of the game field: one physics step and one game tick per
// frame, whatever dt is.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "gl/ccGLStateCache.h"
#include "math/kazmath.h"
#include "model/classes/QVModelScreen.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVUtilities.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPObject.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectAssetMirror.h"
#include "player/objects/QVPObjectBackgroundLayer.h"
#include "player/screens/GLESDebugDraw.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "sprite/CCSprite.h"

using cocos2d::CCArray;
using cocos2d::CCNode;
using cocos2d::CCPoint;

namespace {

constexpr int kVelocityIterations = 6;
constexpr int kPositionIterations = 6;
constexpr float kSpeedDecayPerTick = 0.1f;
constexpr double kShakeAmplitude = 70.0;
constexpr double kShakeFrequency = 16.0;
constexpr double kShakeOffsetX = 200.0;
constexpr double kShakeOffsetY = 150.0;
constexpr float kDefaultBackExtent = 300.0f;
constexpr float kDefaultSidesExtent = 550.0f;

float dot(const CCPoint& a, const CCPoint& b) { return a.x * b.x + a.y * b.y; }

CCPoint rotateAbout(const CCPoint& p, const CCPoint& centre, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float x = p.x - centre.x;
    const float y = p.y - centre.y;
    return CCPoint(centre.x + x * c - y * s, centre.y + x * s + y * c);
}

bool hasActivePowerupChild(CCNode* node) {
    CCArray* children = node->getChildren();
    for (unsigned int i = 0; children && i < children->count(); ++i) {
        auto* child = dynamic_cast<QVPObject*>(static_cast<CCNode*>(children->objectAtIndex(i)));
        if (child && child->typeFlags() == QVPObject::kTypePowerup && child->getState() == QVPObject::kStateMoving) {
            return true;
        }
    }
    return false;
}

// Objects that never leave the field by falling behind the view.
bool exemptFromRemoval(QVPObject* object) {
    const uint32_t flags = object->typeFlags();
    const int32_t state = object->getState();
    if (flags == QVPObject::kTypeBackground || flags == QVPObject::kTypeText || flags == QVPObject::kTypeGroup) {
        return true;
    }
    if (flags == QVPObject::kTypeCharacter && state != QVPObject::kStateDying) return true;
    if (state == QVPObject::kStateFinished) return true;
    if (flags == QVPObject::kTypePowerup && state == QVPObject::kStateMoving) return true;
    return hasActivePowerupChild(object);
}

}  // namespace

void QVPScreenScene::update(float dt) {
    // The singleton may have been replaced since the last frame.
    m_gameFieldSettings = QVPGameFieldSettings::shared();
    QVPScreen::update(dt);
    if (m_pendingActions != 0) {
        const int taken = m_pendingActions;
        m_pendingActions = 0;
        runPendingActions(taken);
    }
    if (m_requestedPause != m_paused) setPaused(m_requestedPause);
    if (m_gameOver && m_camera) {
        CCArray* children = m_camera->getChildren();
        for (unsigned int i = 0; children && i < children->count(); ++i) {
            auto* asset = dynamic_cast<QVPObjectAsset*>(static_cast<CCNode*>(children->objectAtIndex(i)));
            if (asset &&
                (asset->typeFlags() == QVPObject::kTypeUnit || asset->typeFlags() == QVPObject::kTypePowerup)) {
                asset->updateSoundVolume(dt);
            }
        }
    }
    if (m_paused || m_gameOver) return;

    if (m_camera && m_inputController) {
        m_camera->setTargetOffset(m_inputController->charactersPosition());
        m_camera->setBounds(m_inputController->charactersBoundingBox());
        m_camera->update(kStep);
    }

    const float excess = std::max(0.0f, dt - kStep);
    m_frameTimeAverage = excess * 0.05f + m_frameTimeAverage * 0.95f;
    if (m_frameTimeAverage > kMaxFrameTimeAverage) m_frameTimeAverage = kMaxFrameTimeAverage;
    // No catch-up steps: a slow frame slows the game instead.
    float timeScale = m_gameFieldSettings ? m_gameFieldSettings->simulationTimeScale() : 1.0f;
    if (!std::isfinite(timeScale) || timeScale < 0.0f) timeScale = 0.0f;
    if (m_world) m_world->Step(timeScale * kStep, kVelocityIterations, kPositionIterations);
    stepGame(kStep);

    if (m_flashSprite) {
        if (m_flashTime > 0.0f && m_flashDuration > 0.0f) {
            m_flashSprite->setOpacity(static_cast<GLubyte>(static_cast<int>(m_flashTime / m_flashDuration * 255.0f)));
            m_flashTime -= dt;
        } else {
            m_flashSprite->setOpacity(0);
        }
    }
    if (m_shakeTime > 0.0f) {
        const double k = std::clamp(static_cast<double>(m_shakeTime), 0.0, 1.0);
        const double x = noise1D((m_shakeTime + kShakeOffsetX) * kShakeFrequency) * kShakeAmplitude * k;
        const double y = noise1D((m_shakeTime + kShakeOffsetY) * kShakeFrequency) * kShakeAmplitude * k;
        setPosition(CCPoint(static_cast<float>(x), static_cast<float>(y)));
        m_shakeTime -= dt;
    }

    processTransferQueue();
    updateObjectCreationQueue();

    if (!m_paused && m_inputController && !m_inputController->hasLiveCharacters() && m_gameOverDelay >= 0.0f) {
        m_speedDecay = kSpeedDecayPerTick;
        if (m_hud) {
            m_hud->setEnabled(false);
            if (m_hud->model() && m_hud->model()->stopBGMOnDeath()) m_hud->stopMusic();
        }
        m_gameOverDelay -= dt;
        if (m_gameOverDelay < 0.0f) setGameOver(true);
    }
}

void QVPScreenScene::stepGame(float dt) {
    if (!m_camera) return;
    const RemovalFrame frame = computeRemovalFrame();
    m_finishedScratch.clear();
    for (unsigned int i = 0; i < m_camera->getChildrenCount(); ++i) {
        auto* child = static_cast<CCNode*>(m_camera->getChildren()->objectAtIndex(i));
        // An update may take the child off the camera, which held it.
        child->retain();
        child->update(dt);
        auto* object = dynamic_cast<QVPObject*>(child);
        if (object && child->getParent() == m_camera) {
            removeIfBehindView(object, frame);
            if (object->getState() == QVPObject::kStateFinished) m_finishedScratch.push_back(object);
        }
        child->release();
    }

    QVPGameFieldSettings& settings = *m_gameFieldSettings;
    float speed = settings.gameSpeed();
    if (m_speedDecay > 0.0f) {
        speed -= m_speedDecay;
        if (speed < 0.0f) speed = 0.0f;
    } else {
        speed += settings.gameSpeedIncrease();
        if (settings.gameSpeedMin() > speed) speed = settings.gameSpeedMin();
        if (speed > settings.gameSpeedMax()) speed = settings.gameSpeedMax();
    }
    settings.setGameSpeed(speed);

    const CCPoint direction = settings.gameplayDirection();
    if (m_inputController) {
        const float d = dot(direction, m_inputController->charactersPosition());
        if (m_inputController->hasLiveCharacters()) {
            if (m_lastDistance == -FLT_MAX) {
                m_lastDistance = d;
            } else {
                const float m = settings.scoreMultiplier() * (d - m_lastDistance);
                if (m >= 0.0f) {
                    currentScoreRecord().distance.add(m);
                    scoreRecord("").distance.add(m);
                    m_lastDistance = d;
                }
            }
        }
    }

    m_scrolledDistance += dot(direction, m_camera->getLastMove());
    if (m_scrolledDistance > m_nextSectionStart) {
        m_nextSectionStart += addLevelSection(levelSectionAt(m_nextSectionStart), m_nextSectionStart);
    }

    if (m_backgroundLayers) {
        const CCPoint movement = m_camera->getLastMove();
        for (CCObject* object : m_backgroundLayers->data()) {
            auto* layer = static_cast<QVPObjectBackgroundLayer*>(object);
            layer->scroll(movement.x + movement.y, dt);
            // Layers live in the camera: this keeps them still on screen.
            layer->setPosition(layer->getPosition() + movement);
        }
    }

    if (m_magnetActive) runMagnet();
    removeFinishedObjects(m_finishedScratch);
    m_finishedScratch.clear();
}

void QVPScreenScene::runMagnet() {
    CCArray* children = m_camera->getChildren();
    for (unsigned int i = 0; children && i < children->count(); ++i) {
        auto* object = dynamic_cast<QVPObject*>(static_cast<CCNode*>(children->objectAtIndex(i)));
        if (!object || object->typeFlags() != QVPObject::kTypePowerup || !m_inputController) continue;
        const CCPoint c = m_inputController->charactersPosition();
        const CCPoint position = object->getPosition();
        const float dist = std::hypot(position.x - c.x, position.y - c.y);
        if (dist >= kMagnetRadius) continue;
        const float rest = 1.0f - dist / kMagnetRadius;
        const float a = 1.0f - rest * rest * rest;
        const CCPoint p(c.x + (position.x - c.x) * a, c.y + (position.y - c.y) * a);
        if (b2Body* body = object->getBody()) {
            physics::setTransform(body, b2Vec2(p.x * kMetresPerPoint, p.y * kMetresPerPoint), body->GetAngle());
        }
    }
}

void QVPScreenScene::removeFinishedObjects(const std::vector<QVPObject*>& finished) {
    if (finished.empty()) return;
    if (m_inputController) m_inputController->removeMotorJointsOf(finished);
    for (QVPObject* object : finished) {
        if (object->typeFlags() == QVPObject::kTypeMirror) removeMirror(object);
        object->retain();
        object->removeFromParent();
        // A finished character stays listed for its lives; its body leaves
        // the world now.
        if (object->typeFlags() == QVPObject::kTypeCharacter && object->getBody()) {
            b2Body* body = object->getBody();
            object->detachBody();
            physics::destroyBody(m_world, body);
        }
        object->release();
    }
}

QVPScreenScene::RemovalFrame QVPScreenScene::computeRemovalFrame() const {
    RemovalFrame frame;
    const QVPGameFieldSettings& settings = *m_gameFieldSettings;
    frame.angle = -(settings.gameplayAngleDirection() * kDegreesToRadians);
    const float back = settings.backDeletionThreshold();
    const float sides = settings.sidesDeletionThreshold();
    frame.testBack = back != -1.0f;
    frame.testSides = sides != -1.0f;
    const cocos2d::CCSize win = cocos2d::CCDirector::sharedDirector()->getWinSize();
    const float hx = (frame.testBack ? back : kDefaultBackExtent) + win.width / 2;
    const float hy = (frame.testSides ? sides : kDefaultSidesExtent) + win.height / 2;
    const CCPoint centre(win.width / 2, win.height / 2);
    const CCPoint corners[4] = {CCPoint(centre.x + hx, centre.y - hy), CCPoint(centre.x - hx, centre.y - hy),
                                CCPoint(centre.x - hx, centre.y + hy), CCPoint(centre.x + hx, centre.y + hy)};
    const CCPoint origin = (m_camera ? m_camera->getPosition() : CCPoint()) + visibleOriginOffset();
    for (int i = 0; i < 4; ++i) frame.corners[i] = rotateAbout(corners[i], centre, frame.angle) - origin;
    return frame;
}

void QVPScreenScene::removeIfBehindView(QVPObject* object) { removeIfBehindView(object, computeRemovalFrame()); }

void QVPScreenScene::removeIfBehindView(QVPObject* object, const RemovalFrame& frame) {
    if (!object || exemptFromRemoval(object)) return;
    const cocos2d::CCRect r = object->getBoundingRect();
    const CCPoint m(r.getMidX(), r.getMidY());
    const float w = r.size.width;
    const float h = r.size.height;
    // Edges 0 and 2 are the sides, 1 the back; the front is never tested.
    for (int i = 0; i < 3; ++i) {
        if (!(i == 1 ? frame.testBack : frame.testSides)) continue;
        const float theta = frame.angle - (90.0f + i * 90.0f) * kDegreesToRadians;
        const CCPoint v(std::cos(theta) * w / 2, std::sin(theta) * h / 2);
        float s = 0.0f;
        float t = 0.0f;
        if (cocos2d::ccpLineIntersect(m + v, m - v, frame.corners[i], frame.corners[i + 1], &s, &t) && s > 1.0f) {
            object->setState(QVPObject::kStateFinished);
            return;
        }
    }
}

void QVPScreenScene::setFlash(float duration) {
    logMessage("[QVPScreenScene] - flash: %f", duration);
    m_flashTime = m_flashDuration = duration;
    if (duration == 0.0f && m_flashSprite) m_flashSprite->setOpacity(0);
}

void QVPScreenScene::setShake(float duration) {
    logMessage("[QVPScreenScene] - shake: %f", duration);
    m_shakeTime = duration;
    if (duration == 0.0f) setPosition(CCPoint(0.0f, 0.0f));
}

void QVPScreenScene::visit() {
    CCNode::visit();
    // One more pass per mirror, into its texture; the HUD stays out of the
    // reflection.
    for (std::size_t i = 0; i < m_mirrors.size(); ++i) {
        auto* mirror = dynamic_cast<QVPObjectAssetMirror*>(m_mirrors[i]);
        if (!mirror) continue;
        const bool hudVisible = m_hud ? m_hud->isVisible() : true;
        if (m_hud) m_hud->setVisible(false);
        mirror->beginCapture();
        CCNode::visit();
        mirror->endCapture();
        if (m_hud) m_hud->setVisible(hudVisible);
    }
    if (m_physicsDebug) drawPhysicsDebug();
}

void QVPScreenScene::drawPhysicsDebug() {
    if (!m_world || !m_camera) return;
    cocos2d::ccGLNodeDrawSetup(nullptr);
    cocos2d::ccGLBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    cocos2d::kmGLPushMultAffine(m_camera->nodeToWorldTransform());
    m_world->DebugDraw();
    cocos2d::kmGLPopMatrix();
}
