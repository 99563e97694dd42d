// QVPObject: the base of every runtime object of a game field (and of the
// text label), a node that keeps the object model it was built from, a
// state code and a word of type flags.
#pragma once

#include <cstdint>
#include <memory>

#include "scene/CCNode.h"

class QVModelObject;
class b2Body;

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
    ~QVPObject() override;

    virtual void reset() {}
    // Stores the state.
    virtual void setState(int32_t state);
    virtual void activate() { m_active = true; }
    virtual void setSpawner(bool spawner) { m_spawner = spawner; }
    virtual void setGameLayer(cocos2d::CCNode* gameLayer) { m_gameLayer = gameLayer; }
    virtual void setTypeFlags(uint32_t flags) { m_typeFlags = flags; }
    virtual void setAnimationSpeed(float factor) { m_animationSpeed = factor; }
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
    // Applied by the next update; -1 means none.
    void setPendingState(int32_t state) { m_requestedState = state; }
    int32_t pendingState() const { return m_requestedState; }

protected:
    std::shared_ptr<QVModelObject> m_model;
    int32_t m_state = kStateIdle;
    uint32_t m_typeFlags = 0;
    bool m_spawner = false;
    bool m_active = false;
    b2Body* m_body = nullptr;
    cocos2d::CCNode* m_gameLayer = nullptr;
    float m_animationSpeed = 1.0f;
    int32_t m_requestedState = -1;
    bool m_controllable = true;
};
