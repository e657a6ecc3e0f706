#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "fs/Problem.h"
#include "fs/WalkProgress.h"
#include "survey/Cell.h"

namespace trelmark::survey {

// Which lookup of a run failed.
enum class LookupStep { Drive, Folder };

// What the survey engine needs of a front end: the window, the report tool, and the tests' recording fake
// each implement it. The engine never touches a widget; it calls these on its one thread, in the order the
// survey defines. Texts are UTF-8; paths are raw bytes.
class SurveyView {
public:
    virtual ~SurveyView() = default;

    // The grid: back to its header row and one empty row.
    virtual void InitGrid() = 0;
    // The number of grid rows, header included.
    virtual void setRowCount(int rows) = 0;
    virtual void setCell(int row, int column, const Cell& cell) = 0;

    virtual void setDriveTotalSize(const Cell& cell) = 0;
    virtual void setDriveAvailableSpace(const Cell& cell) = 0;

    // Switches the inputs and the check button on or off; the exit button and the grid stay usable.
    virtual void EnableControls(bool enabled) = 0;
    virtual void setExitCaption(std::string_view caption) = 0;
    virtual void setBusyPointer(bool busy) = 0;

    // Processes the front end's pending events; handlers, the exit button's among them, may run inside.
    virtual void yield() = 0;
    // A modal message with an OK button and no icon.
    virtual void showMessage(std::string_view title, std::string_view text) = 0;

    // checkFiles is not 0.
    [[nodiscard]] virtual bool countOption() const = 0;
    // The directory list's path: the directory to survey.
    [[nodiscard]] virtual std::string directoryPath() const = 0;

    // Optional notes for front ends that show more than the grid.
    // The walk under way: called with each progress report, after yield().
    virtual void walkProgress(const fs::WalkProgress& progress) { static_cast<void>(progress); }
    // The sub-directory whose row is being worked on (raw path), empty when none.
    virtual void currentDirectory(std::string_view path) { static_cast<void>(path); }
    // A run ended early because its drive or folder could not be looked up.
    virtual void lookupFailed(LookupStep step, std::string_view path, std::error_code error) {
        static_cast<void>(step), static_cast<void>(path), static_cast<void>(error);
    }
    // The directories below the surveyed folder that could not be read completely, at the end of a run that
    // found its folder; only when the engine was asked for them (SurveyOptions::problemLimit).
    virtual void surveyProblems(const std::vector<fs::Problem>& problems) { static_cast<void>(problems); }
};

}  // namespace trelmark::survey
