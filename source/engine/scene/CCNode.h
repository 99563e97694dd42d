// The scene-graph node: placement, children in drawing order, enter/exit,
// scheduling and actions.
//
// Walks (visit, enter, exit, cleanup) go over a snapshot of the children and
// skip a child that left during the walk, so callbacks may add or remove
// nodes freely and may even visit the same tree again from inside a visit.
// Every node in a snapshot stays alive until its walk ends; children must
// therefore leave through removeChild, not by editing getChildren() directly. A node's destructor neither exits nor
// cleans up: it clears its children's parent pointers, then releases them.
#pragma once

#include "base/CCArray.h"
#include "base/CCObject.h"
#include "math/CCAffineTransform.h"
#include "math/CCGeometry.h"

namespace cocos2d {

class CCAction;
class CCActionManager;
class CCScheduler;
class CCTouch;

enum {
    kCCNodeTagInvalid = -1,
};

class CCNode : public CCObject {
public:
    CCNode();
    ~CCNode() override;

    static CCNode* create();
    virtual bool init();

    // ---- children
    virtual void addChild(CCNode* child);
    virtual void addChild(CCNode* child, int zOrder);
    // A null child, a child that already has a parent, or the node itself is
    // refused with a log line. A running parent enters the child at once.
    virtual void addChild(CCNode* child, int zOrder, int tag);
    // Exits a running child, cleans it up when asked, clears its parent
    // (through setParent) and releases it.
    virtual void removeChild(CCNode* child);
    virtual void removeChild(CCNode* child, bool cleanup);
    virtual void removeChildByTag(int tag, bool cleanup = true);
    virtual void removeFromParent();
    virtual void removeFromParentAndCleanup(bool cleanup);
    virtual void removeAllChildren();
    virtual void removeAllChildrenWithCleanup(bool cleanup);

    // Never null: a node without children gives an empty array.
    CCArray* getChildren();
    unsigned int getChildrenCount() const;
    // The first match in array order.
    CCNode* getChildByTag(int tag);
    CCNode* getParent() { return m_pParent; }
    virtual void setParent(CCNode* parent);

    // Children are drawn by the stored z, then by arrival. The virtual getter
    // may be overridden for other purposes and is never used for sorting.
    virtual int getZOrder();
    // Through the parent when there is one (a new arrival number).
    virtual void setZOrder(int zOrder);
    virtual void reorderChild(CCNode* child, int zOrder);
    // The lazy sort, run before each visit.
    virtual void sortAllChildren();
    // (ours) The z the children are sorted by.
    int getStoredZOrder() const { return m_nZOrder; }
    unsigned int getOrderOfArrival() const { return m_uOrderOfArrival; }

    virtual int getTag() const { return m_nTag; }
    virtual void setTag(int tag) { m_nTag = tag; }

    // ---- placement
    virtual void setPosition(const CCPoint& position);
    void setPosition(float x, float y) { setPosition(CCPoint(x, y)); }
    virtual const CCPoint& getPosition() { return m_obPosition; }
    void getPosition(float* x, float* y);
    void setPositionX(float x) { setPosition(CCPoint(x, m_obPosition.y)); }
    void setPositionY(float y) { setPosition(CCPoint(m_obPosition.x, y)); }
    float getPositionX() { return m_obPosition.x; }
    float getPositionY() { return m_obPosition.y; }
    // Clockwise, in degrees.
    virtual void setRotation(float degrees);
    virtual float getRotation() { return m_fRotation; }
    virtual void setScale(float scale);
    // The x scale (the engine's convention when the two differ).
    virtual float getScale() { return m_fScaleX; }
    virtual void setScale(float scaleX, float scaleY);
    virtual void setScaleX(float scaleX);
    virtual float getScaleX() { return m_fScaleX; }
    virtual void setScaleY(float scaleY);
    virtual float getScaleY() { return m_fScaleY; }
    // Normalised: (0, 0) bottom left, (1, 1) top right of the content.
    virtual void setAnchorPoint(const CCPoint& anchor);
    virtual const CCPoint& getAnchorPoint() { return m_obAnchorPoint; }
    virtual const CCPoint& getAnchorPointInPoints() { return m_obAnchorPointInPoints; }
    virtual void setContentSize(const CCSize& size);
    virtual const CCSize& getContentSize() const { return m_obContentSize; }
    virtual void setVisible(bool visible);
    virtual bool isVisible() { return m_bVisible; }
    virtual bool isRunning() { return m_bRunning; }
    // Layers and scenes place their anchor, not their origin, at the position
    // plus the anchor offset (that is, the anchor does not move them).
    virtual void ignoreAnchorPointForPosition(bool ignore);
    virtual bool isIgnoreAnchorPointForPosition() { return m_bIgnoreAnchorPointForPosition; }
    // The content rectangle in the parent's space.
    CCRect boundingBox();

    // ---- transforms
    // position + R(-rotation) * S(scaleX, scaleY) * (p - anchorInPoints),
    // followed by the additional transform.
    // Not virtual, and inline when nothing changed: visit asks every node
    // every frame.
    CCAffineTransform nodeToParentTransform() {
        if (!m_bTransformDirty && !m_bHasAdditionalTransform) return m_sTransform;
        return updateNodeToParentTransform();
    }
    virtual CCAffineTransform parentToNodeTransform();
    virtual CCAffineTransform nodeToWorldTransform();
    virtual CCAffineTransform worldToNodeTransform();
    CCPoint convertToNodeSpace(const CCPoint& worldPoint);
    CCPoint convertToWorldSpace(const CCPoint& nodePoint);
    // The same, relative to the anchor point.
    CCPoint convertToNodeSpaceAR(const CCPoint& worldPoint);
    CCPoint convertToWorldSpaceAR(const CCPoint& nodePoint);
    // The touch's GL location in this node's space (null gives the origin).
    CCPoint convertTouchToNodeSpace(CCTouch* touch);
    CCPoint convertTouchToNodeSpaceAR(CCTouch* touch);
    // Applied after the node's own transform.
    void setAdditionalTransform(const CCAffineTransform& additional);
    // (ours) Back to no additional transform.
    void clearAdditionalTransform();
    // Multiplies the current model-view matrix by node-to-parent. Not
    // virtual: visit pushes and multiplies in one step, without calling it.
    void transform();

    // ---- user data
    virtual void* getUserData() { return m_pUserData; }
    virtual void setUserData(void* data) { m_pUserData = data; }
    virtual CCObject* getUserObject() { return m_pUserObject; }
    // Retained; the previous object is released.
    virtual void setUserObject(CCObject* object);

    // ---- scheduling. While the node is not running new entries are paused;
    // onEnter resumes them.
    void scheduleUpdate();
    void scheduleUpdateWithPriority(int priority);
    void unscheduleUpdate();
    void schedule(SEL_SCHEDULE selector);
    void schedule(SEL_SCHEDULE selector, float interval);
    void schedule(SEL_SCHEDULE selector, float interval, unsigned int repeat, float delay);
    void scheduleOnce(SEL_SCHEDULE selector, float delay);
    void unschedule(SEL_SCHEDULE selector);
    void unscheduleAllSelectors();
    void resumeSchedulerAndActions();
    void pauseSchedulerAndActions();
    CCScheduler* getScheduler();

    // ---- actions. Actions run on a node that is not running start paused.
    CCAction* runAction(CCAction* action);
    void stopAllActions();
    void stopAction(CCAction* action);
    void stopActionByTag(int tag);
    CCAction* getActionByTag(int tag);
    unsigned int numberOfRunningActions();
    CCActionManager* getActionManager();

    // ---- life cycle
    // Marks the node running, enters the children, then resumes its
    // schedules and actions.
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish() {}
    // Pauses schedules and actions, marks the node not running, then exits
    // the children.
    virtual void onExit();
    virtual void onExitTransitionDidStart() {}
    // Stops actions and unschedules selectors, recursively.
    virtual void cleanup();
    // Skips invisible nodes. Pushes the model-view matrix, multiplies in
    // node-to-parent, visits children with z < 0, draws, visits the rest, pops.
    virtual void visit();
    virtual void draw() {}

protected:
    void setTransformDirty() { m_bTransformDirty = true; }

    CCPoint m_obPosition;
    float m_fRotation = 0.0f;
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
    CCPoint m_obAnchorPoint;
    CCPoint m_obAnchorPointInPoints;
    CCSize m_obContentSize;
    bool m_bVisible = true;
    bool m_bRunning = false;
    bool m_bIgnoreAnchorPointForPosition = false;

    // Made with the first child (or the first getChildren), so a leaf's visit
    // reads nothing outside the node itself. Null means no children.
    CCArray* m_pChildren;
    CCNode* m_pParent = nullptr;
    int m_nZOrder = 0;
    unsigned int m_uOrderOfArrival = 0;
    int m_nTag = kCCNodeTagInvalid;
    bool m_bReorderChildDirty = false;

    void* m_pUserData = nullptr;
    CCObject* m_pUserObject = nullptr;

    CCAffineTransform m_sTransform;
    CCAffineTransform m_sAdditionalTransform;
    bool m_bHasAdditionalTransform = false;
    bool m_bTransformDirty = true;

private:
    CCAffineTransform updateNodeToParentTransform();
    void setStoredZOrder(int zOrder);
    void insertChild(CCNode* child, int zOrder);
    void releaseParkedChildren();
    // The rest of visit for a node with children; ends with the pop.
    __attribute__((noinline)) void visitChildren();

    unsigned int m_uVisitWalks = 0;  // visits walking the children right now
    bool m_bDestroyed = false;
};

}  // namespace cocos2d
