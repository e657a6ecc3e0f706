// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "support/ProcessRun.h"
#include "support/TempTree.h"

namespace trelmark::test {

// Runs the built trelmark-report (TRELMARK_REPORT_PATH, defined by the test target) as root or as "nobody"
// (through setpriv, so that permissions bind: the tests run as root), each run bounded by the runner's
// deadline. Nobody runs a copy of the program in a directory of its own, since the build directory may lie
// where nobody cannot reach (a clone under /root); the copy is made on the first such run and removed with
// the runner. Test code; one thread; throws std::runtime_error when the copy or a run cannot be made.
class ReportRunner {
public:
    enum class User { Root, Nobody };

    explicit ReportRunner(std::chrono::seconds deadline = std::chrono::seconds(120));
    ReportRunner(const ReportRunner&) = delete;
    ReportRunner& operator=(const ReportRunner&) = delete;

    [[nodiscard]] ProcessRun run(const std::vector<std::string>& arguments, User user = User::Root) const;
    // As root with stderr on a terminal, so the tool shows its progress line; `whileRunning` sees it grow.
    [[nodiscard]] ProcessRun runOnTerminal(const std::vector<std::string>& arguments,
                                           const WhileRunning& whileRunning) const;
    // As root, with `whileRunning` called every 10 ms while the program runs, and `whileOutput` (if any)
    // each time stdout grows.
    [[nodiscard]] ProcessRun runWatched(const std::vector<std::string>& arguments,
                                        const WhileRunning& whileRunning,
                                        const WhileRunning& whileOutput = {}) const;

private:
    [[nodiscard]] std::vector<std::string> command(const std::vector<std::string>& arguments,
                                                   User user) const;

    std::chrono::seconds m_deadline;
    mutable std::unique_ptr<TempTree> m_nobodyBin;  // a cache: made on the first run as nobody
};

}  // namespace trelmark::test
