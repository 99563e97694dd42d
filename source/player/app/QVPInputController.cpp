#include "player/app/QVPInputController.h"

#include <algorithm>
#include <cmath>

#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "input/CCKeypadDispatcher.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/core/QVModelController.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"
#include "player/app/QVUtilities.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPObject.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectAssetTrail.h"
#include "player/screens/QVPScreen.h"
#include "player/ui/QVObjectModelHolder.h"
#include "player/ui/QVPObjectButton.h"

using namespace cocos2d;

namespace {

constexpr int kStateDying = QVPObject::kStateDying;
constexpr int kStateFinished = QVPObject::kStateFinished;
constexpr float kPointsPerMetre = 20.0f;

QVPInputController* s_shared = nullptr;

// Never destroyed: buttons may unregister during static tear-down.
std::map<int, std::vector<QVPObjectButton*>>& keyObjects() {
    static auto* map = new std::map<int, std::vector<QVPObjectButton*>>();
    return *map;
}

CCKeypadDispatcher* keypad() { return CCDirector::sharedDirector()->getKeypadDispatcher(); }

// Keeps an object alive across a call that may release its last owner.
class Hold {
public:
    explicit Hold(CCObject* object) : m_object(object) { m_object->retain(); }
    ~Hold() { m_object->release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    CCObject* m_object;
};

bool isKeyObject(int keyCode, QVPObjectButton* button) {
    auto& map = keyObjects();
    auto found = map.find(keyCode);
    if (found == map.end()) return false;
    return std::find(found->second.begin(), found->second.end(), button) != found->second.end();
}

// To the running screen, unless it hears the keypad itself.
template <class Call>
void forwardKeypad(Call call) {
    QVPScreen* screen = QVPScreen::runningScreen();
    if (!screen || keypad()->hasDelegate(screen)) return;
    Hold hold(screen);
    call(screen);
}

float finiteSpeed(float speed) {
    if (!std::isfinite(speed)) return 0.0f;
    return std::max(-physics::kMaxSpeed, std::min(physics::kMaxSpeed, speed));
}

unsigned int sourceModelId(CCObject* source, bool* found) {
    const auto model = QVObjectModelHolder::modelOf(dynamic_cast<CCNode*>(source));
    *found = model != nullptr;
    return model ? model->id() : 0;
}

int actionForKeyCode(int code) {
    static const int actions[] = {0, 4, 3, 1, 2, 8, 5, 9, 10, 6, 7};
    return code >= 1 && code <= 10 ? actions[code] : 0;
}

int actionForGamepadButton(int button) {
    switch (button) {
        case 12:
            return 1;
        case 14:
            return 2;
        case 13:
            return 3;
        case 15:
            return 4;
        case 0:
            return 5;
        case 1:
            return 8;
        default:
            return 0;
    }
}

}  // namespace

// ---- Lifetime ----

QVPInputController::QVPInputController() {
    m_characters = CCArray::create();
    m_characters->retain();
    QVPInputController* previous = s_shared;
    s_shared = this;
    if (previous) {
        keypad()->removeDelegate(previous);
        if (previous->m_slotOwned) {
            // The dispatcher keeps it alive while its own keypad call runs.
            previous->m_slotOwned = false;
            previous->release();
        }
    }
    keypad()->addDelegate(this);
}

QVPInputController::~QVPInputController() {
    logMessage("QVPInputController - deallocated");
    if (s_shared == this) s_shared = nullptr;
    keypad()->removeDelegate(this);
    m_characters->removeAllObjects();
    CC_SAFE_RELEASE(m_characters);
}

QVPInputController* QVPInputController::shared() {
    if (!s_shared) {
        auto* made = new QVPInputController();
        made->m_slotOwned = true;
    }
    return s_shared;
}

QVPInputController* QVPInputController::current() { return s_shared; }

void QVPInputController::destroy() {
    QVPInputController* instance = s_shared;
    if (!instance) return;
    s_shared = nullptr;
    keypad()->removeDelegate(instance);
    if (instance->m_slotOwned) {
        instance->m_slotOwned = false;
        instance->release();
    }
}

// ---- Actions ----

void QVPInputController::actionPressed(int action, CCObject* source) {
    if (!m_enabled) return;
    Hold self(this);
    applyAction(action, Edge::kPress);
    callSubscribers(action, source, true, 0);
    callActionObjects(action, true);
}

void QVPInputController::actionReleased(int action, CCObject* source) {
    Hold self(this);
    // A release only undoes its press, so it runs while disabled too;
    // otherwise a pause would leave the character moving.
    applyAction(action, Edge::kRelease);
    if (!m_enabled) return;
    callSubscribers(action, source, true, 0);
    callActionObjects(action, false);
}

void QVPInputController::notifyAction(CCObject* source, int action, unsigned int filterId) {
    if (!m_enabled) return;
    Hold self(this);
    callSubscribers(action, source, false, filterId);
}

void QVPInputController::applyAction(int action, Edge edge) {
    const bool press = edge == Edge::kPress;
    switch (action) {
        case 1:
        case 2:
        case 3:
        case 4:
            updateHeld(action, press);
            applyHeldDirection();
            break;
        case 5:
            forLiveCharacters([press](QVPObjectAssetCharacter* c) { press ? c->jump() : c->releaseJump(); });
            break;
        case 6:
            forLiveCharacters(
                [press](QVPObjectAssetCharacter* c) { press ? c->startRotateLeft() : c->stopRotateLeft(); });
            break;
        case 7:
            forLiveCharacters(
                [press](QVPObjectAssetCharacter* c) { press ? c->startRotateRight() : c->stopRotateRight(); });
            break;
        case 8:
            forLiveCharacters([press](QVPObjectAssetCharacter* c) { c->setShooting(press); });
            break;
        case 9:
        case 10:
            updateHeld(action, press);
            applyMotorSpeeds();
            break;
        default:
            break;
    }
}

void QVPInputController::callSubscribers(int action, CCObject* source, bool useSourceFilter, unsigned int filterId) {
    const std::vector<Subscriber> records = m_subscribers[action];
    bool sourceHasModel = false;
    const unsigned int sourceId = useSourceFilter ? sourceModelId(source, &sourceHasModel) : 0;
    for (const Subscriber& record : records) {
        if (!record.target || !record.callback) continue;
        if (useSourceFilter) {
            if (record.filterId != 0 && source && !(sourceHasModel && sourceId == record.filterId)) continue;
        } else if (record.filterId != 0 && filterId != 0 && record.filterId != filterId) {
            continue;
        }
        // An earlier callback may have unsubscribed (and deleted) this target.
        const auto& live = m_subscribers[action];
        if (std::none_of(live.begin(), live.end(), [&](const Subscriber& s) { return s.serial == record.serial; })) {
            continue;
        }
        Hold target(record.target);
        (record.target->*record.callback)(source);
    }
}

void QVPInputController::callActionObjects(int action, bool pressed) {
    auto found = m_actionObjects.find(action);
    if (found == m_actionObjects.end()) return;
    const std::vector<QVPObjectAsset*> objects = found->second;
    for (QVPObjectAsset* object : objects) {
        const auto& live = m_actionObjects[action];
        if (std::find(live.begin(), live.end(), object) == live.end()) continue;
        Hold hold(object);
        object->setActionPressed(pressed);
    }
}

void QVPInputController::subscribeAction(int action, CCObject* target, ActionHandler callback, unsigned int filterId) {
    m_subscribers[action].push_back(Subscriber{target, callback, filterId, ++m_nextSerial});
}

void QVPInputController::unsubscribeAction(CCObject* target) {
    for (auto& entry : m_subscribers) {
        auto& records = entry.second;
        for (auto it = records.begin(); it != records.end();) {
            if (it->target == target) {
                it = records.erase(it);
                logMessage("action unsubscribed");
            } else {
                ++it;
            }
        }
    }
}

void QVPInputController::registerActionObject(int action, QVPObjectAsset* object) {
    if (object) m_actionObjects[action].push_back(object);
}

void QVPInputController::unregisterActionObject(QVPObjectAsset* object) {
    for (auto& entry : m_actionObjects) {
        auto& objects = entry.second;
        objects.erase(std::remove(objects.begin(), objects.end(), object), objects.end());
    }
}

void QVPInputController::clearActionObjects() { m_actionObjects.clear(); }

CCPoint QVPInputController::direction() const {
    CCPoint sum(0, 0);
    for (int action : m_held) {
        switch (action) {
            case 1:
                sum.y += 1;
                break;
            case 2:
                sum.y -= 1;
                break;
            case 3:
                sum.x += 1;
                break;
            case 4:
                sum.x -= 1;
                break;
            default:
                break;
        }
    }
    return sum;
}

void QVPInputController::updateHeld(int action, bool press) {
    if (press) {
        m_held.push_back(action);
    } else {
        m_held.erase(std::remove(m_held.begin(), m_held.end(), action), m_held.end());
    }
}

void QVPInputController::applyHeldDirection() { applyDirection(direction()); }

void QVPInputController::applyMotorSpeeds() {
    for (const MotorJoint& entry : m_motorJoints) {
        if (!entry.joint || !entry.linker) continue;
        const float speed = finiteSpeed(entry.linker->speed());
        float total = 0.0f;
        for (int action : m_held) {
            if (action == 9) total -= speed;
            if (action == 10) total += speed;
        }
        entry.joint->SetMotorSpeed(finiteSpeed(total));
    }
}

// ---- Raw keys ----

void QVPInputController::registerKeyObject(int keyCode, QVPObjectButton* button) {
    if (keyCode <= 0 || !button || isKeyObject(keyCode, button)) return;
    keyObjects()[keyCode].push_back(button);
}

void QVPInputController::unregisterKeyObject(int keyCode, QVPObjectButton* button) {
    auto& map = keyObjects();
    auto found = map.find(keyCode);
    if (found == map.end()) return;
    auto& buttons = found->second;
    buttons.erase(std::remove(buttons.begin(), buttons.end(), button), buttons.end());
    if (buttons.empty()) map.erase(found);
}

bool QVPInputController::pressKeyObjects(int keyCode, QVPScreen* screen, CCArray* taken) {
    return keyObjectsCall(keyCode, screen, true, taken);
}

bool QVPInputController::releaseKeyObjects(int keyCode, QVPScreen* screen) {
    return keyObjectsCall(keyCode, screen, false, nullptr);
}

bool QVPInputController::keyObjectsCall(int keyCode, QVPScreen* screen, bool press, CCArray* taken) {
    // Buttons outside any screen would match a null one.
    if (!screen) return false;
    auto found = keyObjects().find(keyCode);
    if (found == keyObjects().end()) return false;
    const std::vector<QVPObjectButton*> buttons = found->second;
    bool any = false;
    for (QVPObjectButton* button : buttons) {
        // An earlier activation may have destroyed or unbound it.
        if (!isKeyObject(keyCode, button)) continue;
        if (button->getScreen() != screen || !button->isEnabled() || !isVisibleInTree(button)) continue;
        Hold hold(button);
        press ? button->pressFromKey() : button->releaseFromKey();
        if (taken) taken->addObject(button);
        any = true;
    }
    return any;
}

// ---- Key codes, keypad, gamepad ----

void QVPInputController::keyPressed(int code) {
    logMessage("[QVPInputController] - keyPressed: %d", code);
    if (!m_enabled) return;
    Hold self(this);
    if (int action = actionForKeyCode(code)) {
        actionPressed(action, nullptr);
        return;
    }
    if (code < 11 || code > 15) return;
    QVPScreen* screen = QVPScreen::runningScreen();
    if (!screen) return;
    Hold hold(screen);
    if (code == 11) {
        screen->activateHighlightedButton();
    } else {
        screen->moveHighlight(code);
    }
}

void QVPInputController::keyBackClicked() {
    logMessage("key Back CLCIKED");
    if (!m_enabled) return;
    Hold self(this);
    forwardKeypad([](QVPScreen* screen) { screen->keyBackClicked(); });
}

void QVPInputController::keyDown(int key) {
    logMessage("[QVPInputController] key Down clicked");
    if (!m_enabled) return;
    Hold self(this);
    forwardKeypad([&key](QVPScreen* screen) { screen->keyDown(key); });
}

void QVPInputController::keyUp(int key) {
    logMessage("[QVPInputController] key UP clicked");
    if (!m_enabled) return;
    Hold self(this);
    forwardKeypad([&key](QVPScreen* screen) { screen->keyUp(key); });
    switch (key) {
        case 4:
        case 97:
            keyBackClicked();
            break;
        case 19:
            keyPressed(12);
            break;
        case 20:
            keyPressed(13);
            break;
        case 21:
            keyPressed(14);
            break;
        case 22:
            keyPressed(15);
            break;
        case 23:
        case 96:
        case 99:
        case 100:
            keyPressed(11);
            break;
        default:
            break;
    }
}

void QVPInputController::gamepadButtonPressed(int button) {
    logMessage("Gamepad press button: %i", button);
    if (int action = actionForGamepadButton(button)) actionPressed(action, nullptr);
}

void QVPInputController::gamepadButtonReleased(int button) {
    logMessage("Gamepad release button: %i", button);
    if (int action = actionForGamepadButton(button)) actionReleased(action, nullptr);
}

void QVPInputController::gamepadAxisMoved(int value, int axis) {
    float v = static_cast<float>(value) * 3.0517578125e-5f;
    if (std::fabs(v) < 0.25f) v = 0.0f;
    logMessage("Gamepad axis: %i   value: %i   valueF: %f", axis, value, static_cast<double>(v));
    if (axis == 1) {
        forAllCharacters([v](QVPObjectAssetCharacter* c) { c->setDirectionX(v); });
    } else if (axis == 0) {
        forAllCharacters([v](QVPObjectAssetCharacter* c) { c->setDirectionY(-v); });
    }
}

// ---- Characters ----

template <class Call>
void QVPInputController::forAllCharacters(Call call) {
    Hold self(this);
    std::vector<QVPObjectAssetCharacter*> snapshot;
    for (CCObject* object : m_characters->data()) snapshot.push_back(static_cast<QVPObjectAssetCharacter*>(object));
    for (QVPObjectAssetCharacter* c : snapshot) c->retain();
    for (QVPObjectAssetCharacter* c : snapshot) call(c);
    for (QVPObjectAssetCharacter* c : snapshot) c->release();
}

template <class Call>
void QVPInputController::forLiveCharacters(Call call) {
    forAllCharacters([&call](QVPObjectAssetCharacter* c) {
        if (c->getState() != kStateDying) call(c);
    });
}

void QVPInputController::addCharacter(QVPObjectAssetCharacter* character) {
    if (!character || m_characters->containsObject(character)) return;
    m_characters->addObject(character);
    m_noCharacter = false;
    applyHeldDirection();
}

void QVPInputController::removeCharacter(QVPObjectAssetCharacter* character) {
    if (character) m_characters->removeObject(character);
}

bool QVPInputController::hasLiveCharacters() const {
    for (CCObject* object : m_characters->data()) {
        // A finished character stays listed for its lives but has left the
        // field.
        const int state = static_cast<QVPObjectAssetCharacter*>(object)->getState();
        if (state != kStateDying && state != kStateFinished) return true;
    }
    return m_noCharacter;
}

void QVPInputController::applyDirection(const CCPoint& d) {
    forLiveCharacters([&d](QVPObjectAssetCharacter* c) { c->setDirection(d.x, d.y); });
}

int QVPInputController::charactersZOrder() const {
    if (m_characters->count() == 0) return 0;
    return static_cast<QVPObjectAssetCharacter*>(m_characters->objectAtIndex(0))->getZOrder();
}

CCPoint QVPInputController::startPosition() {
    CCPoint sum(0, 0);
    int count = 0;
    for (const auto& section : QVModelController::shared()->getModels<QVModelLevelSection>()) {
        if (!section->initSection()) continue;
        for (const auto& object : section->objects()) {
            if (!modelCast<QVModelObjectAssetCharacter>(object)) continue;
            const CCPoint p = object->position(0.0f, 0);
            sum.x += p.x;
            sum.y += p.y;
            ++count;
        }
    }
    if (count == 0) return CCPoint(0, 0);
    return CCPoint(sum.x / static_cast<float>(count), sum.y / static_cast<float>(count));
}

CCPoint QVPInputController::charactersPosition() {
    CCPoint sum(0, 0);
    int count = 0;
    for (CCObject* object : m_characters->data()) {
        auto* c = static_cast<QVPObjectAssetCharacter*>(object);
        if (c->getState() == kStateDying || c->getState() == kStateFinished) continue;
        CCPoint p = c->getPosition();
        if (b2Body* body = c->getBody()) {
            p = CCPoint(body->GetPosition().x * kPointsPerMetre, body->GetPosition().y * kPointsPerMetre);
        }
        sum.x += p.x;
        sum.y += p.y;
        ++count;
    }
    if (count > 0) m_lastPosition = CCPoint(sum.x / static_cast<float>(count), sum.y / static_cast<float>(count));
    return m_lastPosition;
}

CCRect QVPInputController::charactersBoundingBox() const {
    bool any = false;
    b2AABB all;
    for (CCObject* object : m_characters->data()) {
        b2AABB box;
        if (!physics::firstFixtureBox(static_cast<QVPObjectAssetCharacter*>(object)->getBody(), box)) continue;
        if (any) {
            all.Combine(box);
        } else {
            all = box;
            any = true;
        }
    }
    if (!any) return CCRect(0, 0, 0, 0);
    return CCRect(all.lowerBound.x * kPointsPerMetre, all.lowerBound.y * kPointsPerMetre,
                  (all.upperBound.x - all.lowerBound.x) * kPointsPerMetre,
                  (all.upperBound.y - all.lowerBound.y) * kPointsPerMetre);
}

std::shared_ptr<QVModelComponentHealth> QVPInputController::characterHealth() const {
    if (m_characters->count() == 0) return nullptr;
    auto* first = static_cast<QVPObjectAssetCharacter*>(m_characters->objectAtIndex(0));
    auto model = modelCast<QVModelObjectAssetCharacter>(first->getModel());
    auto asset = model ? model->assetCharacter() : nullptr;
    return asset ? asset->findComponent<QVModelComponentHealth>() : nullptr;
}

void QVPInputController::killAllCharacters() {
    forAllCharacters([](QVPObjectAssetCharacter* c) {
        c->clearPowerups();
        c->setState(kStateDying);
    });
}

void QVPInputController::forEachCharacter(const std::function<void(QVPObjectAssetCharacter*)>& visit) {
    forAllCharacters(visit);
}

void QVPInputController::setJoystickVector(float x, float y) {
    forAllCharacters([x, y](QVPObjectAssetCharacter* c) { c->move(x, y); });
}

void QVPInputController::moveCharactersBy(float dx, float dy) {
    forLiveCharacters([dx, dy](QVPObjectAssetCharacter* c) {
        if (b2Body* body = c->getBody()) {
            const b2Vec2 p = body->GetPosition();
            physics::setTransform(body, b2Vec2(p.x + dx * kMetresPerPoint, p.y + dy * kMetresPerPoint),
                                  body->GetAngle());
        } else {
            const CCPoint p = c->getPosition();
            c->setPosition(CCPoint(p.x + dx, p.y + dy));
        }
    });
}

namespace {

// A character put somewhere else leaves no trail across the jump.
void restartTrails(CCNode* node) {
    CCArray* children = node ? node->getChildren() : nullptr;
    for (unsigned i = 0; children && i < children->count(); ++i) {
        auto* child = static_cast<CCNode*>(children->objectAtIndex(i));
        if (auto* trail = dynamic_cast<QVPObjectAssetTrail*>(child)) trail->restart();
        restartTrails(child);
    }
}

}  // namespace

void QVPInputController::placeCharacters(const CCPoint& p) {
    forAllCharacters([&p](QVPObjectAssetCharacter* c) {
        if (b2Body* body = c->getBody()) {
            physics::setTransform(body, b2Vec2(p.x * kMetresPerPoint, p.y * kMetresPerPoint), body->GetAngle());
        }
        c->setPosition(p);
        restartTrails(c);
        c->update(0.0f);
    });
}

void QVPInputController::reset() {
    m_characters->removeAllObjects();
    m_noCharacter = true;
    m_lastPosition = CCPoint(0, 0);
    m_held.clear();
}

// ---- Motor joints ----

void QVPInputController::addMotorJoint(b2RevoluteJoint* joint, std::shared_ptr<QVModelLinker> linker) {
    if (!joint || !linker) return;
    m_motorJoints.push_back(MotorJoint{joint, std::move(linker)});
}

void QVPInputController::removeMotorJointsOf(const std::vector<QVPObject*>& objects) {
    auto attached = [&objects](const MotorJoint& entry) {
        for (QVPObject* object : objects) {
            b2Body* body = object ? object->getBody() : nullptr;
            if (body && (entry.joint->GetBodyA() == body || entry.joint->GetBodyB() == body)) return true;
        }
        return false;
    };
    m_motorJoints.erase(std::remove_if(m_motorJoints.begin(), m_motorJoints.end(), attached), m_motorJoints.end());
}

void QVPInputController::removeMotorJoint(const b2Joint* joint) {
    m_motorJoints.erase(std::remove_if(m_motorJoints.begin(), m_motorJoints.end(),
                                       [joint](const MotorJoint& entry) { return entry.joint == joint; }),
                        m_motorJoints.end());
}

void QVPInputController::clearMotorJoints() { m_motorJoints.clear(); }
