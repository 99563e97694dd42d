// The classes test binaries start as the player does: the real model classes
// are registered with the shared controller before anything loads.
#include <gtest/gtest.h>

#include "model/classes/QVModelClasses.h"

int main(int argc, char** argv) {
    registerModelClasses();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
