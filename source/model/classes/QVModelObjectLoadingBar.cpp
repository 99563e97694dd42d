#include "model/classes/QVModelObjectLoadingBar.h"

QVModelObjectLoadingBar::QVModelObjectLoadingBar(const std::string& name) : QVModelObject(name) {}

QVModelObjectLoadingBar::QVModelObjectLoadingBar(const QVModelObjectLoadingBar& source) : QVModelObject(source) {}
