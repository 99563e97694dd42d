#include <string>
#include <vector>

#include "pngprobe.h"

int main(int argc, char** argv) { return pngprobe::run(std::vector<std::string>(argv + 1, argv + argc)); }
