// QVComponentMotor: sets its owner's body velocity every frame, and
// multiplies that velocity on an on-screen button press or on a contact
// with a unit of the "Affected asset".
//
// Guarantees: a linear axis of 0 leaves the body's own value (gravity keeps
// acting); the angular velocity is always applied, 0 included; each event
// multiplies again (the values compound). It does not consult `active`.
// Every press of any control (action 11) multiplies, whatever the control.
#pragma once

#include <memory>

#include "math/CCGeometry.h"
#include "player/objects/QVComponent.h"

class QVModelComponentMotor;

class QVComponentMotor : public QVComponent {
public:
    static QVComponent* build() { return new QVComponentMotor(); }
    ~QVComponentMotor() override;

    void update(float dt) override;
    void setModel(std::shared_ptr<QVModelComponent> model) override;
    void setOwner(QVPObject* owner) override;

    void applyMultipliers();

    const cocos2d::CCPoint& velocity() const { return m_velocity; }
    float angularVelocity() const { return m_angularVelocity; }

private:
    std::shared_ptr<QVModelComponentMotor> motorModel() const;
    void onButton(cocos2d::CCObject* source);

    cocos2d::CCPoint m_velocity;
    float m_angularVelocity = 0.0f;
};
