// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "cli/ProgressLine.h"
#include "survey/ReportData.h"
#include "survey/SurveySink.h"

namespace trelmark::cli {

// The survey sink of the report tool: it keeps what the engine hands it as a survey::ReportData to print at
// the end, shows progress on the terminal, and turns a stop signal into a stop of the run at its yields. Owns
// its data and its progress line. Thread: the main thread. Errors: none; it only records.
class ReportView : public survey::SurveySink {
public:
    ReportView(std::string target, bool count, bool progress);

    // Called from yield() once a stop signal has come.
    void setStopAction(std::function<void()> action) { m_stopAction = std::move(action); }

    [[nodiscard]] const survey::ReportData& data() const noexcept { return m_data; }
    // Ends the progress line, before anything else is written.
    void finish() { m_progress.clear(); }

    void driveFigures(fs::Figure total, fs::Figure available) override;
    void clearRows() override;
    void setRowCount(int rows) override;
    void rowChanged(int index, const survey::SurveyRow& row, survey::Column column) override;
    void yield() override;
    void failed(std::string_view message) override { m_data.failure = std::string(message); }
    void lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) override;
    void walkProgress(const fs::WalkProgress& progress) override;
    void currentDirectory(std::string_view path) override;
    void surveyProblems(const std::vector<fs::Problem>& problems) override { m_data.problems = problems; }
    void surveyTree(const fs::WalkedTree& tree) override { m_data.tree = tree; }

private:
    survey::ReportData m_data;
    ProgressLine m_progress;
    std::function<void()> m_stopAction;
};

}  // namespace trelmark::cli
