#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QCursor>
#include <QElapsedTimer>
#include <QPointer>
#include <QTime>
#include <QWidget>

#include "fs/Folder.h"
#include "survey/ProgramState.h"
#include "survey/SurveyView.h"

class QCheckBox;
class QLabel;
class QPushButton;
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
class GridModel;
class MapWindow;
class PathField;

// The main window: a fixed layout of the path field, the drive, directory and file lists, the check and
// exit buttons, the count option, the drive labels and the result grid. It keeps its path controls in step
// (one guard, `flagChanging`, stops the chain of change notifications) and hands both buttons to the survey
// engine, for which it is the view. It holds no survey logic of its own.
//
// Owns its controls, the drive catalog and the engine; the program state and the quit callback belong to
// the caller and must outlive it. Closing it only hides it (the caller deletes it after the event loop),
// so that a survey that is still on the stack can finish against a living view.
// Thread: the GUI thread. Errors: a start directory the lists refuse opens the program's own directory.
class frmMain final : public QWidget, private survey::SurveyView {
    Q_OBJECT
public:
    frmMain(survey::ProgramState& state, std::string programDirectory, std::function<void()> quitApplication,
            QWidget* parent = nullptr);
    // The drives offered are given, not read from the system: for tests.
    frmMain(survey::ProgramState& state, std::string programDirectory, std::function<void()> quitApplication,
            std::unique_ptr<DriveCatalog> drives, QWidget* parent = nullptr);
    ~frmMain() override;

    // What the engine sees of the window.
    [[nodiscard]] survey::SurveyView& view() noexcept { return *this; }
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
    [[nodiscard]] QLabel* labelDriveTotalSize() const noexcept { return m_labelDriveTotalSize; }
    [[nodiscard]] QLabel* labelDriveAvailableSpace() const noexcept { return m_labelDriveAvailableSpace; }

    // The grid's header format: "|" ends a column, "<" and ">" align it, trailing blanks widen it.
    static constexpr const char* kGridFormat =
        "<Directory Name      |>Size(bytes)     |>Total%   |>Used%   |>Files      |>Dirs      ";

    // Opens the map of the last survey in a window of its own (Ctrl+M), or says that there is none yet.
    void openMap();
    // The open map window, or nullptr.
    [[nodiscard]] MapWindow* mapWindow() const noexcept;

signals:
    // A block of the map was clicked: the directory's raw path.
    void mapDirectoryActivated(const QByteArray& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createGrid();
    void setTabOrderAndFocus();
    void formLoad();
    void formUnload();

    void createMapShortcut();
    // Keeps the walk of the run under way for the map, once the run has walked it.
    void retainSurvey();

    void TextPath_Change();
    void dirData_Change();
    void driveData_Change();

    void cmdRefer_Click();
    // The directory chosen in Qt's own file dialog, opened on `initialDirectory` (display text); empty when
    // cancelled. The process's current directory is `returnDirectory` (raw) afterwards, where it can be.
    [[nodiscard]] QString BrowseDirectory(const QString& initialDirectory,
                                          const std::string& returnDirectory);

    // The survey engine's view.
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
    [[nodiscard]] bool countOption() const override;
    [[nodiscard]] std::string directoryPath() const override;
    void walkProgress(const fs::WalkProgress& progress) override;
    // The run found nothing to survey (the directory vanished, or cannot be opened): said in a message,
    // so the previous run's rows are not taken for this directory's.
    void lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) override;

    survey::ProgramState& m_state;
    std::string m_programDirectory;
    std::unique_ptr<DriveCatalog> m_drives;
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

    // The last survey's folder, which keeps its walk, and the map's copy of it, made when first asked for.
    // Released when the next run starts, so that "チェック" walks afresh.
    std::unique_ptr<fs::Folder> m_lastSurvey;
    std::shared_ptr<const survey::MapTree> m_lastMap;
    QTime m_lastSurveyTime;
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
    QLabel* m_labelDriveTotalSize = nullptr;
    QLabel* m_labelDriveAvailableSpace = nullptr;
};

}  // namespace trelmark::ui
