#include "player/objects/CCParallaxScrollNode.h"

#include <cmath>

#include "base/CCArray.h"
#include "director/CCDirector.h"

using namespace cocos2d;

namespace {
// Scroll velocities are given in units of 32 points per second.
constexpr float kVelocityScale = 32.0f;

float scaledWidth(CCNode* node) { return node->getContentSize().width * node->getScaleX(); }
float scaledHeight(CCNode* node) { return node->getContentSize().height * node->getScaleY(); }

// How far a child moving by `offset` along one axis jumps back into range.
float wrapShift(float offset, float position, float extent, float range, float distance) {
    if ((offset < 0.0f && position + extent < 0.0f) || (offset > 0.0f && position > range)) {
        return offset < 0.0f ? std::fabs(distance) : -std::fabs(distance);
    }
    return 0.0f;
}
}  // namespace

CCParallaxScrollOffset* CCParallaxScrollOffset::create() {
    auto* record = new CCParallaxScrollOffset();
    if (!record->init()) {
        delete record;
        return nullptr;
    }
    record->autorelease();
    return record;
}

bool CCParallaxScrollOffset::init() {
    if (!CCLayer::init()) return false;
    m_relativeVelocity = CCPointZero;
    m_scrollOffset = CCPointZero;
    m_ratio = CCPointZero;
    setPosition(CCPointZero);
    return true;
}

CCParallaxScrollOffset* CCParallaxScrollOffset::scrollWithNode(CCNode* node, const CCPoint& ratio,
                                                               const CCPoint& position, const CCPoint& scrollOffset,
                                                               const CCPoint& relativeVelocity) {
    auto* record = new CCParallaxScrollOffset();
    if (!record->initWithNode(node, ratio, position, scrollOffset, relativeVelocity)) {
        delete record;
        return nullptr;
    }
    record->autorelease();
    return record;
}

bool CCParallaxScrollOffset::initWithNode(CCNode* node, const CCPoint& ratio, const CCPoint& position,
                                          const CCPoint& scrollOffset, const CCPoint& relativeVelocity) {
    if (!init()) return false;
    m_ratio = ratio;
    m_scrollOffset = scrollOffset;
    m_relativeVelocity = relativeVelocity;
    m_startPosition = position;
    node->setPosition(position);
    node->setAnchorPoint(CCPointZero);
    m_child = node;
    return true;
}

CCParallaxScrollNode* CCParallaxScrollNode::create() {
    auto* node = new CCParallaxScrollNode();
    if (!node->init()) {
        delete node;
        return nullptr;
    }
    node->autorelease();
    return node;
}

CCParallaxScrollNode::~CCParallaxScrollNode() { CC_SAFE_RELEASE(m_scrollOffsets); }

bool CCParallaxScrollNode::init() {
    if (!CCLayer::init()) return false;
    if (!m_scrollOffsets) {
        m_scrollOffsets = CCArray::create();
        m_scrollOffsets->retain();
    }
    m_range = CCDirector::sharedDirector()->getWinSize();
    setAnchorPoint(CCPointZero);
    m_childRotation = 0.0f;
    return true;
}

void CCParallaxScrollNode::addScrolledChild(CCNode* node, int z, const CCPoint& ratio, const CCPoint& position,
                                            const CCPoint& scrollOffset, const CCPoint& relativeVelocity) {
    const CCPoint centred = position + CCPoint(scaledWidth(node) * 0.5f, scaledHeight(node) * 0.5f);
    CCParallaxScrollOffset* record =
        CCParallaxScrollOffset::scrollWithNode(node, ratio, centred, scrollOffset, relativeVelocity);
    if (!record) return;
    m_scrollOffsets->addObject(record);
    node->setAnchorPoint(CCPoint(0.5f, 0.5f));
    node->setRotation(m_childRotation);
    addChild(node, z);
}

void CCParallaxScrollNode::addTiledChildren(CCArray* nodes, int z, const CCPoint& ratio, const CCPoint& position,
                                            const CCPoint& direction, const CCPoint& relativeVelocity,
                                            const CCPoint& gap) {
    if (!nodes) return;
    float totalWidth = 0.0f;
    float totalHeight = 0.0f;
    for (CCObject* object : nodes->data()) {
        auto* node = static_cast<CCNode*>(object);
        totalWidth += scaledWidth(node) + direction.x * gap.x;
        totalHeight += scaledHeight(node) + direction.y * gap.y;
    }
    CCPoint current = position;
    for (CCObject* object : nodes->data()) {
        auto* node = static_cast<CCNode*>(object);
        addScrolledChild(node, z, ratio, current, CCPoint(totalWidth, totalHeight), relativeVelocity);
        current =
            current + CCPoint(direction.x * (scaledWidth(node) + gap.x), direction.y * (scaledHeight(node) + gap.y));
    }
}

void CCParallaxScrollNode::scrollWithVelocity(const CCPoint& velocity, float dt) {
    const CCPoint v = velocity * kVelocityScale;
    for (CCObject* object : m_scrollOffsets->data()) {
        auto* record = static_cast<CCParallaxScrollOffset*>(object);
        CCNode* child = record->getChild();
        if (!child) continue;
        const CCPoint total = v + record->getRelativeVelocity() * kVelocityScale;
        const CCPoint offset(total.x * dt * record->getRatio().x, total.y * dt * record->getRatio().y);
        CCPoint p = child->getPosition() + offset;
        p.x += wrapShift(offset.x, p.x, scaledWidth(child), m_range.width, record->getScrollOffset().x);
        p.y += wrapShift(offset.y, p.y, scaledHeight(child), m_range.height, record->getScrollOffset().y);
        child->setPosition(p);
    }
}
