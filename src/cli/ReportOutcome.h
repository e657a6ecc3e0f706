// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "cli/ReportOptions.h"
#include "survey/ReportData.h"
#include "survey/SurveyTree.h"

namespace trelmark::cli {

// What one run of the command leaves: the report for stdout, the diagnostics for stderr (without the
// program's name), the exit status (ReportCommand.h). A plain value.
struct ReportOutcome {
    std::string report;
    std::vector<std::string> messages;
    int status = 0;
};

// The outcome of a survey whose data is `data`: its report in the format `options` ask for, the directories
// that could not be read, whether it was stopped, failed or could not look its directory up. For --depth and
// --top the listing is `tree`. Free of I/O; any thread; never fails.
[[nodiscard]] ReportOutcome reportOutcome(const survey::ReportData& data, const ReportOptions& options,
                                          const std::vector<survey::TreeRow>& tree);

// The listing --depth or --top asks for, read from the walk behind `data`; empty without those options.
[[nodiscard]] std::vector<survey::TreeRow> walkedListing(const survey::ReportData& data,
                                                         const ReportOptions& options);
// The same listing from the survey's rows alone, for a survey whose walk never came back: the surveyed
// directory and its sub-directories as the rows left them (for --top the largest of those).
[[nodiscard]] std::vector<survey::TreeRow> rowListing(const survey::ReportData& data,
                                                      const ReportOptions& options);

}  // namespace trelmark::cli
