#include "model/classes/QVModelCompound.h"

QVBaseModelCompound::QVBaseModelCompound(const std::string& name) : QVModel(name) {}

// The copy's list fills again as the children are copied into it.
QVBaseModelCompound::QVBaseModelCompound(const QVBaseModelCompound& source) : QVModel(source) {}

QVBaseModelCompound::~QVBaseModelCompound() { m_components.clear(); }

QV_CHILD_LIST_HOOKS(QVBaseModelCompound, QVModel, m_components)

QVModelCompound::QVModelCompound(const std::string& name) : QVBaseModelCompound(name) {}

QVModelCompound::QVModelCompound(const QVModelCompound& source) : QVBaseModelCompound(source) {}
