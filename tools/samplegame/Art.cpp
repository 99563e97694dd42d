#include "Art.h"

namespace samplegame {

bool writeArt(QVModelController& controller, const std::string& root, std::string& error) {
    (void)controller;
    (void)root;
    (void)error;
    return true;
}

}  // namespace samplegame
