#include "model/classes/QVModelObject.h"

#include "director/CCDirector.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "platform/RandomAndClock.h"

using cocos2d::CCDirector;
using cocos2d::CCPoint;
using cocos2d::CCSize;

QVBaseModelObject::QVBaseModelObject(const std::string& name)
    : QVModelCompound(name) QV_OBJECT_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_scale->setValue(CCPoint(1.0f, 1.0f), true);
    m_opacity->setValue(1.0f, true);
}

QVBaseModelObject::QVBaseModelObject(const QVBaseModelObject& source)
    : QVModelCompound(source) QV_OBJECT_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

CCPoint QVBaseModelObject::position(float time, int state) const {
    return m_position ? m_position->animatedValue(state, time) : CCPoint();
}

float QVBaseModelObject::rotation(float time, int state) const {
    return m_rotation ? m_rotation->animatedValue(state, time) : 0.0f;
}

CCPoint QVBaseModelObject::scale(float time, int state) const {
    return m_scale ? m_scale->animatedValue(state, time) : CCPoint();
}

float QVBaseModelObject::opacity(float time, int state) const {
    return m_opacity ? m_opacity->animatedValue(state, time) : 0.0f;
}

bool QVBaseModelObject::hidden() const { return m_hidden && m_hidden->value(); }

int QVBaseModelObject::zDepth() const { return m_zDepth ? m_zDepth->value() : 0; }

CCPoint QVBaseModelObject::positionVariance() const { return m_position ? m_position->variableValue() : CCPoint(); }

CCPoint QVBaseModelObject::randomPosition() const { return m_position ? m_position->randomValue() : CCPoint(); }

float QVBaseModelObject::randomRotation() const {
    if (!m_rotation) return 0.0f;
    const float draw = static_cast<float>(compat::rand()) / 32767.0f * 2.0f - 1.0f;
    return draw * m_rotation->variableValue() + m_rotation->value();
}

namespace {
// One axis: a point in the outer 30% of the design frame keeps its distance
// to that edge of the visible area. The thresholds compare in double, as
// the layouts were authored against them.
float anchoredAxis(float p, float frame, float visible, float origin) {
    if (static_cast<double>(p) > static_cast<double>(frame) * 0.7) return (visible + origin) - (frame - p);
    if (static_cast<double>(frame) * 0.3 > static_cast<double>(p)) return p + origin;
    return p;
}
}  // namespace

CCPoint QVBaseModelObject::anchoredPosition(float time, int state) const {
    CCPoint p = position(time, state);
    const bool landscape = QVModelGeneralSettings::shared()->orientation() == kQVOrientationLandscape;
    const CCSize frame = landscape ? CCSize(1136.0f, 640.0f) : CCSize(640.0f, 1136.0f);
    CCDirector* director = CCDirector::sharedDirector();
    const CCSize visible = director->getVisibleSize();
    const CCPoint origin = director->getVisibleOrigin();
    p.x = anchoredAxis(p.x, frame.width, visible.width, origin.x);
    p.y = anchoredAxis(p.y, frame.height, visible.height, origin.y);
    return p;
}

void QVBaseModelObject::setPosition(const CCPoint& position) {
    if (m_position) m_position->setValue(position);
}

void QVBaseModelObject::setScale(const CCPoint& scale) {
    if (m_scale) m_scale->setValue(scale);
}

void QVBaseModelObject::setZDepth(int zDepth) {
    if (m_zDepth) m_zDepth->setValue(zDepth);
}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelObject::visualModel() const { return nullptr; }

std::shared_ptr<QVModelPolygon> QVBaseModelObject::collisionShape() const { return nullptr; }

CCSize QVBaseModelObject::placeholderSize(float time) const {
    const std::shared_ptr<QVModelSpriteContainer> visual = visualModel();
    return visual ? visual->spriteSize(time) : CCSize(100.0f, 100.0f);
}

bool QVBaseModelObject::hasSpawner() const { return false; }

float QVBaseModelObject::spawnRate() const { return 0.0f; }

QVModelObject::QVModelObject(const std::string& name) : QVBaseModelObject(name) {}

QVModelObject::QVModelObject(const QVModelObject& source) : QVBaseModelObject(source) {}
