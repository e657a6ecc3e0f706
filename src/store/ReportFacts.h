// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "store/SurveyFacts.h"
#include "survey/ReportData.h"

namespace trelmark::store {

// How a survey was made, beside what its ReportData says: when it began, by which program, with which
// options of the component.
struct SurveyMaking {
    std::chrono::system_clock::time_point began;
    std::string program;  // the program and version, e.g. "trelmark 1.2.3"
    bool diskUsage = false;
    bool hardLinksOnce = false;
    std::vector<std::string> exclude;  // raw bytes
};

// The facts a survey file keeps of the survey behind `data` (its target, counts, drive figures, whether it
// was stopped, its problems), ended now, on this host. Every front end that saves builds them here.
[[nodiscard]] SurveyFacts factsOfReport(const survey::ReportData& data, const SurveyMaking& making);

// This machine's name; empty when the system does not say.
[[nodiscard]] std::string hostName();

}  // namespace trelmark::store
