// QVModelScreen: a screen of the game (menu, HUD, world base). Shell: identity
// only; its attributes and object list come with the screen model.
#pragma once

#include <string>

#include "model/classes/QVModelCompound.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelScreen : public QVModelCompound {
protected:
    explicit QVBaseModelScreen(const std::string& name);
    QVBaseModelScreen(const QVBaseModelScreen& source);
};

class QVModelScreen : public QVBaseModelScreen {
    QV_MODEL_GLUE(QVModelScreen, "", QVModelCompound, QVModel)
public:
    explicit QVModelScreen(const std::string& name);
    QVModelScreen(const QVModelScreen& source);
};
