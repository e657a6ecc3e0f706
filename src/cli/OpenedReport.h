// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "cli/ReportOptions.h"
#include "store/StoredTree.h"

namespace trelmark::cli {

// The report answered from kept surveys or exports (options.open) with no walk: one file gives the report
// a walk would give at its root or at the directory `options.directory` inside it; several give a row per
// file under a total row. Prints the report and its diagnostics and returns the exit status; a file that
// cannot be read or trusted is named on stderr with what is wrong, and the status is ExitUnreadable.
// The main thread.
[[nodiscard]] int reportFromSurveys(const ReportOptions& options);

// Opens one survey or export for the options; nullptr and `problem` (naming the file) when it cannot.
[[nodiscard]] std::shared_ptr<store::StoredTree> openForReport(const std::string& fileName,
                                                               const ReportOptions& options,
                                                               std::string& problem);

// That `tree`'s file is damaged, and what is wrong.
[[nodiscard]] std::string damageMessage(const store::StoredTree& tree);

}  // namespace trelmark::cli
