// QVModelCompound: a model whose children include behaviour components.
// Assets, screens and every placed object derive from it. Not registered by
// name (no create); the component list comes with the component models.
#pragma once

#include <string>

#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelCompound : public QVModel {
protected:
    explicit QVBaseModelCompound(const std::string& name);
    QVBaseModelCompound(const QVBaseModelCompound& source);
};

class QVModelCompound : public QVBaseModelCompound {
    QV_MODEL_GLUE_NO_CREATE(QVModelCompound, QVModel)
public:
    explicit QVModelCompound(const std::string& name);
    QVModelCompound(const QVModelCompound& source);
};
