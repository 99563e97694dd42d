#include "model/classes/QVModelObject.h"

QVBaseModelObject::QVBaseModelObject(const std::string& name) : QVModelCompound(name) {}

QVBaseModelObject::QVBaseModelObject(const QVBaseModelObject& source) : QVModelCompound(source) {}

QVModelObject::QVModelObject(const std::string& name) : QVBaseModelObject(name) {}

QVModelObject::QVModelObject(const QVModelObject& source) : QVBaseModelObject(source) {}
