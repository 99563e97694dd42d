#include "scene/CCNode.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "actions/CCAction.h"
#include "actions/CCActionManager.h"
#include "actions/CCScheduler.h"
#include "math/kazmath.h"
#include "platform/CCCommon.h"

namespace cocos2d {

namespace {

unsigned int g_orderOfArrival = 0;

// Every walk's snapshot lives on this one stack: a walk pushes its entries on
// top and pops them when done, so nested walks (a callback visiting the same
// tree again) never share entries, and once the stack has grown no walk
// allocates. Never destroyed, like the engine's singletons.
std::vector<CCNode*>& walkStack() {
    static std::vector<CCNode*>* stack = new std::vector<CCNode*>();
    return *stack;
}

// A retained copy of a node's children.
// Walks iterate this, never the live array, so callbacks may add or remove
// children (or walk the same node again) without disturbing the walk.
// Entries are read by index: a nested walk may reallocate the stack.
class ChildSnapshot {
public:
    explicit ChildSnapshot(CCArray* children) : m_stack(walkStack()), m_base(m_stack.size()) {
        if (children) {
            for (CCObject* object : children->data()) {
                auto* node = static_cast<CCNode*>(object);
                node->retain();
                m_stack.push_back(node);
            }
        }
        m_size = m_stack.size() - m_base;
    }
    ~ChildSnapshot() {
        // A release may run a destructor that walks; its entries go above ours.
        for (std::size_t i = 0; i < m_size; ++i) m_stack[m_base + i]->release();
        m_stack.resize(m_base);
    }
    ChildSnapshot(const ChildSnapshot&) = delete;
    ChildSnapshot& operator=(const ChildSnapshot&) = delete;

    std::size_t size() const { return m_size; }
    CCNode* node(std::size_t i) const { return m_stack[m_base + i]; }

private:
    std::vector<CCNode*>& m_stack;
    std::size_t m_base;
    std::size_t m_size = 0;
};

struct ParkedChild {
    CCNode* parent;
    CCNode* child;
};

// Children removed from a node while a visit walks it, with the reference
// that keeps them alive until the node's last walk ends. Almost always empty.
std::vector<ParkedChild>& parkedChildren() {
    static std::vector<ParkedChild>* parked = new std::vector<ParkedChild>();
    return *parked;
}

// The visit's copy of the children. Visit runs every frame for every node, so
// it retains nothing: a child is only released by leaving its parent's array,
// and while the parent is being visited removeChild parks the child (with a
// reference) until the walk ends. Every entry therefore stays alive for the
// walk, exactly as with a retained snapshot, without touching reference
// counts of children that stay.
class VisitSnapshot {
public:
    VisitSnapshot(CCArray* children, unsigned int& walks)
        : m_stack(walkStack()), m_base(m_stack.size()), m_walks(walks) {
        // Only the pointers: the children themselves are not touched here.
        const std::vector<CCObject*>& nodes = children->data();
        m_size = nodes.size();
        m_stack.resize(m_base + m_size);
        for (std::size_t i = 0; i < m_size; ++i) m_stack[m_base + i] = static_cast<CCNode*>(nodes[i]);
        ++m_walks;
    }
    ~VisitSnapshot() { m_stack.resize(m_base); }
    VisitSnapshot(const VisitSnapshot&) = delete;
    VisitSnapshot& operator=(const VisitSnapshot&) = delete;

    // Ends the walk; true when it was the node's last one.
    bool finish() { return --m_walks == 0; }

    std::size_t size() const { return m_size; }
    CCNode* node(std::size_t i) const { return m_stack[m_base + i]; }

private:
    std::vector<CCNode*>& m_stack;
    std::size_t m_base;
    std::size_t m_size = 0;
    unsigned int& m_walks;
};

}  // namespace

CCNode::CCNode()
    : m_pChildren(nullptr),
      m_sTransform(CCAffineTransformIdentity),
      m_sAdditionalTransform(CCAffineTransformIdentity) {}

CCNode::~CCNode() {
    CC_SAFE_RELEASE_NULL(m_pUserObject);
    // No onExit or cleanup here. The children first lose their parent, then
    // are released from a list this node no longer holds, so a child's
    // destructor that removes itself or a sibling finds nothing to undo.
    m_bDestroyed = true;
    CCArray* children = m_pChildren;
    m_pChildren = new CCArray();
    if (children) {
        for (CCObject* object : children->data()) static_cast<CCNode*>(object)->m_pParent = nullptr;
        children->release();
    }
    m_pChildren->release();
    m_pChildren = nullptr;
}

CCNode* CCNode::create() {
    auto* node = new CCNode();
    node->init();
    node->autorelease();
    return node;
}

bool CCNode::init() { return true; }

// ---- children

void CCNode::addChild(CCNode* child) {
    if (!child) {
        CCLog("[CCNode] addChild of a null child ignored");
        return;
    }
    addChild(child, child->m_nZOrder, child->m_nTag);
}

void CCNode::addChild(CCNode* child, int zOrder) {
    if (!child) {
        CCLog("[CCNode] addChild of a null child ignored");
        return;
    }
    addChild(child, zOrder, child->m_nTag);
}

void CCNode::addChild(CCNode* child, int zOrder, int tag) {
    if (!child) {
        CCLog("[CCNode] addChild of a null child ignored");
        return;
    }
    if (child->m_pParent) {
        CCLog("[CCNode] addChild of node %u refused: it already has a parent", child->m_uID);
        return;
    }
    for (CCNode* n = this; n; n = n->m_pParent) {
        if (n == child) {
            CCLog("[CCNode] addChild of node %u refused: it would become its own ancestor", child->m_uID);
            return;
        }
    }
    if (m_bDestroyed) return;
    insertChild(child, zOrder);
    child->m_nTag = tag;
    child->setParent(this);
    if (m_bRunning && !child->m_bRunning) child->onEnter();
}

void CCNode::insertChild(CCNode* child, int zOrder) {
    if (!m_pChildren) m_pChildren = new CCArray();
    m_pChildren->addObject(child);
    child->setStoredZOrder(zOrder);
    m_bReorderChildDirty = true;
}

void CCNode::setStoredZOrder(int zOrder) {
    m_nZOrder = zOrder;
    m_uOrderOfArrival = ++g_orderOfArrival;
}

void CCNode::removeChild(CCNode* child) { removeChild(child, true); }

void CCNode::removeChild(CCNode* child, bool cleanup) {
    if (!child || !m_pChildren || !m_pChildren->containsObject(child)) return;
    // Each step may run code that removes the child itself; what is already
    // undone is not done again.
    child->retain();
    if (child->m_bRunning) child->onExit();
    if (cleanup && m_pChildren && m_pChildren->containsObject(child)) child->cleanup();
    if (m_pChildren && m_pChildren->containsObject(child)) {
        child->setParent(nullptr);
        if (m_pChildren) {
            if (m_uVisitWalks > 0) {
                child->retain();
                parkedChildren().push_back(ParkedChild{this, child});
            }
            m_pChildren->removeObject(child);
        }
    }
    child->release();
}

void CCNode::removeChildByTag(int tag, bool cleanup) {
    CCNode* child = getChildByTag(tag);
    if (!child) {
        CCLog("[CCNode] removeChildByTag: no child with tag %d", tag);
        return;
    }
    removeChild(child, cleanup);
}

void CCNode::removeFromParent() { removeFromParentAndCleanup(true); }

void CCNode::removeFromParentAndCleanup(bool cleanup) {
    if (m_pParent) m_pParent->removeChild(this, cleanup);
}

void CCNode::removeAllChildren() { removeAllChildrenWithCleanup(true); }

void CCNode::removeAllChildrenWithCleanup(bool cleanup) {
    ChildSnapshot walk(m_pChildren);
    for (std::size_t i = 0; i < walk.size(); ++i) {
        CCNode* child = walk.node(i);
        if (child->m_pParent == this) removeChild(child, cleanup);
    }
}

CCArray* CCNode::getChildren() {
    if (!m_pChildren && !m_bDestroyed) m_pChildren = new CCArray();
    return m_pChildren;
}

unsigned int CCNode::getChildrenCount() const { return m_pChildren ? m_pChildren->count() : 0; }

CCNode* CCNode::getChildByTag(int tag) {
    if (!m_pChildren) return nullptr;
    for (CCObject* object : m_pChildren->data()) {
        auto* child = static_cast<CCNode*>(object);
        if (child->m_nTag == tag) return child;
    }
    return nullptr;
}

void CCNode::setParent(CCNode* parent) { m_pParent = parent; }

int CCNode::getZOrder() { return m_nZOrder; }

void CCNode::setZOrder(int zOrder) {
    if (m_pParent) {
        m_pParent->reorderChild(this, zOrder);
    } else {
        setStoredZOrder(zOrder);
    }
}

void CCNode::reorderChild(CCNode* child, int zOrder) {
    if (!child || child->m_pParent != this) {
        CCLog("[CCNode] reorderChild of a node that is not a child ignored");
        return;
    }
    child->setStoredZOrder(zOrder);
    m_bReorderChildDirty = true;
}

void CCNode::sortAllChildren() {
    if (!m_bReorderChildDirty || !m_pChildren) return;
    m_bReorderChildDirty = false;
    std::vector<CCObject*> sorted = m_pChildren->data();
    auto before = [](CCObject* x, CCObject* y) {
        auto* a = static_cast<CCNode*>(x);
        auto* b = static_cast<CCNode*>(y);
        if (a->getStoredZOrder() != b->getStoredZOrder()) return a->getStoredZOrder() < b->getStoredZOrder();
        return a->getOrderOfArrival() < b->getOrderOfArrival();
    };
    if (std::is_sorted(sorted.begin(), sorted.end(), before)) return;
    std::stable_sort(sorted.begin(), sorted.end(), before);
    // Rebuild the array in order; the extra references keep every child alive
    // while it is briefly out of the array.
    for (CCObject* object : sorted) object->retain();
    m_pChildren->removeAllObjects();
    for (CCObject* object : sorted) m_pChildren->addObject(object);
    for (CCObject* object : sorted) object->release();
}

// ---- placement

void CCNode::setPosition(const CCPoint& position) {
    m_obPosition = position;
    m_bTransformDirty = true;
}

void CCNode::getPosition(float* x, float* y) {
    if (x) *x = m_obPosition.x;
    if (y) *y = m_obPosition.y;
}

void CCNode::setRotation(float degrees) {
    m_fRotation = degrees;
    m_bTransformDirty = true;
}

void CCNode::setScale(float scale) { setScale(scale, scale); }

void CCNode::setScale(float scaleX, float scaleY) {
    m_fScaleX = scaleX;
    m_fScaleY = scaleY;
    m_bTransformDirty = true;
}

void CCNode::setScaleX(float scaleX) {
    m_fScaleX = scaleX;
    m_bTransformDirty = true;
}

void CCNode::setScaleY(float scaleY) {
    m_fScaleY = scaleY;
    m_bTransformDirty = true;
}

void CCNode::setAnchorPoint(const CCPoint& anchor) {
    m_obAnchorPoint = anchor;
    m_obAnchorPointInPoints = CCPoint(m_obContentSize.width * anchor.x, m_obContentSize.height * anchor.y);
    m_bTransformDirty = true;
}

void CCNode::setContentSize(const CCSize& size) {
    // A label rewritten every frame usually keeps its size, and its transform.
    if (size == m_obContentSize) return;
    m_obContentSize = size;
    m_obAnchorPointInPoints = CCPoint(size.width * m_obAnchorPoint.x, size.height * m_obAnchorPoint.y);
    m_bTransformDirty = true;
}

void CCNode::setVisible(bool visible) { m_bVisible = visible; }

void CCNode::ignoreAnchorPointForPosition(bool ignore) {
    m_bIgnoreAnchorPointForPosition = ignore;
    m_bTransformDirty = true;
}

CCRect CCNode::boundingBox() {
    return CCRectApplyAffineTransform(CCRect(0, 0, m_obContentSize.width, m_obContentSize.height),
                                      nodeToParentTransform());
}

// ---- transforms

CCAffineTransform CCNode::updateNodeToParentTransform() {
    if (m_bTransformDirty) {
        m_bTransformDirty = false;
        double x = m_obPosition.x, y = m_obPosition.y;
        const double ax = m_obAnchorPointInPoints.x, ay = m_obAnchorPointInPoints.y;
        if (m_bIgnoreAnchorPointForPosition) {
            x += ax;
            y += ay;
        }
        // Clockwise rotation: R(-rotation) * S(scaleX, scaleY).
        const double radians = double(m_fRotation) * 3.14159265358979323846 / 180.0;
        const double c = std::cos(radians), s = std::sin(radians);
        const double a = c * m_fScaleX, b = -s * m_fScaleX, cc = s * m_fScaleY, d = c * m_fScaleY;
        m_sTransform = CCAffineTransformMake(static_cast<float>(a), static_cast<float>(b), static_cast<float>(cc),
                                             static_cast<float>(d), static_cast<float>(x - (a * ax + cc * ay)),
                                             static_cast<float>(y - (b * ax + d * ay)));
    }
    if (m_bHasAdditionalTransform) return CCAffineTransformConcat(m_sTransform, m_sAdditionalTransform);
    return m_sTransform;
}

CCAffineTransform CCNode::parentToNodeTransform() { return CCAffineTransformInvert(nodeToParentTransform()); }

CCAffineTransform CCNode::nodeToWorldTransform() {
    CCAffineTransform t = nodeToParentTransform();
    for (CCNode* p = m_pParent; p; p = p->m_pParent) t = CCAffineTransformConcat(t, p->nodeToParentTransform());
    return t;
}

CCAffineTransform CCNode::worldToNodeTransform() { return CCAffineTransformInvert(nodeToWorldTransform()); }

CCPoint CCNode::convertToNodeSpace(const CCPoint& worldPoint) {
    return CCPointApplyAffineTransform(worldPoint, worldToNodeTransform());
}

CCPoint CCNode::convertToWorldSpace(const CCPoint& nodePoint) {
    return CCPointApplyAffineTransform(nodePoint, nodeToWorldTransform());
}

CCPoint CCNode::convertToNodeSpaceAR(const CCPoint& worldPoint) {
    return convertToNodeSpace(worldPoint) - m_obAnchorPointInPoints;
}

CCPoint CCNode::convertToWorldSpaceAR(const CCPoint& nodePoint) {
    return convertToWorldSpace(nodePoint + m_obAnchorPointInPoints);
}

void CCNode::setAdditionalTransform(const CCAffineTransform& additional) {
    m_sAdditionalTransform = additional;
    m_bHasAdditionalTransform = true;
}

void CCNode::clearAdditionalTransform() {
    m_sAdditionalTransform = CCAffineTransformIdentity;
    m_bHasAdditionalTransform = false;
}

void CCNode::transform() { kmGLMultAffine(nodeToParentTransform()); }

// ---- user data

void CCNode::setUserObject(CCObject* object) {
    CC_SAFE_RETAIN(object);
    CC_SAFE_RELEASE(m_pUserObject);
    m_pUserObject = object;
}

// ---- scheduling

CCScheduler* CCNode::getScheduler() { return CCScheduler::sharedScheduler(); }

void CCNode::scheduleUpdate() { scheduleUpdateWithPriority(0); }

void CCNode::scheduleUpdateWithPriority(int priority) {
    getScheduler()->scheduleUpdateForTarget(this, priority, !m_bRunning);
}

void CCNode::unscheduleUpdate() { getScheduler()->unscheduleUpdateForTarget(this); }

void CCNode::schedule(SEL_SCHEDULE selector) { schedule(selector, 0.0f, kCCRepeatForever, 0.0f); }

void CCNode::schedule(SEL_SCHEDULE selector, float interval) { schedule(selector, interval, kCCRepeatForever, 0.0f); }

void CCNode::schedule(SEL_SCHEDULE selector, float interval, unsigned int repeat, float delay) {
    getScheduler()->scheduleSelector(selector, this, interval, repeat, delay, !m_bRunning);
}

void CCNode::scheduleOnce(SEL_SCHEDULE selector, float delay) { schedule(selector, 0.0f, 0, delay); }

void CCNode::unschedule(SEL_SCHEDULE selector) { getScheduler()->unscheduleSelector(selector, this); }

void CCNode::unscheduleAllSelectors() { getScheduler()->unscheduleAllForTarget(this); }

void CCNode::resumeSchedulerAndActions() {
    getScheduler()->resumeTarget(this);
    getActionManager()->resumeTarget(this);
}

void CCNode::pauseSchedulerAndActions() {
    getScheduler()->pauseTarget(this);
    getActionManager()->pauseTarget(this);
}

// ---- actions

CCActionManager* CCNode::getActionManager() { return CCActionManager::sharedManager(); }

CCAction* CCNode::runAction(CCAction* action) {
    if (!action) {
        CCLog("[CCNode] runAction with a null action ignored");
        return nullptr;
    }
    getActionManager()->addAction(action, this, !m_bRunning);
    return action;
}

void CCNode::stopAllActions() { getActionManager()->removeAllActionsFromTarget(this); }

void CCNode::stopAction(CCAction* action) {
    if (action) getActionManager()->removeAction(action);
}

void CCNode::stopActionByTag(int tag) { getActionManager()->removeActionByTag(tag, this); }

CCAction* CCNode::getActionByTag(int tag) { return getActionManager()->getActionByTag(tag, this); }

unsigned int CCNode::numberOfRunningActions() { return getActionManager()->numberOfRunningActionsInTarget(this); }

// ---- life cycle

void CCNode::onEnter() {
    m_bRunning = true;
    ChildSnapshot walk(m_pChildren);
    for (std::size_t i = 0; i < walk.size(); ++i) {
        CCNode* child = walk.node(i);
        if (!m_bRunning) break;  // exited again by a child's callback
        if (child->m_pParent == this && !child->m_bRunning) child->onEnter();
    }
    if (m_bRunning) resumeSchedulerAndActions();
}

void CCNode::onExit() {
    pauseSchedulerAndActions();
    m_bRunning = false;
    ChildSnapshot walk(m_pChildren);
    for (std::size_t i = 0; i < walk.size(); ++i) {
        CCNode* child = walk.node(i);
        if (m_bRunning) break;  // entered again by a child's callback
        if (child->m_pParent == this && child->m_bRunning) child->onExit();
    }
}

void CCNode::cleanup() {
    stopAllActions();
    unscheduleAllSelectors();
    ChildSnapshot walk(m_pChildren);
    for (std::size_t i = 0; i < walk.size(); ++i) {
        CCNode* child = walk.node(i);
        if (child->m_pParent == this) child->cleanup();
    }
}

void CCNode::visit() {
    if (!m_bVisible) return;
    kmGLPushMultAffine(nodeToParentTransform());
    sortAllChildren();
    if (!m_pChildren || m_pChildren->count() == 0) {
        draw();
        kmGLPopMatrix();
        return;
    }
    visitChildren();
}

// Apart from visit, so that the leaf path, taken for most nodes, keeps a
// short entry and exit.
void CCNode::visitChildren() {
    // A node whose parent is visiting is parked if it leaves, so only the
    // node a visit starts on (the scene, or a subtree drawn on its own) needs
    // a reference to outlive its walk.
    const bool held = !m_pParent || m_pParent->m_uVisitWalks == 0;
    if (held) retain();
    {
        struct Walk : VisitSnapshot {
            Walk(CCNode* node) : VisitSnapshot(node->m_pChildren, node->m_uVisitWalks), owner(node) {}
            ~Walk() {
                if (finish()) owner->releaseParkedChildren();
            }
            CCNode* owner;
        } walk(this);
        // The z split is taken from the sorted snapshot, before any callback runs.
        const std::size_t count = walk.size();
        std::size_t split = 0;
        while (split < count && walk.node(split)->m_nZOrder < 0) ++split;
        std::size_t i = 0;
        for (; i < split; ++i) {
            CCNode* child = walk.node(i);
            if (child->m_pParent == this) child->visit();
        }
        draw();
        for (; i < count; ++i) {
            CCNode* child = walk.node(i);
            if (child->m_pParent == this) child->visit();
        }
    }
    kmGLPopMatrix();
    if (held) release();  // may free this node: nothing follows
}

void CCNode::releaseParkedChildren() {
    std::vector<ParkedChild>& parked = parkedChildren();
    if (parked.empty()) return;
    // Taken out of the list before any release: a release may run a
    // destructor that removes (and so parks) other nodes.
    std::vector<CCNode*> mine;
    std::size_t kept = 0;
    for (const ParkedChild& entry : parked) {
        if (entry.parent == this) {
            mine.push_back(entry.child);
        } else {
            parked[kept++] = entry;
        }
    }
    parked.resize(kept);
    for (CCNode* child : mine) child->release();
}

}  // namespace cocos2d
