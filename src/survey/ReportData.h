// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "fs/Figure.h"
#include "fs/Problem.h"
#include "survey/SurveyFailure.h"
#include "survey/SurveyRow.h"
#include "survey/SurveySink.h"
#include "survey/SurveyTree.h"

namespace trelmark::survey {

struct LookupFailure {
    survey::LookupStep step = survey::LookupStep::Folder;
    std::string path;  // raw bytes
    std::error_code error;
};

// Everything one survey produced, for the report formats to print. A plain value.
struct ReportData {
    std::string target;  // the surveyed directory, absolute, raw bytes
    bool counted = false;
    bool cancelled = false;
    std::optional<fs::Figure> driveTotalSize;
    std::optional<fs::Figure> driveAvailableSpace;
    // As the sink numbers them (ALL FILES first); a row the run never reached stays empty.
    std::vector<std::optional<survey::SurveyRow>> rows;
    std::optional<SurveyFailure> failure;
    std::optional<LookupFailure> lookupFailure;
    std::vector<fs::Problem> problems;
    // The walk behind the rows, for the listings of the tree below the target.
    fs::WalkedTree tree;

    // Some figure is only a lower bound.
    [[nodiscard]] bool partial() const;
    // The rows the run reached, in their order.
    [[nodiscard]] std::vector<survey::SurveyRow> reachedRows() const;
    // Drops the drive's figures and every row's share of the drive: for a survey that knows no drive (an
    // export of another tool).
    void forgetDrive();
};

}  // namespace trelmark::survey
