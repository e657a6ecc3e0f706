#pragma once

#include <array>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "fs/Problem.h"
#include "survey/Cell.h"
#include "survey/SurveyView.h"

namespace trelmark::cli {

// One grid row as the engine wrote it; a cell never written stays empty.
using ReportRow = std::array<std::optional<survey::Cell>, 6>;

// The columns of the grid, as the window lays them out.
enum Column { ColumnName, ColumnSize, ColumnTotal, ColumnUsed, ColumnFiles, ColumnDirs, ColumnCount };

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
    std::optional<survey::Cell> driveTotalSize;
    std::optional<survey::Cell> driveAvailableSpace;
    std::vector<ReportRow> rows;         // index = grid row; row 0, the header, stays empty
    std::optional<std::string> failure;  // the message box's text
    std::optional<LookupFailure> lookupFailure;
    std::vector<fs::Problem> problems;

    // Some figure is only a lower bound.
    [[nodiscard]] bool partial() const;
    // The rows the run reached: those with at least one cell written.
    [[nodiscard]] std::vector<int> writtenRows() const;
};

}  // namespace trelmark::cli
