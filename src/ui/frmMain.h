// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QCursor>
#include <QElapsedTimer>
#include <QMargins>
#include <QPointer>
#include <QTime>
#include <QWidget>

#include "survey/ProgramState.h"
#include "survey/ReportData.h"
#include "survey/SurveyControls.h"
#include "survey/SurveySink.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTableView;

namespace trelmark::survey {
class MapTree;
class SurveyEngine;
}  // namespace trelmark::survey

namespace trelmark::ui {

class DirectoryList;
class DriveCatalog;
class DriveList;
class FileList;
class GridExplorer;
class GridModel;
class MapWindow;
class PathField;

// The main window: a fixed layout of the path field, the drive, directory and file lists, the check and
// exit buttons, the count option, the drive labels and the result grid. The layout lies on a canvas that
// scrolls where the screen is too small for it; the drive labels and the grid's columns grow to their
// figures, so that none is ever cut. It keeps its path controls in step (one guard, `flagChanging`, stops
// the chain of change notifications); its buttons run and stop the survey engine, whose results it shows
// (the sink) and whose run switches its controls. It holds no survey logic.
//
// Owns its controls, the drive catalog and the engine; the program state and the quit callback belong to
// the caller and must outlive it. Closing it only hides it (the caller deletes it after the event loop),
// so that a survey that is still on the stack can finish against a living view.
// Thread: the GUI thread. Errors: a start directory the lists refuse opens the program's own directory.
class frmMain final : public QWidget, private survey::SurveySink, private survey::SurveyControls {
    Q_OBJECT
public:
    frmMain(survey::ProgramState& state, std::string programDirectory, std::function<void()> quitApplication,
            QWidget* parent = nullptr);
    // The drives offered are given, not read from the system: for tests.
    frmMain(survey::ProgramState& state, std::string programDirectory, std::function<void()> quitApplication,
            std::unique_ptr<DriveCatalog> drives, QWidget* parent = nullptr);
    ~frmMain() override;

    // What the engine sees of the window: the sink of its results and the controls a run switches.
    [[nodiscard]] survey::SurveySink& sink() noexcept { return *this; }
    [[nodiscard]] survey::SurveyControls& controls() noexcept { return *this; }
    [[nodiscard]] survey::SurveyEngine& engine() noexcept { return *m_engine; }
    [[nodiscard]] bool flagChanging() const noexcept { return m_flagChanging; }
    // The caption without a run's progress.
    [[nodiscard]] const QString& caption() const noexcept { return m_caption; }

    [[nodiscard]] PathField* TextPath() const noexcept { return m_textPath; }
    [[nodiscard]] QPushButton* cmdRefer() const noexcept { return m_cmdRefer; }
    [[nodiscard]] DriveList* driveData() const noexcept { return m_driveData; }
    [[nodiscard]] DirectoryList* dirData() const noexcept { return m_dirData; }
    [[nodiscard]] FileList* fileData() const noexcept { return m_fileData; }
    [[nodiscard]] QPushButton* cmdMain(int index) const {
        return m_cmdMain.at(static_cast<std::size_t>(index));
    }
    [[nodiscard]] QCheckBox* checkFiles() const noexcept { return m_checkFiles; }
    [[nodiscard]] QTableView* gridList() const noexcept { return m_gridList; }
    [[nodiscard]] GridModel* gridModel() const noexcept { return m_grid; }
    // Sorting, opening rows and the context menu of the grid.
    [[nodiscard]] GridExplorer* gridExplorer() const noexcept { return m_explorer; }
    // The line that says the grid shows a kept walk's figures; nullptr until the first drill-down.
    [[nodiscard]] QLabel* labelFromWalk() const noexcept { return m_labelFromWalk; }
    [[nodiscard]] QLabel* labelDriveTotalSize() const noexcept { return m_labelDriveTotalSize; }
    [[nodiscard]] QLabel* labelDriveAvailableSpace() const noexcept { return m_labelDriveAvailableSpace; }
    // The scroll area that holds the layout's canvas.
    [[nodiscard]] QScrollArea* formScroll() const noexcept { return m_scroll; }
    [[nodiscard]] QWidget* formCanvas() const noexcept { return m_canvas; }
    // What the window manager's frame takes around the client area: the real frame once the window is
    // shown in one, an allowance for a title bar before.
    [[nodiscard]] QMargins frameAllowance() const;

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
    void createCanvas();
    void createControls();
    void createGrid();
    void describeControls();
    // The window takes the layout's size, or the screen's free area where that is smaller, centred with its
    // frame on the screen. The value labels widen to their text, pushing the unit labels (and the check box)
    // aside; each grid column widens to its widest text, from the widths InitGrid sets.
    void fitToScreen();
    void fitDriveLabels();
    void fitGridColumns();
    // While a run grows its figures: the cell's column widens at once when its text no longer fits.
    void widenColumnFor(int row, int column);
    void measureFigureCells();
    void setTabOrderAndFocus();
    void formLoad();
    void formUnload();

    void createMapShortcut();

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

    // The survey's sink.
    void driveFigures(fs::Figure total, fs::Figure available) override;
    void clearRows() override;
    void setRowCount(int rows) override;
    void rowChanged(int index, const survey::SurveyRow& row, survey::Column column) override;
    void yield() override;
    void failed(std::string_view message) override;
    void walkProgress(const fs::WalkProgress& progress) override;
    // The run found nothing to survey (the directory vanished, or cannot be opened): said in a message,
    // so the previous run's rows are not taken for this directory's.
    void lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) override;

    void surveyEnded(survey::SurveyEnd end) override;

    // Exploring the last walk (frmMainExplore.cpp): a sub-directory's row or the parent directory becomes the
    // surveyed one, its figures from memory, and the path controls follow.
    void drillDown(int surveyRow);
    void goUp();
    void showFromWalk(const std::string& path);
    void noteFromWalk(const QString& text);
    // The survey on show, as the report's formats take it.
    [[nodiscard]] survey::ReportData shownSurvey() const;

    // The exit button's caption: "中止" while it stops a run, "終了" otherwise.
    [[nodiscard]] static QString exitCaption(bool stops);

    // The controls a run switches.
    void EnableControls(bool enabled) override;
    void setExitButtonStops(bool stops) override;
    void setBusyPointer(bool busy) override;

    survey::ProgramState& m_state;
    std::string m_programDirectory;
    std::unique_ptr<DriveCatalog> m_drives;
    std::function<void()> m_quitApplication;
    std::unique_ptr<survey::SurveyEngine> m_engine;
    bool m_flagChanging = false;
    // `pathStart` as the window found it at load, made absolute against the directory the program started
    // in, so that going back there after browsing does not wander off a relative start directory.
    std::string m_startDirectory;
    bool m_busy = false;
    QString m_caption;
    QElapsedTimer m_sinceCaption;
    // The widest character a figure is written with, and what a cell takes beyond its text: the grid's
    // font at the last InitGrid. A figure shorter than their bound fits without measuring.
    int m_figureCharacterWidth = 0;
    int m_cellExtra = 0;
    // Controls that have a pointer of their own (the path field's I-beam) and lose it while busy.
    std::vector<std::pair<QPointer<QWidget>, QCursor>> m_ownCursors;

    QScrollArea* m_scroll = nullptr;
    QWidget* m_canvas = nullptr;
    // The map's copy of the engine's kept walk, made when first asked for; dropped when the next run starts.
    std::shared_ptr<const survey::MapTree> m_lastMap;
    QPointer<MapWindow> m_map;

    PathField* m_textPath = nullptr;
    QPushButton* m_cmdRefer = nullptr;
    DriveList* m_driveData = nullptr;
    DirectoryList* m_dirData = nullptr;
    FileList* m_fileData = nullptr;
    std::array<QPushButton*, 2> m_cmdMain{};
    QCheckBox* m_checkFiles = nullptr;
    QTableView* m_gridList = nullptr;
    GridModel* m_grid = nullptr;
    GridExplorer* m_explorer = nullptr;
    QLabel* m_labelFromWalk = nullptr;
    // What the run under way is about, and what the grid shows: the grid's rows aside.
    survey::ReportData m_pending;
    survey::ReportData m_shown;
    QLabel* m_labelDriveTotalSize = nullptr;
    QLabel* m_labelDriveAvailableSpace = nullptr;
};

}  // namespace trelmark::ui
