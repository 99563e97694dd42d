#include "model/classes/QVModelAnimation.h"

QVBaseModelAnimation::QVBaseModelAnimation(const std::string& name) : QVModel(name) {}

QVBaseModelAnimation::QVBaseModelAnimation(const QVBaseModelAnimation& source) : QVModel(source) {}

QVModelAnimation::QVModelAnimation(const std::string& name) : QVBaseModelAnimation(name) {}

QVModelAnimation::QVModelAnimation(const QVModelAnimation& source) : QVBaseModelAnimation(source) {}
