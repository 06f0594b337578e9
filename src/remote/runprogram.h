#pragma once
// Runs a helper program (Samba's `net`) with an argument vector, never through a shell, and
// collects what it printed, up to a limit, so a chatty or broken helper cannot exhaust memory.
#include <cstddef>
#include <string>
#include <vector>

namespace varnel {

struct ProgramRun {
    bool started = false;  // false: the program could not be run at all (see startError)
    std::string startError;
    int exitCode = -1;  // 128 + signal number when a signal ended it
    std::string out;
    std::string err;
    bool truncated = false;  // it printed more than the limit; the rest was read and dropped
};

// `argv[0]` is looked up on PATH when it holds no '/'. Standard input is /dev/null.
ProgramRun runProgram(const std::vector<std::string>& argv, size_t outputLimit = 1 << 20);

}  // namespace varnel
