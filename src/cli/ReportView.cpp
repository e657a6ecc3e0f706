// SPDX-License-Identifier: MIT
#include "cli/ReportView.h"

#include <algorithm>
#include <utility>

#include "cli/RecordLines.h"

namespace trelmark::cli {

namespace {

// Often enough for a person and for a script watching the rows grow. A survey of many rows, whose lines
// take long to write, sends them less often: at most a fiftieth of its time goes to them.
constexpr auto kFlushInterval = std::chrono::milliseconds(100);
constexpr int kFlushShare = 50;

}  // namespace

ReportView::ReportView(std::string target, bool count, LineOutput output, bool progress)
    : m_output(std::move(output)), m_progress(progress) {
    m_data.target = std::move(target);
    m_data.counted = count;
}

void ReportView::driveFigures(fs::Figure total, fs::Figure available) {
    m_data.driveTotalSize = total;
    m_data.driveAvailableSpace = available;
    m_output(driveRecord(total, available));
}

void ReportView::clearRows() {
    m_data.rows.clear();
    m_changed.clear();
}

void ReportView::setRowCount(int rows) {
    const std::size_t count = static_cast<std::size_t>(rows < 0 ? 0 : rows);
    m_data.rows.resize(count);
    m_changed.resize(count);
}

void ReportView::rowChanged(int index, const survey::SurveyRow& row, survey::Column) {
    if (index < 0) {
        return;
    }
    const auto at = static_cast<std::size_t>(index);
    if (at >= m_data.rows.size()) {
        m_data.rows.resize(at + 1);
        m_changed.resize(at + 1);
    }
    m_data.rows[at] = row;
    m_changed[at] = true;
}

void ReportView::yield() {
    flushIfDue();
    if (!m_data.cancelled && m_stopCheck && m_stopCheck()) {
        m_data.cancelled = true;
        if (m_stopAction) {
            m_stopAction();
        }
    }
}

void ReportView::walkProgress(const fs::WalkProgress& progress) {
    m_entries = progress.entries;
    m_bytes = progress.bytes;
    m_progressChanged = m_progress;
}

void ReportView::currentDirectory(std::string_view path) {
    if (!path.empty() && m_progress) {
        m_directory = std::string(path);
        m_progressChanged = true;
    }
}

void ReportView::lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) {
    m_data.lookupFailure = survey::LookupFailure{step, std::string(path), error};
}

void ReportView::flushIfDue() {
    if (std::chrono::steady_clock::now() - m_lastFlush >= m_flushInterval) {
        flush();
    }
}

void ReportView::flush() {
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - m_started).count();
    bool sent = false;
    for (std::size_t at = 0; at < m_changed.size(); ++at) {
        if (m_changed[at] && m_data.rows[at]) {
            m_output(rowRecord(static_cast<int>(at), *m_data.rows[at], seconds));
            sent = true;
        }
        m_changed[at] = false;
    }
    if (m_progressChanged) {
        m_output(progressRecord(m_entries, m_bytes));
        if (!m_directory.empty()) {
            m_output(directoryRecord(m_directory));
        }
        m_progressChanged = false;
        sent = true;
    }
    // The interval runs from the last lines sent: the first rows go out at the first yield that has them.
    if (sent) {
        m_lastFlush = std::chrono::steady_clock::now();
        m_flushInterval =
            std::max<std::chrono::steady_clock::duration>(kFlushInterval, kFlushShare * (m_lastFlush - now));
    }
}

}  // namespace trelmark::cli
