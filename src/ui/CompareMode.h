// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "survey/SurveyRow.h"

namespace trelmark::store {
class StoredTree;
}

namespace trelmark::ui {

class GridExplorer;
class GridModel;
class MainForm;

// Compare mode of the result grid: an earlier survey (a kept survey file or another tool's export) is
// opened, and every survey the grid shows afterwards (a run, a drill-down, an opened survey) is joined with
// it by path: the column "増減" after Size(bytes) gives each row's change in bytes, rows new since then say
// "新規", the directories only the earlier survey held follow as rows marked "削除". Leaving the mode
// takes the column away and fits the six columns as they would be without it.
//
// The earlier survey is read aside (survey::callAside), so a file on a share that does not answer never
// freezes the window; its rows are joined once the grid's rows are final, while no run writes them.
// Owned by the window; the form, its grid and the explorer must outlive it. Thread: the GUI thread.
// Errors: a file that cannot be opened or read is said in a message box; the grid stays as it was.
class CompareMode final : public QObject {
    Q_OBJECT
public:
    struct Survey {
        std::function<std::string()> directory;  // the directory whose rows are shown, raw; empty: none
        std::function<bool()> running;           // a run is writing the rows
    };

    CompareMode(MainForm& form, GridExplorer& explorer, Survey survey, QObject* parent = nullptr);
    ~CompareMode() override;

    // Opens `fileName` as the earlier survey and compares the rows shown with it, entering compare mode;
    // false after a message box has said why not.
    bool open(const QString& fileName);
    // Asks for the file in a dialog, then opens it.
    void chooseFile();
    // Back to the six columns.
    void stop();
    // The grid's rows are final: they are compared (later, from the event loop, once the run has unwound).
    void rowsFinal();
    [[nodiscard]] bool active() const noexcept { return m_old != nullptr; }

private:
    void compareNow();
    [[nodiscard]] std::vector<survey::SurveyRow> shownRows() const;
    void showProblem(const QString& what, const std::string& reason);

    MainForm& m_form;
    GridExplorer& m_explorer;
    GridModel& m_grid;
    Survey m_survey;
    std::shared_ptr<store::StoredTree> m_old;
    QString m_fileName;
    // An aside call is under way (the event loop runs meanwhile); a comparison asked for then waits.
    bool m_waiting = false;
    bool m_compareAgain = false;
};

}  // namespace trelmark::ui
