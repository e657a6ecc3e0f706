// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace trelmark::test {

// One finished run of a program, with all it printed.
struct ProcessRun {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    bool timedOut = false;
    std::string out;
    std::string err;
    double seconds = 0;
};

// Called with the child's pid and the stderr read so far, each time stderr grows; it may signal the child.
using WhileRunning = std::function<void(int pid, const std::string& err)>;

struct ProcessOptions {
    enum class Stderr { Pipe, Terminal };

    // A run that outlives it is killed and marked timedOut, so that a hang fails its test instead of
    // stalling the suite.
    std::chrono::milliseconds deadline = std::chrono::seconds(120);
    // Terminal: stderr is a pseudo-terminal, so a program that shows progress only to a person does so.
    Stderr stderrTo = Stderr::Pipe;
    WhileRunning whileRunning;
    // When set, whileRunning is also called this often, whether stderr grew or not.
    std::chrono::milliseconds tick{0};
    // Called with the stdout read so far, each time it grows.
    WhileRunning whileOutput;
};

// The processes that `pid` started and that still run (its children in /proc); empty when it has none.
[[nodiscard]] std::vector<int> childrenOf(int pid);

// Runs `command` (its first word searched in PATH) and waits for it, reading stdout and stderr as they come
// so that neither pipe can fill and block the child. Test code; throws std::runtime_error when the child
// cannot be started at all (a command that is not found ends with status 127).
[[nodiscard]] ProcessRun runProcess(const std::vector<std::string>& command,
                                    const ProcessOptions& options = {});

}  // namespace trelmark::test
