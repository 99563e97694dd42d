#include "model/classes/QVModelScreen.h"

QVBaseModelScreen::QVBaseModelScreen(const std::string& name) : QVModelCompound(name) {}

QVBaseModelScreen::QVBaseModelScreen(const QVBaseModelScreen& source) : QVModelCompound(source) {}

QVModelScreen::QVModelScreen(const std::string& name) : QVBaseModelScreen(name) {}

QVModelScreen::QVModelScreen(const QVModelScreen& source) : QVBaseModelScreen(source) {}
