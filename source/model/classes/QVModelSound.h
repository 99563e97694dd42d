// QVModelSound: a sound or music file of the game, named by its id.
#pragma once

#include <string>

#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelSound : public QVModel {
public:
    // data path + "/sounds/QVModelSound_ID<id>.mp3".
    virtual std::string filePath() const;

protected:
    explicit QVBaseModelSound(const std::string& name);
    QVBaseModelSound(const QVBaseModelSound& source);
};

class QVModelSound : public QVBaseModelSound {
    QV_MODEL_GLUE(QVModelSound, "", QVModel)
public:
    explicit QVModelSound(const std::string& name);
    QVModelSound(const QVModelSound& source);
};
