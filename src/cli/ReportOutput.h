// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "cli/ReportOptions.h"
#include "survey/ReportData.h"

namespace trelmark::cli {

// The report of one survey in the format the options ask for: the immediate rows, or the listing of the
// tree below the target (--depth, --top) read from the walk behind the rows. Any thread; never fails.
[[nodiscard]] std::string renderReport(const survey::ReportData& data, const ReportOptions& options);

}  // namespace trelmark::cli
