// SPDX-License-Identifier: MIT
#include "cli/CompareReport.h"

#include <cstdio>

#include "cli/OpenedReport.h"

namespace trelmark::cli {

std::string compareReport(const survey::ReportData& data, const ReportOptions& options) {
    const auto old = openForReport(*options.compare, options);
    if (old == nullptr) {
        return {};
    }
    const auto rows = store::compareRows(data.reachedRows(), data.target, *old);
    if (!rows) {
        reportDamage(*old);
        return {};
    }
    switch (options.format) {
        case ReportFormat::Csv:
            return formatComparedCsv(data, *rows);
        case ReportFormat::Json:
            return formatComparedJson(data, *rows, *old);
        case ReportFormat::Text:
            break;
    }
    return formatComparedText(data, *rows);
}

}  // namespace trelmark::cli
