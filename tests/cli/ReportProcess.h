#pragma once

#include <functional>
#include <string>
#include <vector>

namespace trelmark::test {

// One run of the built trelmark-report, with what it printed.
struct ReportRun {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs the report tool with `arguments` and waits for it. `whileRunning`, when given, is called with the
// child's pid and the stderr read so far each time stderr grows (stderr is then a terminal, so the tool
// shows its progress line); it may signal the child.
ReportRun runReport(const std::vector<std::string>& arguments,
                    const std::function<void(int pid, const std::string& err)>& whileRunning = {});
// The same for any command (searched in PATH), for running the tool through setpriv.
ReportRun runCommand(const std::vector<std::string>& command,
                     const std::function<void(int pid, const std::string& err)>& whileRunning = {});

}  // namespace trelmark::test
