// QVPObjectAssetUnit: the runtime object of a placed unit: platforms,
// obstacles, decorations, enemies, bullets, spawners and the separate parts
// of a character. It reads its vocabulary (object, movement, collision,
// destroy, wake-up and sleep types) from its model, shows an idle and a
// defeat animation, wakes up by distance or by the character's touch,
// spawns copies of itself, handles one-way shapes and applies one-shot
// position and rotation modifiers.
//
// Guarantees:
//  - random draws go through compat::rand, one per statement, in a fixed
//    order (construction: angular, y, x; physics wake-up: y, x, angular);
//  - contact hooks only set flags and contact properties; spawn never
//    creates a body while the world steps;
//  - the destructor unbinds from the input controller without creating one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/CCGeometry.h"
#include "player/objects/QVPObjectAsset.h"

class QVModelObjectAssetUnit;
class QVPAnimationObject;
class QVSound;

class QVPObjectAssetUnit : public QVPObjectAsset {
public:
    // Wake-up modes.
    static constexpr int32_t kNoWakeup = 0;
    static constexpr int32_t kTimeBasedWakeup = 1;
    static constexpr int32_t kCollisionBasedWakeup = 2;
    // Input actions a spawner binds to.
    static constexpr int kJumpAction = 5;
    static constexpr int kShootAction = 8;

    // A model of another class gives a bare unit (no animations, no body).
    explicit QVPObjectAssetUnit(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetUnit() override;

    // The factory's builder: a new unit with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    // QVPObject overrides.
    void update(float dt) override;
    void setVisible(bool visible) override;
    void setState(int32_t state) override;
    cocos2d::CCRect getBoundingRect() override;
    void activate() override;
    void setSpawner(bool spawner) override;
    void setTypeFlags(uint32_t flags) override;
    void setAnimationSpeed(float factor) override;
    bool castsShadow() override;

    // QVPObjectAsset overrides.
    void createBody(b2World* world, bool skipStill) override;
    void beginContact(QVPObject* other, b2Contact* contact, bool flag) override;
    void endContact(QVPObject* other, b2Contact* contact) override;
    void preSolve(QVPObject* other, b2Contact* contact, const b2Manifold* oldManifold) override;
    void spawn() override;
    float wakeUpDistance() override;
    float sleepDistance() override;
    void updateBounds() override;
    bool isGround() override { return m_contactSolid; }

    // One-shot changes the next update applies and clears: "kAdd",
    // "kMultiply" or "kReplace" (anything else leaves the value).
    void setModifierX(float value, const std::string& operation);
    void setModifierY(float value, const std::string& operation);
    void setModifierRotation(float value, const std::string& operation);

    // The one-way test: `normal` points from this unit to `other`, in this
    // unit's body frame; a zero normal falls back to the other body's
    // velocity.
    bool acceptsOneWayContact(QVPObject* other, const b2Vec2& normal);

    int32_t wakeUpMode() const { return m_wakeUpMode; }
    int32_t sleepMode() const { return m_sleepMode; }
    bool isWakePending() const { return m_wakePending; }
    const cocos2d::CCRect& bounds() const { return m_bounds; }
    const std::vector<uint32_t>& passThrough() const { return m_passThrough; }
    QVPAnimationObject* idleAnimation() const { return m_idleAnimation; }
    QVPAnimationObject* defeatAnimation() const { return m_defeatAnimation; }
    QVSound* wakeUpSound() const { return m_wakeUpSound.get(); }

private:
    struct Modifier {
        float value = 0.0f;
        std::string operation = "kNone";
    };

    std::shared_ptr<QVModelObjectAssetUnit> unitModel() const;
    void buildAnimations(const std::shared_ptr<QVModelObjectAssetUnit>& unit);
    void applyWakeUp();
    void applyModifiers();
    void unbindActions();
    // Calls setOnGround on the characters jointed to this unit's body.
    void setJointedCharactersOnGround(bool onGround);

    QVPAnimationObject* m_idleAnimation = nullptr;
    QVPAnimationObject* m_defeatAnimation = nullptr;
    cocos2d::CCRect m_bounds;
    bool m_wakePending = false;
    bool m_contactSolid = true;
    std::vector<uint32_t> m_passThrough;
    Modifier m_modifierX;
    Modifier m_modifierY;
    Modifier m_modifierRotation;
    std::unique_ptr<QVSound> m_wakeUpSound;
    int32_t m_wakeUpMode = kNoWakeup;
};
