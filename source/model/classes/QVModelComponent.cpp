#include "model/classes/QVModelComponent.h"

QVModelComponent::QVModelComponent(const std::string& name) : QVModel(name) {}

QVModelComponent::QVModelComponent(const QVModelComponent& source) : QVModel(source) {}
