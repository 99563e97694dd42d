#include "player/objects/QVPObject.h"

#include <algorithm>
#include <utility>

#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelObject.h"
#include "player/objects/QVComponent.h"
#include "player/objects/QVComponentHealth.h"
#include "player/objects/QVComponentMove.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/screens/QVPGameFieldSettings.h"

using cocos2d::CCNode;
using cocos2d::CCObject;
using cocos2d::CCPoint;
using cocos2d::CCRect;

namespace {
int64_t s_liveCount = 0;
int64_t s_constructedCount = 0;
}  // namespace

QVPObject::QVPObject(std::shared_ptr<QVModelObject> model) : m_model(std::move(model)) {
    ++s_liveCount;
    ++s_constructedCount;
}

QVPObject::~QVPObject() {
    for (QVComponent* component : m_components) component->release();
    m_components.clear();
    --s_liveCount;
}

int64_t QVPObject::liveCount() { return s_liveCount; }

int64_t QVPObject::constructedCount() { return s_constructedCount; }

void QVPObject::appendComponent(QVComponent* component) {
    if (!component) return;
    component->setOwner(this);
    m_components.push_back(component);
}

void QVPObject::update(float dt) {
    if (m_requestedState != -1) {
        // Cleared first: setState may itself request the next state.
        const int32_t state = m_requestedState;
        m_requestedState = -1;
        setState(state);
    }
    for (size_t i = 0; i < m_components.size(); ++i) m_components[i]->update(dt);

    if (getChildrenCount() > 0) {
        // Swapped out, so an update that re-enters this node gets buffers of
        // its own.
        std::vector<CCNode*> snapshot;
        std::vector<CCNode*> finished;
        snapshot.swap(m_childSnapshot);
        finished.swap(m_finishedChildren);
        for (CCObject* object : getChildren()->data()) {
            object->retain();
            snapshot.push_back(static_cast<CCNode*>(object));
        }
        for (CCNode* child : snapshot) {
            if (child->getParent() != this) continue;
            child->update(dt);
            auto* object = dynamic_cast<QVPObject*>(child);
            if (object && object->getState() == kStateFinished && child->getParent() == this) {
                finished.push_back(child);
            }
        }
        for (CCNode* child : finished) {
            if (child->getParent() == this) removeChild(child, true);
        }
        for (CCNode* child : snapshot) child->release();
        snapshot.clear();
        finished.clear();
        m_childSnapshot.swap(snapshot);
        m_finishedChildren.swap(finished);
    }
    setVisible(isOnScreen());
}

void QVPObject::transformChanged() {
    for (size_t i = 0; i < m_components.size(); ++i) m_components[i]->onTransformChanged();
}

void QVPObject::setState(int32_t state) {
    m_state = state;
    for (size_t i = 0; i < m_components.size(); ++i) m_components[i]->onStateChanged();
}

CCRect QVPObject::getBoundingRect() {
    CCPoint position = getPosition();
    CCNode* parent = getParent();
    if (parent && parent != m_gameLayer) position = position + parent->getPosition();
    return CCRect(position.x - 50.0f, position.y - 50.0f, 100.0f, 100.0f);
}

b2AABB QVPObject::getBodyAABB() {
    b2AABB box;
    physics::firstFixtureBox(m_body, box);
    return box;
}

bool QVPObject::isOnScreen() {
    bool childVisible = false;
    if (getChildrenCount() > 0) {
        for (CCObject* object : getChildren()->data()) {
            auto* child = static_cast<CCNode*>(object);
            if (child->getTag() > 0) childVisible = child->isVisible();
        }
    }
    if (childVisible || !m_gameLayer) return true;

    const cocos2d::CCSize window = cocos2d::CCDirector::sharedDirector()->getWinSize();
    const CCPoint layer = m_gameLayer->getPosition();
    const CCPoint origin = visibleOriginOffset();
    const QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
    const float back = settings->backDeletionThreshold();
    const float sides = settings->sidesDeletionThreshold();
    const CCRect view(-layer.x - back - origin.x, -layer.y - sides - origin.y, window.width + 2.0f * back,
                      window.height + 2.0f * sides);
    return view.intersectsRect(getBoundingRect());
}

QVComponentHealth* QVPObject::getHealthComponent() const {
    for (QVComponent* component : m_components) {
        if (auto* health = dynamic_cast<QVComponentHealth*>(component)) return health;
    }
    return nullptr;
}

void QVPObject::copyComponentStates(const QVPObject* other) {
    if (!other) return;
    const size_t count = std::min(m_components.size(), other->m_components.size());
    for (size_t i = 0; i < count; ++i) {
        const bool active = other->m_components[i]->isActive();
        // A rebuilt object's move goes on at the velocity its body was given.
        if (auto* move = dynamic_cast<QVComponentMove*>(m_components[i])) {
            move->activate(active, true);
        } else {
            m_components[i]->setActive(active);
        }
    }
}

int QVPObject::zOrderInCamera() {
    QVPObject* last = this;
    CCNode* parent = getParent();
    while (auto* object = dynamic_cast<QVPObject*>(parent)) {
        last = object;
        parent = object->getParent();
    }
    if (auto* animation = dynamic_cast<QVPAnimationObject*>(parent)) return animation->zOrderInCamera();
    if (parent && parent == last->gameLayer()) return last->getZOrder();
    return 0;
}
