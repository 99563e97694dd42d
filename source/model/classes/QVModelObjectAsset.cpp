#include "model/classes/QVModelObjectAsset.h"

QVModelObjectAsset::QVModelObjectAsset(const std::string& name) : QVModelObject(name) {}

QVModelObjectAsset::QVModelObjectAsset(const QVModelObjectAsset& source) : QVModelObject(source) {}
