// SPDX-License-Identifier: MIT
#include "cli/ReportView.h"

#include <utility>

#include "cli/StopSignal.h"

namespace trelmark::cli {

ReportView::ReportView(std::string target, bool count, bool progress) : m_progress(progress) {
    m_data.target = std::move(target);
    m_data.counted = count;
}

void ReportView::driveFigures(fs::Figure total, fs::Figure available) {
    m_data.driveTotalSize = total;
    m_data.driveAvailableSpace = available;
}

void ReportView::clearRows() {
    m_data.rows.clear();
}

void ReportView::setRowCount(int rows) {
    m_data.rows.resize(static_cast<std::size_t>(rows < 0 ? 0 : rows));
}

void ReportView::rowChanged(int index, const survey::SurveyRow& row, survey::Column) {
    if (index < 0) {
        return;
    }
    if (static_cast<std::size_t>(index) >= m_data.rows.size()) {
        m_data.rows.resize(static_cast<std::size_t>(index) + 1);
    }
    m_data.rows[static_cast<std::size_t>(index)] = row;
}

void ReportView::yield() {
    if (StopSignal::requested() && !m_data.cancelled) {
        m_data.cancelled = true;
        if (m_stopAction) {
            m_stopAction();
        }
    }
}

void ReportView::walkProgress(const fs::WalkProgress& progress) {
    m_progress.setCounts(progress.entries, progress.bytes);
}

void ReportView::currentDirectory(std::string_view path) {
    if (!path.empty()) {
        m_progress.setDirectory(path);
    }
}

void ReportView::lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) {
    m_data.lookupFailure = survey::LookupFailure{step, std::string(path), error};
}

}  // namespace trelmark::cli
