// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string_view>

namespace trelmark::cli {

// Exit statuses of trelmark-report.
enum ExitStatus {
    ExitDone = 0,
    ExitFailed = 1,      // a directory could not be counted or measured; the component could not start
    ExitUnreadable = 2,  // the directory does not exist or cannot be read
    ExitUsage = 64,
    ExitStopped = 130,  // Ctrl-C or SIGTERM; the rows reached are printed
};

// The whole command: reads the arguments (those after the program's name), runs one survey in a survey
// process it supervises (ReportSupervisor), prints the report on stdout and diagnostics on stderr, and
// returns the exit status. Thread: the main thread, once per process, before any other thread starts (it
// installs signal handlers and forks).
[[nodiscard]] int runReport(std::span<const std::string_view> arguments);

}  // namespace trelmark::cli
