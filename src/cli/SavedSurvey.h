// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "cli/ReportOptions.h"
#include "survey/ReportData.h"

namespace trelmark::cli {

// Keeps the survey behind `data` (its walk, rows and drive figures) in the file `options.save`, with the
// options it was made with. Returns nothing when it is kept, else why not. The main thread; reads the
// finished walk.
[[nodiscard]] std::optional<std::string> saveReport(const ReportOptions& options,
                                                    const survey::ReportData& data,
                                                    std::chrono::system_clock::time_point began);

}  // namespace trelmark::cli
