// SPDX-License-Identifier: MIT
#include "cli/SavedSurvey.h"

#include <climits>

#include <unistd.h>

#include "cli/CompareReport.h"
#include "cli/ReportCommand.h"
#include "store/SurveyFileWriter.h"
#include "util/DisplayName.h"
#include "util/Version.h"

namespace trelmark::cli {

namespace {

std::int64_t secondsOf(std::chrono::system_clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

}  // namespace

std::optional<std::string> saveReport(const ReportOptions& options, const survey::ReportData& data,
                                      std::chrono::system_clock::time_point began) {
    store::SurveyFacts facts;
    facts.root = data.target;
    facts.started = secondsOf(began);
    facts.ended = secondsOf(std::chrono::system_clock::now());
    facts.host = hostName();
    facts.program = std::string("trelmark-report ") + util::kFileVersion;
    facts.counts = options.count;
    facts.diskUsage = options.diskUsage;
    facts.hardLinksOnce = options.hardLinksOnce;
    facts.exclude = options.exclude;
    facts.driveTotal = data.driveTotalSize;
    facts.driveAvailable = data.driveAvailableSpace;
    // The window shows a drive's total size for its root: where ALL FILES shows more than was measured,
    // the survey began at the root.
    if (!data.rows.empty() && data.rows.front()) {
        const survey::SurveyRow& all = *data.rows.front();
        facts.driveRoot = all.bytes && all.measuredBytes && all.bytes->value != all.measuredBytes->value;
    }
    facts.stopped = data.cancelled || (data.tree.snapshot && data.tree.snapshot->stopped());
    // Every problem the walk met, not only the first ones a report lists.
    facts.problems = data.tree.snapshot ? data.tree.snapshot->problems(data.tree.node, SIZE_MAX) : data.problems;
    return store::saveSurvey(*options.save, facts, data.tree);
}

ReportOutcome withKeptSurveys(ReportOutcome outcome, const survey::ReportData& data,
                              const ReportOptions& options, std::chrono::system_clock::time_point began) {
    if (data.lookupFailure) {
        return outcome;
    }
    // Compared first: the survey to compare with may be the very file this one replaces.
    if (options.compare) {
        outcome = comparedOutcome(std::move(outcome), data, options);
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
