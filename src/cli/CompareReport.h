// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "cli/ReportOptions.h"
#include "cli/ReportOutcome.h"
#include "cli/TreeFormats.h"
#include "store/SurveyComparison.h"
#include "survey/ReportData.h"

namespace trelmark::cli {

// `outcome` with its report replaced by that of `data` beside the kept survey `options.compare`, in the
// format asked for: the immediate rows, or for --depth and --top the listing `tree` read from `data.tree`.
// When that survey cannot be opened or is damaged, no report, the message why, and ExitUnreadable. Any
// thread.
[[nodiscard]] ReportOutcome comparedOutcome(ReportOutcome outcome, const survey::ReportData& data,
                                            const ReportOptions& options,
                                            const std::vector<survey::TreeRow>& tree);

// The formats of a compared report. Text: the grid's columns with "増減" (signed, grouped; "?" after a change
// whose figures are not both exact) after Size(bytes), and after Files and Dirs when counted, then "新規" or
// "削除". Csv and json: the fields of survey::formatCsv and formatJson, then bytes_change, files_change,
// dirs_change, change_complete and status ("kept", "new", "removed"); json adds "compared_with".
[[nodiscard]] std::string formatComparedText(const survey::ReportData& data,
                                             const std::vector<store::ComparedRow>& rows);
[[nodiscard]] std::string formatComparedCsv(const survey::ReportData& data,
                                            const std::vector<store::ComparedRow>& rows);
[[nodiscard]] std::string formatComparedJson(const survey::ReportData& data,
                                             const std::vector<store::ComparedRow>& rows,
                                             const store::StoredTree& old);

// The same for a listing of the tree (TreeFormats.h) whose rows carry their path and depth: text indents
// names by level (Depth) or shows the whole path (Top), csv and json keep the listing's fields and add the
// compared ones, json's "compared_with" included.
[[nodiscard]] std::string formatComparedTreeText(const survey::ReportData& data, TreeListing listing,
                                                 std::vector<store::ComparedRow> rows);
[[nodiscard]] std::string formatComparedTreeCsv(const survey::ReportData& data,
                                                const std::vector<store::ComparedRow>& rows);
[[nodiscard]] std::string formatComparedTreeJson(const survey::ReportData& data, TreeListing listing,
                                                 const std::vector<store::ComparedRow>& rows,
                                                 const store::StoredTree& old);

// Several surveys side by side: a total row, then one row per file with its figures at its root or at
// PATH inside it.
[[nodiscard]] ReportOutcome sideBySide(const ReportOptions& options);

}  // namespace trelmark::cli
