// QVComponentHealth: hit points for its owner. Contact damage lowers them at
// most once per damage window; at 0 the owner is killed after the model's
// death delay.
//
// Guarantees: health starts at 1 or more and never goes below 0; a hit
// exactly at the end of a window counts; the window runs on the monotonic
// clock, so a wall-clock step never blocks damage; once dying, further damage
// is refused.
#pragma once

#include <cstdint>
#include <memory>

#include "player/objects/QVComponent.h"

class QVModelComponentHealth;
class QVPAnimationObject;

class QVComponentHealth : public QVComponent {
public:
    static QVComponent* build() { return new QVComponentHealth(); }
    ~QVComponentHealth() override;

    void setModel(std::shared_ptr<QVModelComponent> model) override;
    void setOwner(QVPObject* owner) override;
    void update(float dt) override;
    void onStateChanged() override;

    // True when the damage was taken; `delay` (seconds) opens the window.
    bool takeDamage(int32_t amount, float delay);

    int32_t health() const { return m_health; }
    int32_t lives() const { return m_lives; }
    bool isDying() const { return m_dying; }
    QVPAnimationObject* damageAnimation() const { return m_damageAnimation; }

private:
    std::shared_ptr<QVModelComponentHealth> healthModel() const;
    void onDamageAnimationEnded();
    void hideDamageAnimation();

    QVPAnimationObject* m_damageAnimation = nullptr;

    int32_t m_health = 0;
    int32_t m_lives = 0;
    bool m_dying = false;
    bool m_damaged = false;
    float m_deathDelayLeft = 0.0f;
    int64_t m_damageBlockedUntil = 0;
};
