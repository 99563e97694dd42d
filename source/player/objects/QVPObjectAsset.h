// QVPObjectAsset: the runtime object of a placed asset, the base of every
// game-field object that may have a physics body: the body built from the
// asset's collision shape, a priority table of animations whose current
// entry is shown and gives the body's fixture, its own linear movement,
// activation and stop distances, contact and finish callbacks, contact
// damage and a looping idle sound that fades with the distance from the
// screen centre.
//
// Guarantees:
//  - the body and its fixtures carry this object as QVPObject* user data;
//    every body and fixture change goes through the physics layer, and
//    createBody changes nothing while the world is locked;
//  - every fixture swap goes through replaceFixture: asked while the world
//    is locked (from a contact hook) it is done at the next update; a swap
//    whose new shape gives no fixture keeps the current fixture, so the body
//    never loses its only one; the new fixture keeps the replaced one's
//    filter and sensor flag; only the fixture this object tracks as its own
//    is ever destroyed;
//  - finish callbacks fire once, on the first state 5 or at destruction;
//  - the destructor destroys the body; should the world refuse (locked), it
//    clears the user data of the body and its fixtures and logs, so no later
//    contact reaches the freed object.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "math/CCGeometry.h"
#include "player/objects/QVPObject.h"

class QVModelPolygon;
class QVSound;
class QVPObjectAssetCharacter;
class QVPAnimationObject;

class QVPObjectAsset : public QVPObject {
public:
    // Collision types.
    static constexpr int32_t kNoCollision = 0;
    static constexpr int32_t kCharacterCollision = 1;
    // Destroy types.
    static constexpr int32_t kDestroyNo = 0;
    static constexpr int32_t kDestroyCollision = 1;
    static constexpr int32_t kDestroyEnemyCollision = 2;
    static constexpr int32_t kDestroyAllCollision = 3;
    // Object types.
    static constexpr int32_t kObjectOther = 0;
    static constexpr int32_t kObjectPlatform = 1;
    static constexpr int32_t kObjectEnemy = 2;
    static constexpr int32_t kObjectDecoration = 3;
    // Event callback kinds.
    static constexpr int32_t kEventFinished = 0;
    static constexpr int32_t kEventContact = 1;
    // Animation priorities: the smallest shown entry wins.
    static constexpr int32_t kPriorityDamage = 0;
    static constexpr int32_t kPriorityPowerup = 1;
    static constexpr int32_t kPriorityIsoJump = 2;
    static constexpr int32_t kPriorityRotationMapper = 3;  // never restarted
    static constexpr int32_t kPriorityMove = 4;

    // A finish callback gets this object; a contact callback the other one.
    using EventCallback = std::function<void(QVPObject*)>;

    // Places the node from the model's "Position", "Rotation" and "Scale"
    // (time 0, state 0), makes the idle sound and the components of the
    // placed asset. A null model gives a bare object.
    explicit QVPObjectAsset(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAsset() override;

    // The runtime object of an object model, autoreleased, or null
    // (QVPObjectFactory.cpp).
    static QVPObjectAsset* create(const std::shared_ptr<QVModelObject>& model);

    // Engine and QVPObject overrides.
    void update(float dt) override;
    void setVisible(bool visible) override;
    // Stops the idle sound off state 0, passes 4 down to child objects,
    // fires and drops the finish callbacks on 5.
    void setState(int32_t state) override;

    // Operations every asset object answers, in this order.
    virtual void createBody(b2World* world, bool skipStill);
    // Calls the contact callbacks with `other`.
    virtual void beginContact(QVPObject* other, b2Contact* contact, bool flag);
    virtual void endContact(QVPObject* other, b2Contact* contact);
    virtual void preSolve(QVPObject* other, b2Contact* contact, const b2Manifold* oldManifold);
    // velocity = (x, y) times the current length of velocity.
    virtual void setDirection(float x, float y);
    virtual void spawn() {}
    virtual float wakeUpDistance() { return 1000.0f; }
    virtual float sleepDistance() { return 0.0f; }
    virtual void updateBounds() {}
    virtual bool isGround() { return true; }
    // `animation` is a sprite animation object (or null with a shape).
    virtual void addAnimation(int32_t priority, QVPAnimationObject* animation, std::shared_ptr<QVModelPolygon> shape);
    virtual void removeAnimation(int32_t priority, QVPAnimationObject* animation,
                                 std::shared_ptr<QVModelPolygon> shape);
    virtual void attachAnimation(QVPAnimationObject* animation);
    virtual void detachAnimation(QVPAnimationObject* animation);
    const std::set<QVPAnimationObject*>& attachedAnimations() const { return m_attachedAnimations; }

    int32_t collisionType() const { return m_collisionType; }
    int32_t destroyType() const { return m_destroyType; }
    int32_t objectType() const { return m_objectType; }
    int32_t sectionId() const { return m_sectionId; }
    void setSectionId(int32_t id) { m_sectionId = id; }
    bool isMovingLinearly() const { return m_movesLinearly; }
    bool isMovementDisabled() const { return m_movementDisabled; }
    void setMovementDisabled(bool disabled) { m_movementDisabled = disabled; }
    const cocos2d::CCPoint& getVelocity() const { return m_velocity; }
    void setVelocity(const cocos2d::CCPoint& velocity) { m_velocity = velocity; }
    float getAngularSpeed() const { return m_angularSpeed; }
    void setAngularSpeed(float speed) { m_angularSpeed = speed; }
    bool isStopped() const { return m_stopped; }
    float travelledDistance() const { return m_travelledDistance; }
    bool isKillRequested() const { return m_killRequested; }

    // The input action bound to the object is held; a press may restart
    // the spawn timer.
    virtual void setActionPressed(bool pressed);
    bool isActionPressed() const { return m_actionPressed; }
    // The next update sets state 4.
    void kill() { m_killRequested = true; }

    void addEventCallback(int32_t kind, QVPObject* target, EventCallback callback);
    // Removes the first entry of `target`.
    void removeEventCallback(QVPObject* target);

    cocos2d::CCPoint positionInGameLayer();
    // Signed distance from the characters along the gameplay direction.
    float distanceAlongGameDirection();
    // Signed distance from the window centre along the gameplay direction;
    // 0 without a game layer.
    float distanceFromScreenCentre();
    void updateSoundVolume(float dt);
    QVSound* idleSound() const { return m_idleSound.get(); }

    // A contact of `a` with `b`: `b` takes a's damage when a's destroy type
    // says so: b's health component takes it with the damage delay, or else
    // `b` is killed.
    static void applyContactDamage(QVPObjectAsset* a, QVPObjectAsset* b);

    // The shown entry's priority, animation and shape (-1, null, empty
    // without one).
    int32_t currentPriority() const;
    QVPAnimationObject* currentAnimation() const;
    std::shared_ptr<QVModelPolygon> currentShape() const;
    // A swap waits for the next update (the world was locked).
    bool isFixtureSwapPending() const { return m_fixtureStale; }

    // Density, friction and restitution of a swapped-in fixture.
    struct FixtureMaterial {
        float density = 0.0f;
        float friction = 0.2f;
        float restitution = 0.0f;
    };
    // The fixture builder's defaults.
    static FixtureMaterial builderMaterial() { return FixtureMaterial{}; }
    // Density 0.1 and the field settings' friction and restitution.
    static FixtureMaterial ownShapeMaterial();

    // The one fixture swap: builds `shape` at the node's scale, carries the
    // replaced fixture's filter and sensor flag over (or, with none to
    // replace, the owner's rules), then destroys the tracked fixture and
    // makes the new one current. Without a shape the fixture is kept (and
    // logged). While the world is locked the swap waits for the next
    // update. Returns whether a new fixture was made now.
    bool replaceFixture(const std::shared_ptr<QVModelPolygon>& shape, const FixtureMaterial& material);
    // Characters never collide with one another and are never sensors.
    static void applyCharacterFilter(b2FixtureDef& def);
    // The fixture this object made current, when it is still on the body.
    b2Fixture* currentFixture() const;

protected:
    struct AnimationEntry {
        QVPAnimationObject* animation = nullptr;
        std::shared_ptr<QVModelPolygon> shape;
    };
    using AnimationTable = std::multimap<int32_t, AnimationEntry>;

    // Builds the fixture of the current entry (or of the object's own shape
    // when the table is empty), now or at the next update when locked.
    void refreshFixture();
    // The trigger objects' body: the asset body made dynamic, without
    // gravity, its first fixture a sensor.
    void createSensorBody(b2World* world, bool skipStill);
    // Records the fixture a subclass's createBody made as the current one.
    void trackFixture(b2Fixture* fixture) { m_fixture = fixture; }
    // Called after every swap that made a new fixture (the mass changed).
    virtual void fixtureReplaced() {}

    int32_t m_collisionType = kNoCollision;
    int32_t m_destroyType = kDestroyNo;
    int32_t m_sleepMode = 0;
    float m_angularSpeed = 0.0f;
    cocos2d::CCPoint m_velocity;
    bool m_movesLinearly = false;
    bool m_stopped = false;
    float m_travelledDistance = 0.0f;
    bool m_movementDisabled = false;
    bool m_actionPressed = false;
    float m_spawnTimer = 0.0f;
    bool m_restartOnPress = true;
    int32_t m_sectionId = 0;
    int32_t m_objectType = kObjectOther;
    bool m_killRequested = false;
    AnimationTable m_animations;
    AnimationTable::iterator m_currentAnimation;
    std::set<QVPAnimationObject*> m_attachedAnimations;
    std::unique_ptr<QVSound> m_idleSound;
    struct EventEntry {
        int32_t kind = 0;
        QVPObject* target = nullptr;
        EventCallback callback;
    };
    std::vector<EventEntry> m_eventCallbacks;

private:
    void destroyOwnBody();
    bool m_fixtureStale = false;
    b2Fixture* m_fixture = nullptr;
    // An explicit swap that waits for the world to unlock; without one a
    // stale fixture is rebuilt from the animation table.
    bool m_hasPendingSwap = false;
    std::shared_ptr<QVModelPolygon> m_pendingShape;
    FixtureMaterial m_pendingMaterial;
};
