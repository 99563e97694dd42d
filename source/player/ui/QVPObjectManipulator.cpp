#include "player/ui/QVPObjectManipulator.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "director/CCDirector.h"
#include "input/CCTouch.h"
#include "input/CCTouchDispatcher.h"
#include "model/classes/QVModelControls.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVUtilities.h"
#include "player/objects/QVPObjectAssetCharacter.h"

using cocos2d::CCPoint;

namespace {

constexpr float kDegreesToRadians = 0.0174533f;

QVPObjectAccelerometer* g_accelerometer = nullptr;

bool finite(const CCPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// View-space offset with y turned up, in the model's rotation.
CCPoint steeringOffset(const CCPoint& from, const CCPoint& to, const QVModelObjectManipulator& model) {
    const CCPoint d(to.x - from.x, -(to.y - from.y));
    return d.rotateByAngle(CCPoint(0.0f, 0.0f), model.rotation(0.0f, 0) * kDegreesToRadians);
}

}  // namespace

bool controlBoxContains(cocos2d::CCNode* control, const QVModelObject* model, cocos2d::CCTouch* touch,
                        bool logLocation) {
    if (!control || !model || !touch || !control->isRunning() || !isVisibleInTree(control)) return false;
    const CCPoint local = control->convertTouchToNodeSpace(touch);
    if (logLocation) logMessage("location :%f %f ", static_cast<double>(local.x), static_cast<double>(local.y));
    const CCPoint scale = model->scale(0.0f, 0);
    const float halfWidth = std::fabs(scale.x) * 50.0f;
    const float halfHeight = std::fabs(scale.y) * 50.0f;
    // NaN fails both comparisons.
    return std::fabs(local.x) <= halfWidth && std::fabs(local.y) <= halfHeight;
}

// ---- QVPObjectManipulator

QVPObjectManipulator::~QVPObjectManipulator() = default;

void QVPObjectManipulator::setModel(std::shared_ptr<QVModelObjectManipulator> model) {
    m_model = std::move(model);
    m_absolute = m_model && m_model->controlStyle() == "kControlStyleAbsolute";
}

float QVPObjectManipulator::sensitivity() const { return m_model ? m_model->sensitivity() : 0.0f; }

// ---- QVPObjectButtonJoystick

QVPObjectButtonJoystick* QVPObjectButtonJoystick::create(std::shared_ptr<QVModelObjectManipulator> model) {
    auto* joystick = new QVPObjectButtonJoystick();
    joystick->init();
    joystick->setModel(std::move(model));
    joystick->autorelease();
    return joystick;
}

void QVPObjectButtonJoystick::setModel(std::shared_ptr<QVModelObjectManipulator> model) {
    QVPObjectManipulator::setModel(std::move(model));
    if (m_model) setPosition(m_model->position(0.0f, 0));
}

void QVPObjectButtonJoystick::onEnter() {
    QVPObjectManipulator::onEnter();
    cocos2d::CCDirector::sharedDirector()->getTouchDispatcher()->addTargetedDelegate(this, 0, true);
}

void QVPObjectButtonJoystick::onExit() {
    cocos2d::CCDirector::sharedDirector()->getTouchDispatcher()->removeDelegate(this);
    QVPObjectManipulator::onExit();
}

bool QVPObjectButtonJoystick::ccTouchBegan(cocos2d::CCTouch* touch, cocos2d::CCEvent*) {
    if (!controlBoxContains(this, m_model.get(), touch, true)) return false;
    m_startPoint = touch->getLocationInView();
    return true;
}

void QVPObjectButtonJoystick::ccTouchMoved(cocos2d::CCTouch* touch, cocos2d::CCEvent*) {
    if (!m_model) return;
    const float s = sensitivity();
    QVPInputController* input = QVPInputController::shared();
    if (m_absolute) {
        const CCPoint d = steeringOffset(touch->getPreviousLocationInView(), touch->getLocationInView(), *m_model);
        const CCPoint v(s * d.x * 0.1f, s * d.y * 0.1f);
        if (finite(v)) input->setJoystickVector(v.x, v.y);
    } else {
        const CCPoint d = steeringOffset(m_startPoint, touch->getLocationInView(), *m_model);
        const CCPoint v(d.x * (s * 0.01f), d.y * (s * 0.01f));
        if (finite(v)) input->applyDirection(v);
    }
}

void QVPObjectButtonJoystick::ccTouchEnded(cocos2d::CCTouch*, cocos2d::CCEvent*) {
    QVPInputController::shared()->applyDirection(CCPoint(0.0f, 0.0f));
}

// ---- QVPObjectAccelerometer

QVPObjectAccelerometer* QVPObjectAccelerometer::shared() {
    if (!g_accelerometer) g_accelerometer = new QVPObjectAccelerometer();
    return g_accelerometer;
}

QVPObjectAccelerometer* QVPObjectAccelerometer::current() { return g_accelerometer; }

void QVPObjectAccelerometer::destroyShared() { delete g_accelerometer; }

QVPObjectAccelerometer::QVPObjectAccelerometer() {
    init();
    cocos2d::CCDirector::sharedDirector()->getAccelerometer()->setDelegate(this);
}

QVPObjectAccelerometer::~QVPObjectAccelerometer() {
    cocos2d::CCAccelerometer* accelerometer = cocos2d::CCDirector::sharedDirector()->getAccelerometer();
    if (accelerometer->getDelegate() == this) accelerometer->setDelegate(nullptr);
    if (g_accelerometer == this) g_accelerometer = nullptr;
}

std::shared_ptr<QVModelObjectAccelerometer> QVPObjectAccelerometer::getModel() const {
    return std::dynamic_pointer_cast<QVModelObjectAccelerometer>(m_model);
}

void QVPObjectAccelerometer::didAccelerate(cocos2d::CCAcceleration* acceleration) {
    const std::shared_ptr<QVModelObjectAccelerometer> model = getModel();
    if (!model || !acceleration) return;
    const auto ax = static_cast<float>(acceleration->x);
    const auto ay = static_cast<float>(acceleration->y);
    if (!std::isfinite(ax) || !std::isfinite(ay)) return;
    if (model->controlType() == "kControlTypeMove") {
        moveCharacters(*model, ax, ay);
    } else if (static_cast<int>(QVModelGeneralSettings::shared()->orientation()) == 1) {
        leanCharacters(ax);
    }
}

void QVPObjectAccelerometer::moveCharacters(const QVModelObjectAccelerometer& model, float ax, float ay) {
    const std::string& axes = model.activeAxes();
    if (axes == "kActiveAxeX") ay *= 0.0f;
    if (axes == "kActiveAxeY") ax *= 0.0f;
    const float s = sensitivity();
    QVPInputController* input = QVPInputController::shared();
    if (!m_absolute) {
        const CCPoint direction(s * ax, s * ay);
        if (finite(direction)) input->applyDirection(direction);
        return;
    }
    const cocos2d::CCSize design = QVModelGeneralSettings::shared()->designSize();
    const CCPoint target(design.width / 2 + s * ax * design.width / 2, design.height / 2 + s * ay * design.height / 2);
    if (!finite(target)) return;
    input->forEachCharacter([&target](QVPObjectAssetCharacter* c) { c->setTargetPosition(target); });
}

void QVPObjectAccelerometer::leanCharacters(float ax) {
    const float factor = std::min(std::max(std::fabs(ax) * 2.0f, 0.0f), 1.0f);
    QVPInputController::shared()->forEachCharacter([factor, ax](QVPObjectAssetCharacter* c) {
        c->setLeanFactor(factor);
        if (ax > 0.0f) {
            c->startRotateRight();
            c->stopRotateLeft();
        } else {
            c->startRotateLeft();
            c->stopRotateRight();
        }
    });
}
