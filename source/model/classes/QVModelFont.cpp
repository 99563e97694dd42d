#include "model/classes/QVModelFont.h"

QVBaseModelFont::QVBaseModelFont(const std::string& name) : QVModel(name) {}

QVBaseModelFont::QVBaseModelFont(const QVBaseModelFont& source) : QVModel(source) {}

std::string QVBaseModelFont::filePath() const { return std::string(); }

QVModelFont::QVModelFont(const std::string& name) : QVBaseModelFont(name) {}

QVModelFont::QVModelFont(const QVModelFont& source) : QVBaseModelFont(source) {}

cocos2d::CCLabelBMFont* QVModelFont::createLabel() const { return nullptr; }
