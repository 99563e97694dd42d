// QVModelObjectLabel: a text object (score, loading counter, custom text).
// Shell: identity only; its attributes come with the UI object models.
#pragma once

#include <string>

#include "model/classes/QVModelObject.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelObjectLabel : public QVModelObject {
protected:
    explicit QVBaseModelObjectLabel(const std::string& name);
    QVBaseModelObjectLabel(const QVBaseModelObjectLabel& source);
};

class QVModelObjectLabel : public QVBaseModelObjectLabel {
    QV_MODEL_GLUE(QVModelObjectLabel, "Untitled", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectLabel(const std::string& name);
    QVModelObjectLabel(const QVModelObjectLabel& source);
};
