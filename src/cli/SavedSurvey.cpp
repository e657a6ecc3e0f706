// SPDX-License-Identifier: MIT
#include "cli/SavedSurvey.h"

#include "cli/CompareReport.h"
#include "cli/ReportCommand.h"
#include "store/ReportFacts.h"
#include "store/SurveyFileWriter.h"
#include "util/DisplayName.h"
#include "util/Version.h"

namespace trelmark::cli {

std::optional<std::string> saveReport(const ReportOptions& options, const survey::ReportData& data,
                                      std::chrono::system_clock::time_point began) {
    const store::SurveyMaking making{began, std::string("trelmark-report ") + util::kFileVersion,
                                     options.diskUsage, options.hardLinksOnce, options.exclude};
    return store::saveSurvey(*options.save, store::factsOfReport(data, making), data.tree);
}

ReportOutcome withKeptSurveys(const survey::ReportData& data, const ReportOptions& options,
                              std::chrono::system_clock::time_point began) {
    const std::vector<survey::TreeRow> listing = walkedListing(data, options);
    ReportOutcome outcome = reportOutcome(data, options, listing);
    if (data.lookupFailure) {
        return outcome;
    }
    // Compared first: the survey to compare with may be the very file this one replaces.
    if (options.compare) {
        outcome = comparedOutcome(std::move(outcome), data, options, listing);
    }
    if (options.save) {
        if (const auto unsaved = saveReport(options, data, began)) {
            outcome.messages.push_back("cannot save the survey to '" + util::displayName(*options.save) +
                                       "': " + *unsaved);
            outcome.status = outcome.status == ExitDone ? ExitFailed : outcome.status;
        }
    }
    return outcome;
}

}  // namespace trelmark::cli
