// SPDX-License-Identifier: MIT
#include "cli/ReportView.h"

#include <utility>

#include "cli/StopSignal.h"

namespace trelmark::cli {

ReportView::ReportView(bool progress) : m_progress(progress) {}

void ReportView::yield() {
    if (StopSignal::requested() && !m_stopAsked) {
        m_stopAsked = true;
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

}  // namespace trelmark::cli
