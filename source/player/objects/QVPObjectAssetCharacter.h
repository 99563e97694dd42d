// QVPObjectAssetCharacter: the player's character. The input controller
// drives it through control bits and a direction; every update turns them
// into body velocities with the live gameplay values, or, with direct
// movement, pulls the body to a target point through a mouse joint. It
// shows one of five animation objects by state, fires through a gun while
// shooting is held, is protected while it holds protecting powerups, and
// plays its defeat before it finishes.
//
// Guarantees:
//  - the body's fixture keeps the character filter (category 2, mask 1,
//    group -1) through every turn and swap; the drag joint's spring follows
//    the body's mass after each swap;
//  - the drag anchor is destroyed with the character, and forgotten with the
//    body when the world goes first;
//  - the gun touches nothing (mask 0); its models are built once per
//    (character asset model, z depth) and dropped when the model controller
//    is cleared;
//  - every operation is safe without a body.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "player/objects/QVPObjectAsset.h"

class QVModelAnimation;
class QVModelAssetCharacter;
class QVModelPolygon;
class QVModelSound;
class QVPObjectAssetPowerup;

class QVPObjectAssetCharacter : public QVPObjectAsset {
public:
    // Control bits.
    static constexpr uint32_t kBitJumping = 1;
    static constexpr uint32_t kBitMoving = 2;
    static constexpr uint32_t kBitRotateLeft = 4;
    static constexpr uint32_t kBitRotateRight = 8;
    static constexpr uint32_t kBitOnGround = 16;
    static constexpr uint32_t kBitShooting = 32;
    static constexpr uint32_t kBitBounce = 64;

    explicit QVPObjectAssetCharacter(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetCharacter() override;

    // Engine, QVPObject and QVPObjectAsset overrides.
    void update(float dt) override;
    void setState(int32_t state) override;
    void setVisible(bool visible) override;
    bool castsShadow() override;
    void setControllable(bool controllable) override;
    b2AABB getBodyAABB() override;
    void detachBody() override;
    void createBody(b2World* world, bool skipStill) override;
    void beginContact(QVPObject* other, b2Contact* contact, bool flag) override;
    void preSolve(QVPObject* other, b2Contact* contact, const b2Manifold* oldManifold) override;
    void setDirection(float x, float y) override;

    // Control operations (the input controller's actions 1 to 8).
    virtual void setDirectionX(float x);
    virtual void setDirectionY(float y);
    virtual void jump();
    virtual void releaseJump();
    virtual void startRotateLeft();
    virtual void stopRotateLeft();
    virtual void startRotateRight();
    virtual void stopRotateRight();
    // Bit 32 and state 2, or clears it and state 0.
    virtual void setShooting(bool shooting);
    // The joystick's vector.
    virtual void move(float dx, float dy);

    // With direct movement: move; otherwise the body's velocity.
    void setBodyVelocity(float x, float y);
    // Moves the body (points) and every body jointed to it by the same offset.
    void setBodyPosition(float x, float y);
    void setTargetPosition(const cocos2d::CCPoint& position) { m_targetPosition = position; }
    const cocos2d::CCPoint& targetPosition() const { return m_targetPosition; }
    void setOnGround(bool onGround);
    bool isDirectMovement() const;
    // Two crossing rays through the bottom of the body's box.
    void checkGround();
    // The current table entry's shape; empty without one.
    std::shared_ptr<QVModelPolygon> currentAnimationShape() const;
    // Scales both lean forces (the accelerometer).
    void setLeanFactor(float factor) { m_leanFactor = factor; }
    float leanFactor() const { return m_leanFactor; }

    // Protecting powerups, in the order they were added.
    void addPowerup(QVPObjectAssetPowerup* powerup);
    void removePowerup(QVPObjectAssetPowerup* powerup);
    // Ends the protection; the input controller calls it before it kills
    // every character.
    virtual void clearPowerups();
    // A protected character deals 99 by contact and takes nothing.
    virtual bool isInvincible() const;
    // 100 while protected, else 0.
    virtual float protectionLevel() const;
    // Logs and finishes the character.
    void deathAnimationDidEnd();

    uint32_t controlBits() const { return m_controlBits; }
    bool isOnGround() const { return (m_controlBits & kBitOnGround) != 0; }
    const cocos2d::CCPoint& direction() const { return m_direction; }
    int32_t jumpCount() const { return m_jumpCount; }
    float tiltAngle() const { return m_tiltAngle; }
    b2MouseJoint* dragJoint() const { return m_dragJoint; }
    b2Body* dragGround() const { return m_dragGround; }
    // The gun's unit (a child of the character); null without one.
    QVPObjectAsset* gun() const { return m_gun; }
    QVPAnimationObject* defaultAnimation() const { return m_defaultAnimation; }
    QVPAnimationObject* shootingAnimation() const { return m_shootingAnimation; }
    QVPAnimationObject* jumpAnimation() const { return m_jumpAnimation; }
    QVPAnimationObject* moveAnimation() const { return m_moveAnimation; }
    QVPAnimationObject* defeatAnimation() const { return m_defeatAnimation; }
    bool isFallRequested() const { return m_fallRequested; }

    // Builder of the Character row: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);
    // Forgets every cached gun model (the model controller was cleared).
    static void clearGunModels();
    // Gun models built since the start of the process (tests).
    static int64_t gunModelsBuilt();

protected:
    // Only the asset object and the character type flag: no settings, no
    // animations, no character defaults (test characters with their own
    // rules).
    struct BareTag {};
    QVPObjectAssetCharacter(std::shared_ptr<QVModelObject> model, BareTag);

    // The spring of the drag joint follows the new mass.
    void fixtureReplaced() override;

private:
    // Owner tag of the game scene's sounds.
    static constexpr unsigned int kSceneSounds = 1;

    std::shared_ptr<QVModelAssetCharacter> characterAsset() const;
    void createAnimations();
    QVPAnimationObject* makeAnimation(const std::shared_ptr<QVModelAnimation>& model, bool visible);
    void releaseAnimations();
    void buildGun(b2World* world);
    void destroyDrag();
    void fallThrough();
    void runDefeat();
    void applyRotation();
    void applyDirectMovement(float dt);
    void applyVelocityMovement();
    void playOnce(const std::shared_ptr<QVModelSound>& sound);

    uint32_t m_controlBits = 0;
    cocos2d::CCPoint m_direction;
    cocos2d::CCPoint m_frameVelocity;
    float m_jumpTimer = 0.0f;
    int32_t m_jumpCount = 0;
    cocos2d::CCPoint m_lastBounceForce;
    float m_tiltAngle = 0.0f;
    float m_leanFactor = 1.0f;
    bool m_fallRequested = false;
    cocos2d::CCPoint m_targetPosition;
    b2MouseJoint* m_dragJoint = nullptr;
    b2Body* m_dragGround = nullptr;

    QVPAnimationObject* m_defaultAnimation = nullptr;
    QVPAnimationObject* m_shootingAnimation = nullptr;
    QVPAnimationObject* m_jumpAnimation = nullptr;
    QVPAnimationObject* m_moveAnimation = nullptr;
    QVPAnimationObject* m_defeatAnimation = nullptr;
    std::unique_ptr<QVSound> m_shootSound;
    QVPObjectAsset* m_gun = nullptr;

    // Insertion order; a handful at most.
    std::vector<QVPObjectAssetPowerup*> m_powerups;
};
