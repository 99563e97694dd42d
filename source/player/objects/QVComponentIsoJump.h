// QVComponentIsoJump: a jump in the picture only. The owner's shown and
// attached animations rise and fall along an arc in node space above the
// unmoved body, while a ground animation stays at the owner's place; with
// "Syncronize Animation" the jump animation's frame follows the vertical
// speed.
//
// Guarantees: at most "Jump Count" jumps per sequence, none for a dying or
// finished owner; a sequence ends by "Jump Duration" at the latest; the
// frame shown is the first while rising at full speed and the last (never
// wrapped to the first) while falling at full speed, and a "Jump Velocity"
// whose y is not above 0 chooses no frame; an owner that dies mid-jump dies
// where its picture was.
#pragma once

#include <memory>

#include "math/CCGeometry.h"
#include "player/objects/QVComponent.h"
#include "player/objects/QVComponentEvent.h"

class QVModelComponentIsoJump;
class QVPAnimationObject;

class QVComponentIsoJump : public QVComponent {
public:
    static QVComponent* build() { return new QVComponentIsoJump(); }
    QVComponentIsoJump();
    ~QVComponentIsoJump() override;

    void update(float dt) override;
    void setModel(std::shared_ptr<QVModelComponent> model) override;
    void setOwner(QVPObject* owner) override;
    void onStateChanged() override;

    void startJump();
    void endJump();

    // The jump animation's frame for vertical speed `v` with `frames`
    // frames; -1 when none is chosen.
    static int syncFrame(float v, float jumpVelocityY, int frames);

    QVPAnimationObject* jumpAnimation() const { return m_jumpAnimation; }
    QVPAnimationObject* groundAnimation() const { return m_groundAnimation; }
    int jumpsDone() const { return m_jumpsDone; }

private:
    std::shared_ptr<QVModelComponentIsoJump> jumpModel() const;
    void onJumpPressed(cocos2d::CCObject* control);
    void onJumpReleased(cocos2d::CCObject* control);
    // Takes every jump entry off the owner's animation table.
    void takeJumpsOff();

    QVComponentEvent m_event;
    QVPAnimationObject* m_groundAnimation = nullptr;
    QVPAnimationObject* m_jumpAnimation = nullptr;
    bool m_jumping = false;
    bool m_held = false;
    bool m_holding = false;
    float m_timeSinceStart = 0.0f;
    float m_airTime = 0.0f;
    bool m_jumpRequested = false;
    int m_jumpsDone = 0;
    cocos2d::CCPoint m_jumpVelocity;
    std::unique_ptr<QVSound> m_jumpSound;
    std::unique_ptr<QVSound> m_doubleJumpSound;
};
