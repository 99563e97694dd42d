#include "model/classes/QVModelMediaPath.h"

#include <cstdio>

#include "model/core/QVModelController.h"

std::string qvMediaName(const char* idPrefix, uint32_t id, const char* extension) {
    char number[16];
    std::snprintf(number, sizeof number, "%u", id);
    return std::string(idPrefix) + number + extension;
}

std::string qvMediaPath(const char* idPrefix, uint32_t id, const char* extension) {
    return QVModelController::shared()->dataPath() + qvMediaName(idPrefix, id, extension);
}
