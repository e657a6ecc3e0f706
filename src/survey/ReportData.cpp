// SPDX-License-Identifier: MIT
#include "survey/ReportData.h"

namespace trelmark::survey {

bool ReportData::partial() const {
    for (const auto& row : rows) {
        if (row && !row->complete()) {
            return true;
        }
    }
    return !problems.empty();
}

std::vector<survey::SurveyRow> ReportData::reachedRows() const {
    std::vector<survey::SurveyRow> reached;
    for (const auto& row : rows) {
        if (row) {
            reached.push_back(*row);
        }
    }
    return reached;
}

void ReportData::forgetDrive() {
    driveTotalSize.reset();
    driveAvailableSpace.reset();
    for (auto& row : rows) {
        if (row) {
            row->totalShare.reset();
        }
    }
}

}  // namespace trelmark::survey
