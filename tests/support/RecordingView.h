#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "survey/SurveyView.h"

namespace trelmark::test {

// A view for the engine's tests: it logs every call in order, one line each ("setCell 3 1 1,024",
// "yield", ...), keeps the grid and the labels as a window would, and can run an action at its Nth yield
// (for example a click on the exit button through the engine).
class RecordingView : public survey::SurveyView {
public:
    void InitGrid() override;
    void setRowCount(int rows) override;
    void setCell(int row, int column, const survey::Cell& cell) override;
    void setDriveTotalSize(const survey::Cell& cell) override;
    void setDriveAvailableSpace(const survey::Cell& cell) override;
    void EnableControls(bool enabled) override;
    void setExitCaption(std::string_view caption) override;
    void setBusyPointer(bool busy) override;
    void yield() override;
    void showMessage(std::string_view title, std::string_view text) override;
    bool countOption() const override { return count; }
    std::string directoryPath() const override { return directory; }
    void walkProgress(const fs::WalkProgress& progress) override;
    void lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) override;
    void surveyProblems(const std::vector<fs::Problem>& problems) override;

    // Runs `action` at the `n`th yield, counted from 1 over the view's life.
    void atYield(int n, std::function<void()> action) { m_actions[n] = std::move(action); }
    // The log lines that start with `prefix`.
    [[nodiscard]] std::vector<std::string> lines(std::string_view prefix) const;
    // The text of a cell, empty when never written.
    [[nodiscard]] std::string text(int row, int column) const;
    [[nodiscard]] const survey::Cell* cell(int row, int column) const;
    void clearLog() { log.clear(); }

    bool count = true;
    std::string directory;

    std::vector<std::string> log;
    int rows = 0;
    std::map<std::pair<int, int>, survey::Cell> grid;
    std::string driveTotal;
    std::string driveAvailable;
    std::string exitCaption = "終了";
    bool enabled = true;
    bool busy = false;
    int yields = 0;
    std::vector<std::pair<std::string, std::string>> messages;  // title, text
    std::vector<fs::Problem> problems;

private:
    std::map<int, std::function<void()>> m_actions;
};

}  // namespace trelmark::test
