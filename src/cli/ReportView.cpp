#include "cli/ReportView.h"

#include <utility>

#include "cli/StopSignal.h"

namespace trelmark::cli {

ReportView::ReportView(std::string target, bool count, bool progress) : m_progress(progress) {
    m_data.target = std::move(target);
    m_data.counted = count;
}

void ReportView::InitGrid() {
    m_data.rows.assign(2, ReportRow{});
}

void ReportView::setRowCount(int rows) {
    m_data.rows.resize(static_cast<std::size_t>(rows < 0 ? 0 : rows));
}

void ReportView::setCell(int row, int column, const survey::Cell& cell) {
    if (row < 0 || column < 0 || column >= ColumnCount) {
        return;
    }
    if (static_cast<std::size_t>(row) >= m_data.rows.size()) {
        m_data.rows.resize(static_cast<std::size_t>(row) + 1);
    }
    m_data.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = cell;
}

void ReportView::yield() {
    if (StopSignal::requested() && !m_data.cancelled) {
        m_data.cancelled = true;
        if (m_stopAction) {
            m_stopAction();
        }
    }
}

void ReportView::showMessage(std::string_view, std::string_view text) {
    m_data.failure = std::string(text);
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
    m_data.lookupFailure = LookupFailure{step, std::string(path), error};
}

}  // namespace trelmark::cli
