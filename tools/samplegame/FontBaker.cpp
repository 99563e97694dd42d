#include "FontBaker.h"

namespace samplegame {

bool writeFont(const QVModelController& controller, const std::string& ttf, const std::string& root, std::string& error) {
    (void)controller;
    (void)root;
    (void)error;
    (void)ttf;
    return true;
}

}  // namespace samplegame
