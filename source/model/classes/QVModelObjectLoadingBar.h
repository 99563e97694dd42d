// QVModelObjectLoadingBar: the bar the loading screen fills. It has only the
// object attributes.
#pragma once

#include <string>

#include "model/classes/QVModelObject.h"
#include "model/core/QVModelGlue.h"

class QVModelObjectLoadingBar : public QVModelObject {
    QV_MODEL_GLUE(QVModelObjectLoadingBar, "Loading Bar", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectLoadingBar(const std::string& name);
    QVModelObjectLoadingBar(const QVModelObjectLoadingBar& source);
};
