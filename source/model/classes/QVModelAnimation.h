// QVModelAnimation: a frame animation built from object models. Shell:
// identity only; "Speed", "Duration", "Loop" and the frame list come with the
// resource models.
#pragma once

#include <string>

#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelAnimation : public QVModel {
protected:
    explicit QVBaseModelAnimation(const std::string& name);
    QVBaseModelAnimation(const QVBaseModelAnimation& source);
};

class QVModelAnimation : public QVBaseModelAnimation {
    QV_MODEL_GLUE(QVModelAnimation, "", QVModel)
public:
    explicit QVModelAnimation(const std::string& name);
    QVModelAnimation(const QVModelAnimation& source);
};
