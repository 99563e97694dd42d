#include "player/objects/QVPObjectAssetPath.h"

#include <algorithm>
#include <cmath>

#include "base/CCArray.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectPath.h"
#include "physics/PhysicsGuard.h"
#include "player/objects/QVFieldUnits.h"

using cocos2d::CCPoint;
using cocos2d::CCRect;

namespace {

constexpr float kArrivalDistance = 20.0f;
constexpr float kEpsilon = 1.1920929e-7f;

}  // namespace

QVPObjectAssetPath::QVPObjectAssetPath(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(std::move(model)), m_pathModel(modelCast<QVModelObjectPath>(m_model)) {
    setTypeFlags(kTypeTrigger);
    m_controllable = false;
    if (!m_pathModel) return;
    const std::string& mode = m_pathModel->playMode();
    if (mode == "kPlayModeLoop") m_playMode = kPlayModeLoop;
    if (mode == "kPlayModePingPong") m_playMode = kPlayModePingPong;
    const std::string& affected = m_pathModel->affectedAsset();
    if (affected == "kCharacter") m_affected = kAffectCharacter;
    if (affected == "kAssets") m_affected = kAffectAssets;
    // "-1" reads as the largest unsigned id, that is -1 again.
    m_objectAssetId = static_cast<int32_t>(m_pathModel->objectAssetId());
}

QVPObjectAssetPath::~QVPObjectAssetPath() { releaseAll(); }

QVPObjectAsset* QVPObjectAssetPath::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetPath(model);
}

void QVPObjectAssetPath::update(float) {
    if (!m_gameLayer || !m_controllable) return;
    search(m_gameLayer->getChildren());
    steer();
}

void QVPObjectAssetPath::setState(int32_t state) {
    QVPObjectAsset::setState(state);
    if (state == kStateDying) cleanup();
}

void QVPObjectAssetPath::cleanup() {
    releaseAll();
    QVPObjectAsset::cleanup();
}

CCRect QVPObjectAssetPath::getBoundingRect() {
    const CCPoint p = getPosition();
    CCRect rect(p.x - 20.0f, p.y - 20.0f, 40.0f, 40.0f);
    if (!m_pathModel) return rect;
    for (const CCPoint& point : m_pathModel->points()) {
        rect = rect.unionWithRect(CCRect(point.x + 5.0f + p.x, point.y + 5.0f + p.y, 10.0f, 10.0f));
    }
    return rect;
}

CCPoint QVPObjectAssetPath::pointAt(int32_t index) {
    if (!m_pathModel || index < 0 || static_cast<std::size_t>(index) >= m_pathModel->points().size()) {
        return getPosition();
    }
    return m_pathModel->points()[static_cast<std::size_t>(index)] + getPosition();
}

bool QVPObjectAssetPath::accepts(QVPObjectAsset* object) const {
    if (m_affected == kAffectCharacter) return object->typeFlags() & kTypeCharacter;
    if (m_affected != kAffectAssets) return true;
    if (!(object->typeFlags() & kTypeUnit)) return false;
    if (m_objectAssetId < 0) return true;
    const auto placed = modelKindCast<QVModelObjectAsset>(object->getModel());
    const auto asset = placed ? placed->asset() : nullptr;
    return asset && asset->id() == static_cast<uint32_t>(m_objectAssetId);
}

void QVPObjectAssetPath::search(cocos2d::CCArray* nodes) {
    if (!nodes || !m_pathModel) return;
    const float radius = m_pathModel->searchRadius();
    for (cocos2d::CCObject* node : nodes->data()) {
        auto* object = dynamic_cast<QVPObjectAsset*>(node);
        if (!object || object == this || !accepts(object)) continue;
        if (object->getState() == kStateDying || object->getState() == kStateFinished) continue;
        if (getPosition().getDistance(object->getPosition()) <= radius) capture(object);
    }
}

void QVPObjectAssetPath::capture(QVPObjectAsset* object) {
    b2Body* body = object->getBody();
    if ((object->typeFlags() & kTypeHeldByPath) || !body) return;
    physics::setGravityScale(body, 0.0f);
    object->addEventCallback(kEventFinished, this, [this](QVPObject* finished) { release(finished); });
    object->setTypeFlags(object->typeFlags() | kTypeHeldByPath);
    object->setControllable(false);
    m_held.push_back(HeldRecord{object, 0, getPosition(), 1});
}

void QVPObjectAssetPath::steer() {
    if (!m_pathModel) return;
    const float attraction = m_pathModel->attractionForce() / 100.0f;
    const float speed = m_pathModel->speed();
    const float radius = m_pathModel->searchRadius();
    const bool flip = m_pathModel->imageTransition() == "kFlip";
    std::vector<QVPObjectAsset*> leaving;
    for (HeldRecord& record : m_held) {
        QVPObjectAsset* object = record.object;
        b2Body* body = object->getBody();
        if (object->getState() == kStateDying || !body) continue;

        const b2Vec2 v = body->GetLinearVelocity();
        CCPoint d = record.target - object->getPosition();
        const float length = d.getLength();
        if (length >= kEpsilon) d = d / length;
        d = d * (speed * attraction);
        const b2Vec2 velocity((1.0f - attraction) * v.x + d.x, (1.0f - attraction) * v.y + d.y);
        if (body->GetType() != b2_staticBody) {
            if ((velocity.x != 0.0f || velocity.y != 0.0f) && !body->IsAwake()) body->SetAwake(true);
            physics::setLinearVelocity(body, velocity);
        }
        if (m_pathModel->imageDirection()) {
            const float angle = body->GetAngle();
            CCPoint facing(std::cos(angle), std::sin(angle));
            if (record.direction < 0 && flip) facing = CCPoint(-facing.x, -facing.y);
            const float turn = std::atan2(facing.x * d.y - facing.y * d.x, facing.x * d.x + facing.y * d.y);
            physics::setAngularVelocity(body, turn * 10.0f);
        }

        bool releaseIt = false;
        const float distance = record.target.getDistance(object->getPosition());
        if (distance > radius * 1.1f && m_releaseFar) releaseIt = true;
        if (distance < kArrivalDistance) arrive(record, releaseIt);
        if (releaseIt) leaving.push_back(object);
    }
    for (QVPObjectAsset* object : leaving) releaseObject(object);
}

void QVPObjectAssetPath::arrive(HeldRecord& record, bool& releaseIt) {
    m_releaseFar = false;
    const auto count = static_cast<int32_t>(m_pathModel->points().size());
    const bool atEnd = record.direction >= 1 && record.index >= count && record.index >= 1;
    const bool atStart = record.direction < 0 && record.index < 0;
    b2Body* body = record.object->getBody();
    if (atEnd || atStart) {
        switch (m_playMode) {
            case kPlayModeLoop: {
                record.index = 0;
                record.target = pointAt(0);
                const CCPoint p = getPosition();
                physics::setTransform(body, b2Vec2(p.x * kMetresPerPoint, p.y * kMetresPerPoint), body->GetAngle());
                break;
            }
            case kPlayModePingPong:
                record.direction = -record.direction;
                if (m_pathModel->imageDirection() && m_pathModel->imageTransition() == "kFlip") {
                    record.object->setScaleX(-record.object->getScaleX());
                }
                break;
            default:
                if (!m_pathModel->keepVelocity()) physics::setLinearVelocity(body, b2Vec2(0.0f, 0.0f));
                releaseIt = true;
                break;
        }
    } else if (record.direction < 1) {
        --record.index;
        record.target = pointAt(record.index);
    } else {
        record.target = pointAt(record.index);
        ++record.index;
    }
}

void QVPObjectAssetPath::release(QVPObject* object) {
    m_held.erase(std::remove_if(m_held.begin(), m_held.end(),
                                [object](const HeldRecord& record) { return record.object == object; }),
                 m_held.end());
}

void QVPObjectAssetPath::releaseObject(QVPObjectAsset* object) {
    const auto found = std::find_if(m_held.begin(), m_held.end(),
                                    [object](const HeldRecord& record) { return record.object == object; });
    if (found == m_held.end()) return;
    m_held.erase(found);
    object->setTypeFlags(object->typeFlags() & ~kTypeHeldByPath);
    object->setControllable(true);
    if (b2Body* body = object->getBody()) physics::setGravityScale(body, 1.0f);
    object->removeEventCallback(this);
}

void QVPObjectAssetPath::releaseAll() {
    while (!m_held.empty()) releaseObject(m_held.front().object);
}
