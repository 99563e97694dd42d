#include "model/classes/QVModelObject.h"

#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSpriteContainer.h"

using cocos2d::CCPoint;
using cocos2d::CCSize;

QVBaseModelObject::QVBaseModelObject(const std::string& name)
    : QVModelCompound(name) QV_OBJECT_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_scale->setValue(CCPoint(1.0f, 1.0f), true);
    m_opacity->setValue(1.0f, true);
}

QVBaseModelObject::QVBaseModelObject(const QVBaseModelObject& source)
    : QVModelCompound(source) QV_OBJECT_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

CCPoint QVBaseModelObject::position(float, int) const { return CCPoint(); }
float QVBaseModelObject::rotation(float, int) const { return 0.0f; }
CCPoint QVBaseModelObject::scale(float, int) const { return CCPoint(); }
float QVBaseModelObject::opacity(float, int) const { return 0.0f; }
bool QVBaseModelObject::hidden() const { return false; }
int QVBaseModelObject::zDepth() const { return 0; }
CCPoint QVBaseModelObject::positionVariance() const { return CCPoint(); }
CCPoint QVBaseModelObject::randomPosition() const { return CCPoint(); }
float QVBaseModelObject::randomRotation() const { return 0.0f; }
CCPoint QVBaseModelObject::anchoredPosition(float, int) const { return CCPoint(); }
void QVBaseModelObject::setPosition(const CCPoint&) {}
void QVBaseModelObject::setScale(const CCPoint&) {}
void QVBaseModelObject::setZDepth(int) {}
std::shared_ptr<QVModelSpriteContainer> QVBaseModelObject::visualModel() const { return nullptr; }
std::shared_ptr<QVModelPolygon> QVBaseModelObject::collisionShape() const { return nullptr; }
CCSize QVBaseModelObject::placeholderSize(float) const { return CCSize(100.0f, 100.0f); }
bool QVBaseModelObject::hasSpawner() const { return false; }
float QVBaseModelObject::spawnRate() const { return 0.0f; }

QVModelObject::QVModelObject(const std::string& name) : QVBaseModelObject(name) {}

QVModelObject::QVModelObject(const QVModelObject& source) : QVBaseModelObject(source) {}
