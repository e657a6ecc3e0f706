// SPDX-License-Identifier: MIT
#include "store/ReportFacts.h"

#include <climits>
#include <cstdint>

#include <unistd.h>

namespace trelmark::store {

namespace {

std::int64_t secondsOf(std::chrono::system_clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

}  // namespace

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

SurveyFacts factsOfReport(const survey::ReportData& data, const SurveyMaking& making) {
    SurveyFacts facts;
    facts.root = data.target;
    facts.started = secondsOf(making.began);
    facts.ended = secondsOf(std::chrono::system_clock::now());
    facts.host = hostName();
    facts.program = making.program;
    facts.counts = data.counted;
    facts.diskUsage = making.diskUsage;
    facts.hardLinksOnce = making.hardLinksOnce;
    facts.exclude = making.exclude;
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
    facts.problems =
        data.tree.snapshot ? data.tree.snapshot->problems(data.tree.node, SIZE_MAX) : data.problems;
    return facts;
}

}  // namespace trelmark::store
