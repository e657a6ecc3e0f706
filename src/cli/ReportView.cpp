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

ReportView::ReportView(LineOutput output, bool progress)
    : m_output(std::move(output)), m_progress(progress) {}

void ReportView::driveFigures(fs::Figure total, fs::Figure available) {
    m_output(driveRecord(total, available));
}

void ReportView::clearRows() {
    m_unsent.clear();
}

void ReportView::setRowCount(int) {}

void ReportView::rowChanged(int index, const survey::SurveyRow& row, survey::Column) {
    if (index >= 0) {
        m_unsent.insert_or_assign(static_cast<std::size_t>(index), row);
    }
}

void ReportView::yield() {
    flushIfDue();
    if (!m_stopAsked && m_stopCheck && m_stopCheck()) {
        m_stopAsked = true;
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

void ReportView::flushIfDue() {
    if (std::chrono::steady_clock::now() - m_lastFlush >= m_flushInterval) {
        flush();
    }
}

void ReportView::flush() {
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - m_started).count();
    const bool sent = !m_unsent.empty() || m_progressChanged;
    for (const auto& [at, row] : m_unsent) {
        m_output(rowRecord(static_cast<int>(at), row, seconds));
    }
    m_unsent.clear();
    if (m_progressChanged) {
        m_output(progressRecord(m_entries, m_bytes));
        if (!m_directory.empty()) {
            m_output(directoryRecord(m_directory));
        }
        m_progressChanged = false;
    }
    // The interval runs from the last lines sent: the first rows go out at the first yield that has them.
    if (sent) {
        m_lastFlush = std::chrono::steady_clock::now();
        m_flushInterval =
            std::max<std::chrono::steady_clock::duration>(kFlushInterval, kFlushShare * (m_lastFlush - now));
    }
}

}  // namespace trelmark::cli
