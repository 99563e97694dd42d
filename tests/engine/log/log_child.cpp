// Writes its arguments as log lines, so tests can check where QVP_LOG sends
// them in a process of its own.
#include "platform/QVLog.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) logMessage("%s", argv[i]);
    return 0;
}
