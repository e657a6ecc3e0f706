// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "survey/SurveyControls.h"
#include "survey/SurveySink.h"

namespace trelmark::test {

// A sink and window controls for the engine's tests: it logs every call in order, one line each
// ("row 3 Size 1,024", "yield", "ended Stopped", ...), keeps the rows and the drive figures as a window
// would, and can act at a yield that follows a given call (for example a stop once a row's name is written).
// Rows are numbered as the window's grid numbers them: the header is row 0, ALL FILES row 1.
class RecordingSink : public survey::SurveySink, public survey::SurveyControls {
public:
    void driveFigures(fs::Figure total, fs::Figure available) override;
    void clearRows() override;
    void setRowCount(int rows) override;
    void rowChanged(int index, const survey::SurveyRow& row, survey::Column column) override;
    void yield() override;
    void failed(const survey::SurveyFailure& failure) override;
    void lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) override;
    void walkProgress(const fs::WalkProgress& progress) override;
    void surveyProblems(const std::vector<fs::Problem>& problems) override;
    void surveyEnded(survey::SurveyEnd end) override;

    void EnableControls(bool enabled) override;
    void setExitButtonStops(bool stops) override;
    void setBusyPointer(bool busy) override;

    // Runs `action` at the first yield after a log line starting with `prefix` ("" for the first yield).
    void atYieldAfter(std::string prefix, std::function<void()> action);
    // The log lines that start with `prefix`.
    [[nodiscard]] std::vector<std::string> lines(std::string_view prefix) const;
    // The text the window shows in a cell, empty when never written.
    [[nodiscard]] std::string text(int row, int column) const;
    // The last state of a row, when one was handed over.
    [[nodiscard]] const survey::SurveyRow* row(int row) const;
    void clearLog() { log.clear(); }

    std::vector<std::string> log;
    int rows = 0;
    std::map<int, survey::SurveyRow> grid;  // by grid row
    std::string driveTotal;
    std::string driveAvailable;
    bool enabled = true;
    bool exitStops = false;
    bool busy = false;
    int yields = 0;
    std::vector<survey::SurveyFailure> failures;
    std::vector<fs::Problem> problems;
    std::optional<survey::SurveyEnd> end;

private:
    struct PendingAction {
        std::string prefix;
        bool armed = false;
        std::function<void()> action;
    };
    std::vector<PendingAction> m_actions;
    void note(std::string line);
};

}  // namespace trelmark::test
