#include "model/classes/QVModelObjectGroup.h"

class QVModelObjectAssetCharacter;

namespace {
const std::string kNoText;

bool isCharacter(const std::shared_ptr<QVModel>& child) {
    return child && child->type() == typeId<QVModelObjectAssetCharacter>();
}
}  // namespace

QVBaseModelObjectGroup::QVBaseModelObjectGroup(const std::string& name)
    : QVModelObject(name) QV_OBJECT_GROUP_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

// The count starts again from 0: the copy's children come later.
QVBaseModelObjectGroup::QVBaseModelObjectGroup(const QVBaseModelObjectGroup& source)
    : QVModelObject(source) QV_OBJECT_GROUP_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

bool QVBaseModelObjectGroup::autoDepthSorting() const { return m_autoDepthSorting && m_autoDepthSorting->value(); }

const std::string& QVBaseModelObjectGroup::sortDirection() const {
    return m_sortDirection ? m_sortDirection->value() : kNoText;
}

const std::string& QVBaseModelObjectGroup::sortOrder() const { return m_sortOrder ? m_sortOrder->value() : kNoText; }

void QVBaseModelObjectGroup::childAdded(const std::shared_ptr<QVModel>& child) {
    QVModelObject::childAdded(child);
    if (isCharacter(child)) ++m_characterCount;
}

void QVBaseModelObjectGroup::childRemoved(const std::shared_ptr<QVModel>& child) {
    QVModelObject::childRemoved(child);
    if (isCharacter(child)) --m_characterCount;
}

void QVBaseModelObjectGroup::childrenCleared() {
    QVModelObject::childrenCleared();
    m_characterCount = 0;
}

QVModelObjectGroup::QVModelObjectGroup(const std::string& name) : QVBaseModelObjectGroup(name) {}

QVModelObjectGroup::QVModelObjectGroup(const QVModelObjectGroup& source) : QVBaseModelObjectGroup(source) {}

std::shared_ptr<QVModel> QVModelObjectGroup::clone(bool deep, bool registerCopy) const {
    (void)deep;
    std::shared_ptr<QVModelObjectGroup> copy = createCopy(*this);
    if (registerCopy) copy->registerCopy(*this);
    return copy;
}
