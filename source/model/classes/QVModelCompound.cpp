#include "model/classes/QVModelCompound.h"

QVBaseModelCompound::QVBaseModelCompound(const std::string& name) : QVModel(name) {}

QVBaseModelCompound::QVBaseModelCompound(const QVBaseModelCompound& source) : QVModel(source) {}

QVModelCompound::QVModelCompound(const std::string& name) : QVBaseModelCompound(name) {}

QVModelCompound::QVModelCompound(const QVModelCompound& source) : QVBaseModelCompound(source) {}
