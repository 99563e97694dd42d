// Runs a command line through the shell for the crash tests, optionally
// killed with SIGKILL after a delay, and collects its standard output.
#pragma once

#include <cstdio>
#include <string>

namespace qvtest {

struct ToolRun {
    std::string out;
    int status = -1;  // of the shell: 137 when the tool was killed
};

inline ToolRun runCommand(std::string command, int killMs = -1) {
    if (killMs >= 0) command += " & sleep " + std::to_string(killMs / 1000.0) + "; kill -KILL $! 2>/dev/null; wait $!";
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    if (pipe) run.status = ::pclose(pipe);
    return run;
}

}  // namespace qvtest
