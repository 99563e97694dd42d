#include "model/classes/QVModelPolygon.h"

QVModelPolygon::QVModelPolygon(const std::string& name) : QVModel(name) {}

QVModelPolygon::QVModelPolygon(const QVModelPolygon& source) : QVModel(source) {}
