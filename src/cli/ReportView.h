#pragma once

#include <functional>
#include <string>

#include "cli/ProgressLine.h"
#include "cli/ReportData.h"
#include "survey/SurveyView.h"

namespace trelmark::cli {

// The survey view of the report tool: it keeps what the engine writes as a ReportData to print at the end,
// shows progress on the terminal, and turns a stop signal into a click on the exit button at its yields.
// Owns its data and its progress line. Thread: the main thread. Errors: none; it only records.
class ReportView : public survey::SurveyView {
public:
    ReportView(std::string target, bool count, bool progress);

    // Called from yield() once a stop signal has come: the exit button's click.
    void setStopAction(std::function<void()> action) { m_stopAction = std::move(action); }

    [[nodiscard]] const ReportData& data() const noexcept { return m_data; }
    // Ends the progress line, before anything else is written.
    void finish() { m_progress.clear(); }

    void InitGrid() override;
    void setRowCount(int rows) override;
    void setCell(int row, int column, const survey::Cell& cell) override;
    void setDriveTotalSize(const survey::Cell& cell) override { m_data.driveTotalSize = cell; }
    void setDriveAvailableSpace(const survey::Cell& cell) override { m_data.driveAvailableSpace = cell; }
    void EnableControls(bool) override {}
    void setExitCaption(std::string_view) override {}
    void setBusyPointer(bool) override {}
    void yield() override;
    void showMessage(std::string_view title, std::string_view text) override;
    [[nodiscard]] bool countOption() const override { return m_data.counted; }
    [[nodiscard]] std::string directoryPath() const override { return m_data.target; }
    void walkProgress(const fs::WalkProgress& progress) override;
    void currentDirectory(std::string_view path) override;
    void lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) override;
    void surveyProblems(const std::vector<fs::Problem>& problems) override { m_data.problems = problems; }

private:
    ReportData m_data;
    ProgressLine m_progress;
    std::function<void()> m_stopAction;
};

}  // namespace trelmark::cli
