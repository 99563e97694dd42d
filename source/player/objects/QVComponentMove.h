// QVComponentMove: while on, drives its owner's body at the model's linear
// and angular velocity, shows its animation on the owner (priority 4) and
// takes the owner's steering away. An on-screen control, a contact or the
// first update switches it on; the control, the timeout or the owner's
// death switches it off.
//
// Guarantees: one move component of an owner drives it at a time (a start
// stops the others in the same update); a start waits while an iso-jump of
// the owner runs; an axis or angle left empty in the model keeps the body's
// own value, so gravity keeps acting; a timeout of 0 never stops it; an
// "Event" it does not understand gives a component that never starts.
#pragma once

#include <memory>

#include "math/CCGeometry.h"
#include "player/objects/QVComponent.h"
#include "player/objects/QVComponentEvent.h"

class QVModelComponentMove;
class QVPAnimationObject;

class QVComponentMove : public QVComponent {
public:
    static QVComponent* build() { return new QVComponentMove(); }
    QVComponentMove();
    ~QVComponentMove() override;

    void update(float dt) override;
    void setModel(std::shared_ptr<QVModelComponent> model) override;
    void setOwner(QVPObject* owner) override;
    void onStateChanged() override;
    void setActive(bool active) override;

    // Switches on or off; nothing for a dying or finished owner.
    // `keepVelocity`: the body goes on at the velocity it has (an object
    // rebuilt after a transfer).
    void activate(bool on, bool keepVelocity);

    const cocos2d::CCPoint& targetVelocity() const { return m_targetVelocity; }
    float targetAngularVelocity() const { return m_targetAngularVelocity; }
    QVPAnimationObject* animation() const { return m_animation; }

private:
    enum Operation { kReplace = 0, kAdd = 1, kMultiply = 2 };

    std::shared_ptr<QVModelComponentMove> moveModel() const;
    void onControlPressed(cocos2d::CCObject* control);
    void onControlReleased(cocos2d::CCObject* control);
    void onContact(QVPObject* other);
    void computeTarget(bool keepVelocity);
    // Puts the move's entry on the owner's animation table or takes it off.
    void showOnOwner(bool show);
    bool ownerIsJumping() const;

    QVComponentEvent m_event;
    int m_operation = kReplace;
    QVPAnimationObject* m_animation = nullptr;
    float m_timeLeft = 0.0f;
    bool m_startRequested = false;
    bool m_exclusiveRequested = false;
    bool m_stopRequested = false;
    cocos2d::CCPoint m_targetVelocity;
    float m_targetAngularVelocity = 0.0f;
    std::unique_ptr<QVSound> m_sound;
};
