#include "player/app/QVPInputController.h"

#include "base/CCArray.h"

using namespace cocos2d;

namespace {
QVPInputController* s_shared = nullptr;
}

QVPInputController::QVPInputController() {
    m_characters = CCArray::create();
    m_characters->retain();
    s_shared = this;
}

QVPInputController::~QVPInputController() {
    if (s_shared == this) s_shared = nullptr;
    CC_SAFE_RELEASE(m_characters);
}

QVPInputController* QVPInputController::shared() {
    if (!s_shared) {
        new QVPInputController();
        s_shared->m_slotOwned = true;
    }
    return s_shared;
}

QVPInputController* QVPInputController::current() { return s_shared; }

void QVPInputController::destroy() {}
void QVPInputController::actionPressed(int, CCObject*) {}
void QVPInputController::actionReleased(int, CCObject*) {}
void QVPInputController::notifyAction(CCObject*, int, unsigned int) {}
void QVPInputController::subscribeAction(int, CCObject*, ActionHandler, unsigned int) {}
void QVPInputController::unsubscribeAction(CCObject*) {}
void QVPInputController::registerActionObject(int, QVPObjectAsset*) {}
void QVPInputController::unregisterActionObject(QVPObjectAsset*) {}
void QVPInputController::clearActionObjects() {}
CCPoint QVPInputController::direction() const { return CCPointZero; }
void QVPInputController::registerKeyObject(int, QVPObjectButton*) {}
void QVPInputController::unregisterKeyObject(int, QVPObjectButton*) {}
bool QVPInputController::pressKeyObjects(int, QVPScreen*, CCArray*) { return false; }
bool QVPInputController::releaseKeyObjects(int, QVPScreen*) { return false; }
void QVPInputController::keyPressed(int) {}
void QVPInputController::keyBackClicked() {}
void QVPInputController::keyDown(int) {}
void QVPInputController::keyUp(int) {}
void QVPInputController::gamepadButtonPressed(int) {}
void QVPInputController::gamepadButtonReleased(int) {}
void QVPInputController::gamepadAxisMoved(int, int) {}
void QVPInputController::addCharacter(QVPObjectAssetCharacter*) {}
void QVPInputController::removeCharacter(QVPObjectAssetCharacter*) {}
bool QVPInputController::hasLiveCharacters() const { return false; }
void QVPInputController::applyDirection(const CCPoint&) {}
int QVPInputController::charactersZOrder() const { return 0; }
CCPoint QVPInputController::startPosition() { return CCPointZero; }
CCPoint QVPInputController::charactersPosition() { return m_lastPosition; }
CCRect QVPInputController::charactersBoundingBox() const { return CCRectZero; }
std::shared_ptr<QVModelComponentHealth> QVPInputController::characterHealth() const { return nullptr; }
void QVPInputController::killAllCharacters() {}
void QVPInputController::setJoystickVector(float, float) {}
void QVPInputController::moveCharactersBy(float, float) {}
void QVPInputController::placeCharacters(const CCPoint&) {}
void QVPInputController::reset() {}
void QVPInputController::addMotorJoint(b2RevoluteJoint*, std::shared_ptr<QVModelLinker>) {}
void QVPInputController::removeMotorJointsOf(const std::vector<QVPObject*>&) {}
void QVPInputController::clearMotorJoints() {}
