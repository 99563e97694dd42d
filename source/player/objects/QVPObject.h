// QVPObject: the base of every runtime object of a game field (and of the
// text label), a node that keeps the object model it was built from, a
// state code, a word of type flags, an optional physics body and an ordered
// list of behaviour components that it owns and drives.
//
// Guarantees:
//  - update applies a requested state once, then runs the components, then
//    the children, and removes the children that finished (state 5) in the
//    same pass. Children are walked over a retained snapshot: a child whose
//    update removes or moves siblings never makes the walk skip or touch a
//    freed node, and a child that left this node is not updated here.
//  - copyComponentStates copies over the common length of both lists.
//  - getBodyAABB is the zero box without a body or for a disabled body.
//  - liveCount() and constructedCount() count objects of every subclass
//    (main thread only; for tests).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "math/CCGeometry.h"
#include "physics/PhysicsGuard.h"
#include "scene/CCNode.h"

class QVModelObject;
class QVComponent;
class QVComponentHealth;

class QVPObject : public cocos2d::CCNode {
public:
    // Object states.
    static constexpr int32_t kStateIdle = 0;
    static constexpr int32_t kStateMoving = 1;
    static constexpr int32_t kStateShooting = 2;
    static constexpr int32_t kStateJumping = 3;
    static constexpr int32_t kStateDying = 4;
    static constexpr int32_t kStateFinished = 5;

    // Type flag bits.
    static constexpr uint32_t kTypeCharacter = 1;
    static constexpr uint32_t kTypeUnit = 2;
    static constexpr uint32_t kTypePowerup = 4;
    static constexpr uint32_t kTypeBackground = 8;
    static constexpr uint32_t kTypeSpawned = 16;
    static constexpr uint32_t kTypeEffect = 32;
    static constexpr uint32_t kTypeText = 64;
    static constexpr uint32_t kTypeTrigger = 128;
    static constexpr uint32_t kTypeTeleport = 256;
    static constexpr uint32_t kTypeHeldByPath = 512;
    static constexpr uint32_t kTypeGroup = 1024;
    static constexpr uint32_t kTypeMirror = 2048;

    explicit QVPObject(std::shared_ptr<QVModelObject> model);
    // Deletes the components; the body is the subclass's business.
    ~QVPObject() override;

    // Engine overrides.
    void update(float dt) override;

    // Operations every runtime object answers, in this order.
    // The transform was set from outside: tells the components.
    virtual void transformChanged();
    virtual void reset() {}
    // Stores the state, then tells the components.
    virtual void setState(int32_t state);
    // 100 x 100 around the position (plus the parent's position when the
    // parent is not the game layer).
    virtual cocos2d::CCRect getBoundingRect();
    virtual void activate() { m_active = true; }
    // The box of the first fixture's proxy, in metres.
    virtual b2AABB getBodyAABB();
    virtual void setSpawner(bool spawner) { m_spawner = spawner; }
    virtual void setGameLayer(cocos2d::CCNode* gameLayer) { m_gameLayer = gameLayer; }
    virtual void setTypeFlags(uint32_t flags) { m_typeFlags = flags; }
    virtual void setAnimationSpeed(float factor) { m_animationSpeed = factor; }
    // A positively tagged child decides when visible; else the widened view
    // of the game layer (always true without one).
    virtual bool isOnScreen();
    virtual bool castsShadow() { return false; }
    virtual void setControllable(bool controllable) { m_controllable = controllable; }

    std::shared_ptr<QVModelObject> getModel() const { return m_model; }
    int32_t getState() const { return m_state; }
    uint32_t typeFlags() const { return m_typeFlags; }
    bool isSpawner() const { return m_spawner; }
    bool isActive() const { return m_active; }
    bool isControllable() const { return m_controllable; }
    float animationSpeed() const { return m_animationSpeed; }
    cocos2d::CCNode* gameLayer() const { return m_gameLayer; }
    // Null until the object has a physics body.
    b2Body* getBody() const { return m_body; }
    // Forgets the body without touching it (its world is going away);
    // subclasses forget what they made in that world too.
    virtual void detachBody() { m_body = nullptr; }
    // Applied by the next update; -1 means none.
    void setPendingState(int32_t state) { m_requestedState = state; }
    int32_t pendingState() const { return m_requestedState; }

    const std::vector<QVComponent*>& components() const { return m_components; }
    // The first health component; null when none.
    QVComponentHealth* getHealthComponent() const;
    // The active flags of `other`'s components, by index.
    void copyComponentStates(const QVPObject* other);
    // The z order of the last runtime object below the game layer on the
    // way up; 0 when the chain does not reach it.
    int zOrderInCamera();

    // Objects alive now, and constructed since the start of the process.
    static int64_t liveCount();
    static int64_t constructedCount();

protected:
    // Takes ownership; sets the owner. Null is ignored.
    void appendComponent(QVComponent* component);

    std::shared_ptr<QVModelObject> m_model;
    int32_t m_state = kStateIdle;
    uint32_t m_typeFlags = 0;
    bool m_spawner = false;
    bool m_active = false;
    b2Body* m_body = nullptr;
    cocos2d::CCNode* m_gameLayer = nullptr;
    float m_animationSpeed = 1.0f;
    std::vector<QVComponent*> m_components;
    int32_t m_requestedState = -1;
    bool m_controllable = true;

private:
    // Reused across updates, so a frame allocates nothing per object.
    std::vector<cocos2d::CCNode*> m_childSnapshot;
    std::vector<cocos2d::CCNode*> m_finishedChildren;
};
