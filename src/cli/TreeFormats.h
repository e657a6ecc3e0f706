// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "survey/ReportData.h"
#include "survey/SurveyTree.h"

namespace trelmark::cli {

// Which listing of the tree below the target a report prints instead of its immediate rows.
enum class TreeListing {
    Depth,  // the target and the directories below it down to a depth, a directory before its contents
    Top,    // the largest directories below the target, largest first
};

// The report tool's outputs for a listing of directories (survey::TreeRow), each built whole beside the
// survey's data (drive figures, flags, errors). Free functions without state; any thread; they never fail.

// As survey::formatText, the name column indented by two blanks a level for Depth, the whole path for Top.
[[nodiscard]] std::string formatTreeText(const survey::ReportData& data, TreeListing listing,
                                         const std::vector<survey::TreeRow>& rows);

// RFC 4180 as survey::formatCsv, one record per directory: kind ("all" for the target, "dir" below it), path,
// depth, the figures and whether every figure is exact. The drive's figures come first, as in
// survey::formatCsv.
[[nodiscard]] std::string formatTreeCsv(const survey::ReportData& data,
                                        const std::vector<survey::TreeRow>& rows);

// One object as survey::formatJson, with "listing" ("depth" or "top") and "directories" in place of "rows";
// paths escaped as names are, with the raw bytes beside them in base64.
[[nodiscard]] std::string formatTreeJson(const survey::ReportData& data, TreeListing listing,
                                         const std::vector<survey::TreeRow>& rows);

}  // namespace trelmark::cli
