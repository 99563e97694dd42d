// QVModelAsset: a reusable authored thing (character, obstacle, powerup) that
// objects place. Shell: identity only; its attributes come with the asset
// models.
#pragma once

#include <string>

#include "model/classes/QVModelCompound.h"
#include "model/core/QVModelGlue.h"

class QVModelAsset : public QVModelCompound {
    QV_MODEL_GLUE(QVModelAsset, "", QVModelCompound, QVModel)
public:
    explicit QVModelAsset(const std::string& name);
    QVModelAsset(const QVModelAsset& source);
};
