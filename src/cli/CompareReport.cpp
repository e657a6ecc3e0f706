// SPDX-License-Identifier: MIT
#include "cli/CompareReport.h"

#include "cli/OpenedReport.h"
#include "cli/ReportCommand.h"

namespace trelmark::cli {

ReportOutcome comparedOutcome(ReportOutcome outcome, const survey::ReportData& data,
                              const ReportOptions& options) {
    std::string problem;
    const auto old = openForReport(*options.compare, options, problem);
    if (old == nullptr) {
        return {{}, {problem}, ExitUnreadable};
    }
    const auto rows = store::compareRows(data.reachedRows(), data.target, *old);
    if (!rows) {
        return {{}, {damageMessage(*old)}, ExitUnreadable};
    }
    switch (options.format) {
        case ReportFormat::Csv:
            outcome.report = formatComparedCsv(data, *rows);
            break;
        case ReportFormat::Json:
            outcome.report = formatComparedJson(data, *rows, *old);
            break;
        case ReportFormat::Text:
            outcome.report = formatComparedText(data, *rows);
            break;
    }
    return outcome;
}

}  // namespace trelmark::cli
