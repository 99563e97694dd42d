// QVPAnimationObject: plays one animation model. It builds a node per child
// object model (images, labels, and units, particles, lights, trails, flags
// and powerups from the factory), advances its own clock by the model's
// "Speed", wraps past "Duration" and forwards the step to its children. Its
// owner calls update; it is not scheduled by itself.
//
// Guarantees: children are made, placed and walked in the model's child
// order, so sibling, draw and body order are the same in every run; a
// factory or text object that gives null leaves the child out.
// Refuses: a child of any other class (a character, a trigger ...) gets no
// node and the log line "Warning uknown object type".
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "math/CCGeometry.h"
#include "scene/CCNode.h"

class QVBaseModelAnimation;
class QVModelObject;

class QVPAnimationObject : public cocos2d::CCNode {
public:
    // Autoreleased. `spawner`: children made by the factory learn whether
    // their model has a spawner.
    static QVPAnimationObject* create(std::shared_ptr<QVBaseModelAnimation> model, bool spawner = true);
    ~QVPAnimationObject() override;

    void update(float dt) override;
    int getZOrder() override;
    void setVisible(bool visible) override;
    void setParent(cocos2d::CCNode* parent) override;

    int frameCount() const;
    // "Duration" in frames at 30 per second.
    int totalFrames() const;
    cocos2d::CCNode* frameNode(unsigned index) const;
    const cocos2d::CCRect& boundingRect() const { return m_boundingRect; }
    void updateBoundingRect();

    void restart();
    void stop();
    void pause();
    void resume();
    void setFrame(int index);
    void setGameLayer(cocos2d::CCNode* gameLayer);
    // The owner's opacity: the images' opacity factor, the objects'
    // animation speed.
    void setSpeed(float speed);
    float speed() const { return m_speed; }
    void setEndCallback(std::function<void()> callback) { m_endCallback = std::move(callback); }
    template <class T>
    void setEndCallback(T* target, void (T::*member)()) {
        setEndCallback(target ? std::function<void()>([target, member] { (target->*member)(); }) : nullptr);
    }
    int zOrderInCamera();

    float elapsedTime() const { return m_elapsed; }
    const std::shared_ptr<QVBaseModelAnimation>& getModel() const { return m_model; }

private:
    explicit QVPAnimationObject(std::shared_ptr<QVBaseModelAnimation> model);
    void build(bool spawner);
    cocos2d::CCNode* makeNode(const std::shared_ptr<QVModelObject>& child, bool spawner);
    // Both walk the model's child order, never the map's address order.
    template <class F>
    void forEachChildNode(F&& f) const;
    template <class T, class F>
    void forEachNodeOf(F&& f) const;

    float m_elapsed = 0.0f;
    cocos2d::CCRect m_boundingRect;
    std::function<void()> m_endCallback;
    std::shared_ptr<QVBaseModelAnimation> m_model;
    std::map<std::shared_ptr<QVModelObject>, cocos2d::CCNode*> m_nodes;
    float m_speed = 1.0f;
};
