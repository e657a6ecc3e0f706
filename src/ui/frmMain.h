// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QCursor>
#include <QElapsedTimer>
#include <QPointer>

#include "survey/ProgramState.h"
#include "survey/ReportCollector.h"
#include "survey/SurveyControls.h"
#include "survey/SurveySink.h"
#include "ui/MainForm.h"

namespace trelmark::survey {
class MapTree;
class SurveyEngine;
}  // namespace trelmark::survey

namespace trelmark::ui {

class CompareMode;
class GridExplorer;
class KeptSurveys;
class MapWindow;

// The main window: the form's controls (MainForm) put to work. It keeps its path controls in step (one
// guard, `flagChanging`, stops the chain of change notifications); its buttons run and stop the survey
// engine, whose results it shows (the sink) and whose run switches its controls. It holds no survey logic.
//
// Owns the engine; the program state and the quit callback belong to the caller and must outlive it.
// Closing it only hides it (the caller deletes it after the event loop), so that a survey that is still on
// the stack can finish against a living view.
// Thread: the GUI thread. Errors: a start directory the lists refuse opens the program's own directory.
class frmMain final : public MainForm, private survey::SurveySink, private survey::SurveyControls {
    Q_OBJECT
public:
    frmMain(survey::ProgramState& state, std::string programDirectory, std::function<void()> quitApplication,
            QWidget* parent = nullptr);
    // The drives offered are given, not read from the system: for tests.
    frmMain(survey::ProgramState& state, std::string programDirectory, std::function<void()> quitApplication,
            std::unique_ptr<DriveCatalog> drives, QWidget* parent = nullptr);
    ~frmMain() override;

    // What the engine sees of the window: the sink of its results and the controls a run switches.
    [[nodiscard]] survey::SurveySink& sink() noexcept { return m_report; }
    [[nodiscard]] survey::SurveyControls& controls() noexcept { return *this; }
    [[nodiscard]] survey::SurveyEngine& engine() noexcept { return *m_engine; }
    [[nodiscard]] bool flagChanging() const noexcept { return m_flagChanging; }
    // The caption without a run's progress.
    [[nodiscard]] const QString& caption() const noexcept { return m_caption; }
    // Sorting, opening rows and the context menu of the grid.
    [[nodiscard]] GridExplorer* gridExplorer() const noexcept { return m_explorer; }
    // The grid's compare mode: the change against an earlier survey.
    [[nodiscard]] CompareMode* compareMode() const noexcept { return m_compare; }
    // The line that says the grid shows a kept walk's figures; nullptr until the first drill-down.
    [[nodiscard]] QLabel* labelFromWalk() const noexcept { return m_labelFromWalk; }
    // Survey files: saving the last walk, and an opened survey on show in its place.
    [[nodiscard]] KeptSurveys& keptSurveys() const noexcept { return *m_kept; }

    // 0: the exit button, which stops a run under way or else quits; 1: the check button, which surveys the
    // directory list's path. A click on button 1 during a run (the window disables it) is ignored.
    void cmdMain_Click(int index);

    // Opens the map of the last completed survey in a window of its own (Ctrl+M, or the grid's menu), or
    // says that there is none yet.
    void openMap();
    // The open map window, or nullptr.
    [[nodiscard]] MapWindow* mapWindow() const noexcept;

signals:
    // The context menu asked for the map of the last survey.
    void mapRequested();
    // A block of the map was clicked: the directory's raw path.
    void mapDirectoryActivated(const QByteArray& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    void createMapShortcut();
    void formLoad();
    void formUnload();

    void TextPath_Change();
    void dirData_Change();
    void driveData_Change();

    void cmdRefer_Click();
    // The directory chosen in Qt's own file dialog, opened on `initialDirectory` (display text); empty when
    // cancelled. The process's current directory is `returnDirectory` (raw) afterwards, where it can be.
    [[nodiscard]] QString BrowseDirectory(const QString& initialDirectory,
                                          const std::string& returnDirectory);

    // The grid back to its header and one empty row.
    void InitGrid();
    // checkFiles is not 0.
    [[nodiscard]] bool countOption() const;

    // The survey's sink (frmMainView.cpp), behind the collector of the survey's report.
    void driveFigures(fs::Figure total, fs::Figure available) override;
    void clearRows() override;
    void setRowCount(int rows) override;
    void rowChanged(int index, const survey::SurveyRow& row, survey::Column column) override;
    void yield() override;
    void failed(const survey::SurveyFailure& failure) override;
    void walkProgress(const fs::WalkProgress& progress) override;
    // The run found nothing to survey (the directory vanished, or cannot be opened): said in a message,
    // so the previous run's rows are not taken for this directory's.
    void lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) override;
    void surveyTree(const fs::WalkedTree& tree) override;
    void surveyEnded(survey::SurveyEnd end) override;

    // Exploring the last walk (frmMainExplore.cpp): a sub-directory's row or the parent directory becomes the
    // surveyed one, its figures from memory, and the path controls follow.
    void drillDown(int surveyRow);
    void goUp();
    void showFromWalk(const std::string& path);
    // The path controls show `path` (raw), as for any change of directory.
    void showPathInControls(const std::string& path);
    void noteFromWalk(const QString& text);

    // The controls a run switches.
    void EnableControls(bool enabled) override;
    void setExitButtonStops(bool stops) override;
    void setBusyPointer(bool busy) override;

    survey::ProgramState& m_state;
    std::string m_programDirectory;
    std::function<void()> m_quitApplication;
    // What the engine's calls build: the survey on show, as the report's formats take it.
    survey::ReportCollector m_report;
    std::unique_ptr<survey::SurveyEngine> m_engine;
    bool m_flagChanging = false;
    // `pathStart` as the window found it at load, made absolute against the directory the program started
    // in, so that going back there after browsing does not wander off a relative start directory.
    std::string m_startDirectory;
    bool m_busy = false;
    QString m_caption;
    QElapsedTimer m_sinceCaption;
    // Controls that have a pointer of their own (the path field's I-beam) and lose it while busy.
    std::vector<std::pair<QPointer<QWidget>, QCursor>> m_ownCursors;

    // The map's copy of the engine's kept walk, made when first asked for; dropped when the next run starts.
    std::shared_ptr<const survey::MapTree> m_lastMap;
    QPointer<MapWindow> m_map;
    GridExplorer* m_explorer = nullptr;
    CompareMode* m_compare = nullptr;
    QLabel* m_labelFromWalk = nullptr;
    KeptSurveys* m_kept = nullptr;
    friend class KeptSurveys;
};

}  // namespace trelmark::ui
