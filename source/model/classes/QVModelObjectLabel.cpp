#include "model/classes/QVModelObjectLabel.h"

QVBaseModelObjectLabel::QVBaseModelObjectLabel(const std::string& name) : QVModelObject(name) {}

QVBaseModelObjectLabel::QVBaseModelObjectLabel(const QVBaseModelObjectLabel& source) : QVModelObject(source) {}

QVModelObjectLabel::QVModelObjectLabel(const std::string& name) : QVBaseModelObjectLabel(name) {}

QVModelObjectLabel::QVModelObjectLabel(const QVModelObjectLabel& source) : QVBaseModelObjectLabel(source) {}
