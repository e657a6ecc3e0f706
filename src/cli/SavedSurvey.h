// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "cli/ReportOptions.h"
#include "cli/ReportOutcome.h"
#include "survey/ReportData.h"

namespace trelmark::cli {

// Keeps the survey behind `data` (its walk, rows and drive figures) in the file `options.save`, with the
// options it was made with. Returns nothing when it is kept, else why not. Reads the finished walk.
[[nodiscard]] std::optional<std::string> saveReport(const ReportOptions& options,
                                                    const survey::ReportData& data,
                                                    std::chrono::system_clock::time_point began);

// The outcome of a walk (reportOutcome with the listing the options ask for) with what the options ask of
// kept surveys: the report compared with `options.compare`, the survey saved to `options.save` (a failed
// save is a message and, for a survey that was otherwise done, ExitFailed). Without those options, or when
// the survey failed to look its directory up, the outcome as it is.
[[nodiscard]] ReportOutcome withKeptSurveys(const survey::ReportData& data, const ReportOptions& options,
                                            std::chrono::system_clock::time_point began);

}  // namespace trelmark::cli
