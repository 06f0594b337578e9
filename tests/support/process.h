#pragma once
// Runs a program with an argument vector (no shell) and collects what it printed.
#include <string>
#include <vector>

namespace varnel::test {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ProcessResult runProcess(const std::vector<std::string>& argv);

// The varnel-cli binary under test (CTest passes its path in VARNEL_CLI).
std::string cliPath();

}  // namespace varnel::test
