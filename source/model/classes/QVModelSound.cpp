#include "model/classes/QVModelSound.h"

#include "model/classes/QVModelMediaPath.h"

QVBaseModelSound::QVBaseModelSound(const std::string& name) : QVModel(name) {}

QVBaseModelSound::QVBaseModelSound(const QVBaseModelSound& source) : QVModel(source) {}

std::string QVBaseModelSound::filePath() const { return qvMediaPath("/sounds/QVModelSound_ID", id(), ".mp3"); }

QVModelSound::QVModelSound(const std::string& name) : QVBaseModelSound(name) {}

QVModelSound::QVModelSound(const QVModelSound& source) : QVBaseModelSound(source) {}
