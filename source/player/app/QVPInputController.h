// QVPInputController: turns every input source (keys, gamepad, keypad events,
// on-screen buttons, swipes) into numbered actions and applies them to the
// characters, the motorised joints, the bound objects and the subscribers of
// the running world.
//
// Actions 1-4 move up, down, right, left; 5 jump; 6, 7 rotate left, right;
// 8 shoot; 9, 10 motor clockwise, counter-clockwise. 11 and above reach only
// subscribers and bound objects. keyPressed's codes 11-15 are UI navigation.
//
// Lifetime: exactly one instance is the shared one and the one registered
// keypad delegate. A constructor takes the slot and unregisters the previous
// instance; one that shared() made belongs to the slot and is released (not
// deleted), so a takeover from inside its own call is safe. One a scene made
// with `new` is only displaced; its scene releases it. The destructor frees
// the slot when it still holds this instance.
//
// Guarantees: while disabled, presses, navigation and keypad events do
// nothing, but a release still undoes its press (held list, direction, motor
// speeds, jump, rotation, shooting) without calling subscribers or bound
// objects. Subscribers unsubscribed or deleted by an earlier callback of the
// same walk are skipped; each called target is retained for its call. Only
// visible (node and ancestors) and enabled buttons take a raw key.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "base/CCObject.h"
#include "math/CCGeometry.h"
#include "scene/CCProtocols.h"

namespace cocos2d {
class CCArray;
}
class b2Joint;
class b2RevoluteJoint;
class QVModelComponentHealth;
class QVModelLinker;
class QVPObject;
class QVPObjectAsset;
class QVPObjectAssetCharacter;
class QVPObjectButton;
class QVPScreen;

class QVPInputController : public cocos2d::CCObject, public cocos2d::CCKeypadDelegate {
public:
    // A subscriber's member function; it gets the source (may be null) and
    // tells press from release itself.
    typedef cocos2d::SEL_CallFuncO ActionHandler;

    // Registers the keypad delegate and takes the shared slot.
    QVPInputController();
    ~QVPInputController() override;

    // Never null: made on first use, owned by the slot.
    static QVPInputController* shared();
    // The current shared instance, or null; never creates one.
    static QVPInputController* current();
    // Unregisters the shared instance and frees the slot; releases it when
    // the slot owns it. The next shared() makes a fresh one.
    static void destroy();

    // The UI screen switches controls with its own input flag.
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }

    // ---- Actions (source may be null) ----
    void actionPressed(int action, cocos2d::CCObject* source);
    void actionReleased(int action, cocos2d::CCObject* source);
    // Subscribers of one action only. A record with a non-zero filter is
    // skipped when filterId is non-zero and differs from it.
    void notifyAction(cocos2d::CCObject* source, int action, unsigned int filterId);
    // filterId 0 = any source; otherwise only a null source or one whose
    // model (through its QVObjectModelHolder) has that id.
    void subscribeAction(int action, cocos2d::CCObject* target, ActionHandler callback, unsigned int filterId);
    // Removes every record of the target, logging "action unsubscribed" for
    // each.
    void unsubscribeAction(cocos2d::CCObject* target);

    // Bound objects get setActionPressed(true/false). They are not retained
    // here; an object unregisters itself before it dies.
    void registerActionObject(int action, QVPObjectAsset* object);
    void unregisterActionObject(QVPObjectAsset* object);
    void clearActionObjects();

    // The sum of the held directions (1 up, 2 down, 3 right, 4 left).
    cocos2d::CCPoint direction() const;

    // ---- Raw keys bound to buttons (program-wide, survives controllers) ----
    // Codes <= 0 are not bound. A button registered twice under one code is
    // listed once; buttons are not retained (they unregister on
    // destruction).
    static void registerKeyObject(int keyCode, QVPObjectButton* button);
    static void unregisterKeyObject(int keyCode, QVPObjectButton* button);
    // Offers the key to the visible, enabled buttons of that code whose
    // screen is `screen` (pressFromKey / releaseFromKey); true when one took
    // it. Each button is retained for its call; one unregistered by an
    // earlier call is skipped. `taken`, when given, receives the buttons
    // that took it (the host releases exactly those later).
    static bool pressKeyObjects(int keyCode, QVPScreen* screen, cocos2d::CCArray* taken = nullptr);
    static bool releaseKeyObjects(int keyCode, QVPScreen* screen);

    // Tool codes 1-10 press an action (never released); 11 activates the
    // running screen's highlighted button, 12-15 move its highlight.
    void keyPressed(int code);

    // ---- Engine keypad (Android key codes) ----
    // Forwarded to the running screen unless that screen is itself a
    // registered keypad delegate (it gets them from the dispatcher).
    void keyBackClicked() override;
    void keyDown(int key) override;
    void keyUp(int key) override;

    // ---- Gamepad (buttons 12 up, 13 right, 14 down, 15 left, 0 jump,
    // 1 shoot; axis 1 horizontal, axis 0 vertical) ----
    void gamepadButtonPressed(int button);
    void gamepadButtonReleased(int button);
    // value / 32768, |v| < 0.25 read as 0.
    void gamepadAxisMoved(int value, int axis);

    // ---- Characters of the running world (retained) ----
    void addCharacter(QVPObjectAssetCharacter* character);
    void removeCharacter(QVPObjectAssetCharacter* character);
    cocos2d::CCArray* getCharacters() const { return m_characters; }
    // Any character in neither state 4 nor 5; with none at all, whether
    // none was ever added since the last reset. The body operations below
    // (position, box, moves, motor joints) never reach for a missing body:
    // a finished character loses its body when it leaves the field.
    bool hasLiveCharacters() const;
    // setDirection on every character not in state 4.
    void applyDirection(const cocos2d::CCPoint& direction);
    int charactersZOrder() const;
    // Mean "Position" of the character models placed in "Init Section"
    // level sections; (0, 0) when none.
    static cocos2d::CCPoint startPosition();
    // Mean position of the characters not in state 4 or 5, remembered; the
    // remembered one when there is none.
    cocos2d::CCPoint charactersPosition();
    // Union of the characters' body boxes in points; zero when none.
    cocos2d::CCRect charactersBoundingBox() const;
    std::shared_ptr<QVModelComponentHealth> characterHealth() const;
    // clearPowerups, then state 4, on every character.
    void killAllCharacters();
    // Calls `visit` for every character (each retained for the walk), so
    // callers may remove characters from inside it.
    void forEachCharacter(const std::function<void(QVPObjectAssetCharacter*)>& visit);
    // The joystick: move(x, y) on every character.
    void setJoystickVector(float x, float y);
    void moveCharactersBy(float dx, float dy);
    // Moves every character to p and runs its update once with 0.
    void placeCharacters(const cocos2d::CCPoint& p);
    // No characters, no held actions, the last position zeroed.
    void reset();

    // ---- Motorised joints driven by actions 9 and 10 ----
    void addMotorJoint(b2RevoluteJoint* joint, std::shared_ptr<QVModelLinker> linker);
    // Drops the entries whose joint is attached to one of the objects' bodies.
    void removeMotorJointsOf(const std::vector<QVPObject*>& objects);
    // Drops the entry of a joint the world is destroying (with its body).
    void removeMotorJoint(const b2Joint* joint);
    void clearMotorJoints();

private:
    struct Subscriber {
        cocos2d::CCObject* target = nullptr;
        ActionHandler callback = nullptr;
        unsigned int filterId = 0;
        unsigned long serial = 0;  // tells a live record from a copy's stale one
    };
    struct MotorJoint {
        b2RevoluteJoint* joint = nullptr;
        std::shared_ptr<QVModelLinker> linker;
    };
    enum class Edge { kPress, kRelease };

    void applyAction(int action, Edge edge);
    void callSubscribers(int action, cocos2d::CCObject* source, bool useSourceFilter, unsigned int filterId);
    void callActionObjects(int action, bool pressed);
    void applyHeldDirection();
    void applyMotorSpeeds();
    // A press appends; a release removes every occurrence.
    void updateHeld(int action, bool press);
    // Each character not in state 4, retained for the walk.
    template <class Call>
    void forLiveCharacters(Call call);
    template <class Call>
    void forAllCharacters(Call call);
    static bool keyObjectsCall(int keyCode, QVPScreen* screen, bool press, cocos2d::CCArray* taken);

    cocos2d::CCArray* m_characters = nullptr;
    std::vector<int> m_held;
    std::vector<MotorJoint> m_motorJoints;
    std::map<int, std::vector<QVPObjectAsset*>> m_actionObjects;
    std::map<int, std::vector<Subscriber>> m_subscribers;
    bool m_noCharacter = true;
    cocos2d::CCPoint m_lastPosition;
    bool m_enabled = true;
    bool m_slotOwned = false;
    unsigned long m_nextSerial = 0;
};
