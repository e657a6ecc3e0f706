// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "cli/ProgressLine.h"
#include "survey/SurveySink.h"

namespace trelmark::cli {

// The report tool's own sink: progress on the terminal, and a stop signal turned into a stop of the run at
// its yields. What the run produced is collected by the survey::ReportCollector in front of it. Owns its
// progress line. Thread: the main thread. Errors: none.
class ReportView : public survey::SurveySink {
public:
    explicit ReportView(bool progress);

    // Called from yield() once a stop signal has come.
    void setStopAction(std::function<void()> action) { m_stopAction = std::move(action); }
    // Ends the progress line, before anything else is written.
    void finish() { m_progress.clear(); }

    void driveFigures(fs::Figure, fs::Figure) override {}
    void clearRows() override {}
    void setRowCount(int) override {}
    void rowChanged(int, const survey::SurveyRow&, survey::Column) override {}
    void yield() override;
    void failed(const survey::SurveyFailure&) override {}
    void lookupFailed(survey::LookupStep, std::string_view, std::error_code) override {}
    void walkProgress(const fs::WalkProgress& progress) override;
    void currentDirectory(std::string_view path) override;

private:
    bool m_stopAsked = false;
    ProgressLine m_progress;
    std::function<void()> m_stopAction;
};

}  // namespace trelmark::cli
