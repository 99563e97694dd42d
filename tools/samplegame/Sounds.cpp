#include "Sounds.h"

namespace samplegame {

bool writeSounds(const QVModelController& controller, const std::string& root, std::string& error) {
    (void)controller;
    (void)root;
    (void)error;
    return true;
}

}  // namespace samplegame
