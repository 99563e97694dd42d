#include "FixedFiles.h"

namespace samplegame {

bool writeFixedFiles(const QVModelController& controller, const std::string& root, std::string& error) {
    (void)controller;
    (void)root;
    (void)error;
    return true;
}

}  // namespace samplegame
