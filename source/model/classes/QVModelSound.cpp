#include "model/classes/QVModelSound.h"

QVBaseModelSound::QVBaseModelSound(const std::string& name) : QVModel(name) {}

QVBaseModelSound::QVBaseModelSound(const QVBaseModelSound& source) : QVModel(source) {}

std::string QVBaseModelSound::filePath() const { return std::string(); }

QVModelSound::QVModelSound(const std::string& name) : QVBaseModelSound(name) {}

QVModelSound::QVModelSound(const QVModelSound& source) : QVBaseModelSound(source) {}
