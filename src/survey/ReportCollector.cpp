// SPDX-License-Identifier: MIT
#include "survey/ReportCollector.h"

#include <utility>

namespace trelmark::survey {

void ReportCollector::begin(std::string target, bool counted) {
    if (m_rowsCleared) {
        m_shown = std::move(m_current);
    }
    m_current = ReportData{};
    m_current.target = std::move(target);
    m_current.counted = counted;
    m_rowsCleared = false;
}

void ReportCollector::driveFigures(fs::Figure total, fs::Figure available) {
    m_current.driveTotalSize = total;
    m_current.driveAvailableSpace = available;
    m_next.driveFigures(total, available);
}

void ReportCollector::clearRows() {
    m_current.rows.clear();
    m_rowsCleared = true;
    m_next.clearRows();
}

void ReportCollector::setRowCount(int rows) {
    m_current.rows.resize(static_cast<std::size_t>(rows < 0 ? 0 : rows));
    m_next.setRowCount(rows);
}

void ReportCollector::rowChanged(int index, const SurveyRow& row, Column column) {
    if (index >= 0) {
        const auto at = static_cast<std::size_t>(index);
        if (at >= m_current.rows.size()) {
            m_current.rows.resize(at + 1);
        }
        m_current.rows[at] = row;
    }
    m_next.rowChanged(index, row, column);
}

void ReportCollector::failed(const SurveyFailure& failure) {
    m_current.failure = failure;
    m_next.failed(failure);
}

void ReportCollector::lookupFailed(LookupStep step, std::string_view path, std::error_code error) {
    m_current.lookupFailure = LookupFailure{step, std::string(path), error};
    m_next.lookupFailed(step, path, error);
}

void ReportCollector::surveyProblems(const std::vector<fs::Problem>& problems) {
    m_current.problems = problems;
    m_next.surveyProblems(problems);
}

void ReportCollector::surveyTree(const fs::WalkedTree& tree) {
    if (m_walk == Walk::Keep) {
        m_current.tree = tree;
    }
    m_next.surveyTree(tree);
}

void ReportCollector::surveyEnded(SurveyEnd end) {
    m_current.cancelled = m_current.cancelled || end == SurveyEnd::Stopped;
    m_next.surveyEnded(end);
}

}  // namespace trelmark::survey
