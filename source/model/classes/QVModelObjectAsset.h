// QVModelObjectAsset: one placement of an asset in a world. Shell: identity
// only; the asset link comes with the object asset models.
#pragma once

#include <string>

#include "model/classes/QVModelObject.h"
#include "model/core/QVModelGlue.h"

class QVModelObjectAsset : public QVModelObject {
    QV_MODEL_GLUE(QVModelObjectAsset, "", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectAsset(const std::string& name);
    QVModelObjectAsset(const QVModelObjectAsset& source);
};
