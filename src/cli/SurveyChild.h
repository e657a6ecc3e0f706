// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "cli/ReportOptions.h"

namespace trelmark::cli {

// The survey process: the part of trelmark-report that touches the surveyed file system. It looks the
// directory up, walks it through the engine and sends what it learns to the command that supervises it, as
// record lines (RecordLines.h) on `records`: the drive's figures, the rows as they change, the progress when
// `progress` is set, and last an end record with the report itself. It stops when `control` becomes readable
// (a byte, or the command gone). Returns the exit status it reported.
// Thread: the process's main thread; the engine starts the walk's workers. Errors: as the end record's
// status and messages; a write to a command that went away ends the process (SIGPIPE).
[[nodiscard]] int runSurveyChild(const ReportOptions& options, const std::string& target, bool progress,
                                 int records, int control);

}  // namespace trelmark::cli
