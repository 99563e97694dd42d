#include "model/classes/QVModelAsset.h"

QVModelAsset::QVModelAsset(const std::string& name) : QVModelCompound(name) {}

QVModelAsset::QVModelAsset(const QVModelAsset& source) : QVModelCompound(source) {}
