// SPDX-License-Identifier: MIT
#include "cli/CompareReport.h"

#include "cli/OpenedReport.h"
#include "cli/ReportCommand.h"

namespace trelmark::cli {

ReportOutcome comparedOutcome(ReportOutcome outcome, const survey::ReportData& data,
                              const ReportOptions& options) {
    std::string problem;
    const auto old = openForReport(*options.compare, options, problem);
    // The report then holds nothing: the survey's own diagnostics stay, with why.
    const auto refused = [&outcome](std::string why) {
        outcome.messages.push_back(std::move(why));
        return ReportOutcome{{}, std::move(outcome.messages), ExitUnreadable};
    };
    if (old == nullptr) {
        return refused(std::move(problem));
    }
    const auto rows = store::compareRows(data.reachedRows(), data.target, *old);
    if (!rows) {
        return refused(damageMessage(*old));
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
