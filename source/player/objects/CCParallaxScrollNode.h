// CCParallaxScrollNode and CCParallaxScrollOffset (ours, not the engine's):
// a layer that moves each child by a velocity scaled per child and wraps a
// child around by a fixed distance once it leaves the range, and the record
// of one child's scroll parameters.
#pragma once

#include "math/CCGeometry.h"
#include "scene/CCLayer.h"

namespace cocos2d {
class CCArray;
class CCSpriteBatchNode;
}  // namespace cocos2d

class CCParallaxScrollOffset : public cocos2d::CCLayer {
public:
    static CCParallaxScrollOffset* create();
    // A new autoreleased record; the node is placed at `position` with its
    // anchor at (0, 0).
    static CCParallaxScrollOffset* scrollWithNode(cocos2d::CCNode* node, const cocos2d::CCPoint& ratio,
                                                  const cocos2d::CCPoint& position,
                                                  const cocos2d::CCPoint& scrollOffset,
                                                  const cocos2d::CCPoint& relativeVelocity);
    bool init() override;
    bool initWithNode(cocos2d::CCNode* node, const cocos2d::CCPoint& ratio, const cocos2d::CCPoint& position,
                      const cocos2d::CCPoint& scrollOffset, const cocos2d::CCPoint& relativeVelocity);

    virtual const cocos2d::CCPoint& getScrollOffset() const { return m_scrollOffset; }
    virtual void setScrollOffset(const cocos2d::CCPoint& offset) { m_scrollOffset = offset; }
    virtual const cocos2d::CCPoint& getStartPosition() const { return m_startPosition; }
    virtual void setStartPosition(const cocos2d::CCPoint& position) { m_startPosition = position; }
    virtual const cocos2d::CCPoint& getRelativeVelocity() const { return m_relativeVelocity; }
    virtual void setRelativeVelocity(const cocos2d::CCPoint& velocity) { m_relativeVelocity = velocity; }
    virtual const cocos2d::CCPoint& getRatio() const { return m_ratio; }
    virtual void setRatio(const cocos2d::CCPoint& ratio) { m_ratio = ratio; }
    virtual const cocos2d::CCPoint& getBuffer() const { return m_buffer; }
    virtual void setBuffer(const cocos2d::CCPoint& buffer) { m_buffer = buffer; }
    // Not retained: the scroll node holds the child.
    virtual cocos2d::CCNode* getChild() const { return m_child; }
    virtual void setChild(cocos2d::CCNode* child) { m_child = child; }

private:
    cocos2d::CCPoint m_scrollOffset;
    cocos2d::CCPoint m_startPosition;
    cocos2d::CCPoint m_relativeVelocity;
    cocos2d::CCPoint m_ratio;
    cocos2d::CCPoint m_buffer;
    cocos2d::CCNode* m_child = nullptr;
};

class CCParallaxScrollNode : public cocos2d::CCLayer {
public:
    static CCParallaxScrollNode* create();
    ~CCParallaxScrollNode() override;
    // The range is the window size until set.
    bool init() override;

    void addScrolledChild(cocos2d::CCNode* node, int z, const cocos2d::CCPoint& ratio, const cocos2d::CCPoint& position,
                          const cocos2d::CCPoint& scrollOffset, const cocos2d::CCPoint& relativeVelocity);
    // Lays the nodes out one after another along `direction`, each wrapping
    // by the total length of the row.
    void addTiledChildren(cocos2d::CCArray* nodes, int z, const cocos2d::CCPoint& ratio,
                          const cocos2d::CCPoint& position, const cocos2d::CCPoint& direction,
                          const cocos2d::CCPoint& relativeVelocity, const cocos2d::CCPoint& gap);
    void scrollWithVelocity(const cocos2d::CCPoint& velocity, float dt);

    const cocos2d::CCSize& range() const { return m_range; }
    void setRange(const cocos2d::CCSize& range) { m_range = range; }
    // Given to every child added later.
    float childRotation() const { return m_childRotation; }
    void setChildRotation(float rotation) { m_childRotation = rotation; }
    cocos2d::CCArray* scrollOffsets() const { return m_scrollOffsets; }

private:
    cocos2d::CCSpriteBatchNode* m_batch = nullptr;  // never used
    cocos2d::CCSize m_range;
    cocos2d::CCArray* m_scrollOffsets = nullptr;  // retained
    float m_childRotation = 0.0f;
};
