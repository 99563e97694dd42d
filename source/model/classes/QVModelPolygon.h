// QVModelPolygon: a collision shape. Shell: identity only; points and fixture
// building come with the shape models.
#pragma once

#include <string>

#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVModelPolygon : public QVModel {
    QV_MODEL_GLUE(QVModelPolygon, "", QVModel)
public:
    explicit QVModelPolygon(const std::string& name);
    QVModelPolygon(const QVModelPolygon& source);
};
