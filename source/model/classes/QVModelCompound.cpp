#include "model/classes/QVModelCompound.h"

QVBaseModelCompound::QVBaseModelCompound(const std::string& name) : QVModel(name) {}

// The copy's list fills again as the children are copied into it.
QVBaseModelCompound::QVBaseModelCompound(const QVBaseModelCompound& source) : QVModel(source) {}

QVBaseModelCompound::~QVBaseModelCompound() { m_components.clear(); }

void QVBaseModelCompound::childAdded(const std::shared_ptr<QVModel>& child) {
    QVModel::childAdded(child);
    m_components.added(child);
}

void QVBaseModelCompound::childRemoved(const std::shared_ptr<QVModel>& child) {
    QVModel::childRemoved(child);
    m_components.removed(child);
}

void QVBaseModelCompound::childrenCleared() {
    QVModel::childrenCleared();
    m_components.clear();
}

QVModelCompound::QVModelCompound(const std::string& name) : QVBaseModelCompound(name) {}

QVModelCompound::QVModelCompound(const QVModelCompound& source) : QVBaseModelCompound(source) {}
