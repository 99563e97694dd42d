#include "Atlas.h"

namespace samplegame {

bool writeAtlases(QVModelController& controller, const std::string& root, std::string& error) {
    (void)controller;
    (void)root;
    (void)error;
    return true;
}

}  // namespace samplegame
