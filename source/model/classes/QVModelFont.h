// QVModelFont: a bitmap font of the game. Shell: identity only; the font file
// and label building come with the resource models.
#pragma once

#include <string>

#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelFont : public QVModel {
protected:
    explicit QVBaseModelFont(const std::string& name);
    QVBaseModelFont(const QVBaseModelFont& source);
};

class QVModelFont : public QVBaseModelFont {
    QV_MODEL_GLUE(QVModelFont, "Default Font", QVModel)
public:
    explicit QVModelFont(const std::string& name);
    QVModelFont(const QVModelFont& source);
};
