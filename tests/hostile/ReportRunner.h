#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "support/TempTree.h"

namespace trelmark::test {

// One finished run of the report tool.
struct ReportOutcome {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    bool timedOut = false;
    std::string out;
    std::string err;
    double seconds = 0;
};

// Runs the built trelmark-report on hostile trees, as root or as "nobody" (through setpriv, so that
// permissions bind: the tests run as root), and kills it when it outlives its deadline, so that a hang fails
// the test instead of stalling the suite. Nobody runs a copy of the program in a directory of its own,
// since the build directory may lie where nobody cannot reach. Test code; one thread.
class ReportRunner {
public:
    enum class User { Root, Nobody };

    explicit ReportRunner(std::chrono::seconds deadline = std::chrono::seconds(120));

    [[nodiscard]] ReportOutcome run(const std::vector<std::string>& arguments, User user = User::Root) const;

private:
    std::chrono::seconds m_deadline;
    TempTree m_bin;
    std::string m_nobodyCopy;
};

// Runs a command (searched in PATH) with the same deadline handling.
[[nodiscard]] ReportOutcome runWithDeadline(const std::vector<std::string>& command,
                                            std::chrono::seconds deadline);

}  // namespace trelmark::test
