#include "model/classes/QVModelFont.h"

QVBaseModelFont::QVBaseModelFont(const std::string& name) : QVModel(name) {}

QVBaseModelFont::QVBaseModelFont(const QVBaseModelFont& source) : QVModel(source) {}

QVModelFont::QVModelFont(const std::string& name) : QVBaseModelFont(name) {}

QVModelFont::QVModelFont(const QVModelFont& source) : QVBaseModelFont(source) {}
