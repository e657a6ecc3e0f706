// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QDateTime>
#include <QObject>
#include <QString>

class QLabel;
class QWidget;

#include "fs/WalkedTree.h"
#include "survey/ReportData.h"

namespace trelmark::fs {
class FileSystem;
}
namespace trelmark::store {
class StoredTree;
}
namespace trelmark::survey {
class MapTree;
}

namespace trelmark::ui {

class LateAnswers;
class frmMain;

// The window's survey files: "調査を保存..." keeps the last run's walk in a survey file, written on a thread
// of its own; "調査を開く..." opens a survey file or another tool's export (read aside, with the window's
// deadline) and shows it in the grid as a drill-down from memory: the survey engine runs over the file
// (store::StoredFileSystem) in place of the file system until "チェック" surveys this machine again. The
// path controls follow a directory of the opened survey only while it exists here.
//
// Owned by frmMain (a child), whose controls it drives. Thread: the GUI thread; a save's worker reaches it
// only through LateAnswers. Errors: a file that cannot be written or read is said in one message box.
class KeptSurveys final : public QObject {
    Q_OBJECT
public:
    explicit KeptSurveys(frmMain& window);
    ~KeptSurveys() override;

    // The engine's runs, as the window sees them: `afresh` for a walk of this machine (its walk is what a
    // save keeps), not for a revisit of a kept walk or a run over an opened survey.
    void runStarts(bool afresh);
    void walkArrived(const fs::WalkedTree& tree);
    void runEnded(const survey::ReportData& data);

    // A survey can be saved now: a walk was kept by the last run, no run is under way and no save is.
    [[nodiscard]] bool canSave() const;
    [[nodiscard]] bool saving() const noexcept { return m_saving; }
    // While a save reads the last walk, a new walk would be answered from it: true after a message says so.
    [[nodiscard]] bool refuseRunWhileSaving() const;
    // Asks for a file in Qt's own dialog and saves there; refused with a message when nothing can be saved.
    void saveWithDialog();
    // Saves to `fileName` (display text) on a thread of its own; saveEnded follows.
    void saveTo(const QString& fileName);
    void openWithDialog();
    // Opens `fileName` and shows its root: at once when it is read within the deadline, else once it is.
    void open(const QString& fileName);

    // An opened survey is on show (its engine runs over the file).
    [[nodiscard]] bool opened() const noexcept { return m_tree != nullptr; }
    [[nodiscard]] const store::StoredTree* openedTree() const noexcept { return m_tree.get(); }
    // The opened survey knows no drive: its rows show no share of one.
    [[nodiscard]] bool withoutDrive() const;
    // `data` as the grid shows it: without drive figures and shares for an opened survey that knows no drive.
    [[nodiscard]] survey::ReportData asShown(survey::ReportData data) const;
    // Shows `path` (raw) of the opened survey; false when none is opened (a kept walk's business).
    bool show(const std::string& path);
    // Back to this machine's file system, before "チェック" surveys it.
    void leave();
    // The opened survey's map, read when first asked for; nullptr when none is opened or it cannot be read.
    [[nodiscard]] std::shared_ptr<const survey::MapTree> map();
    // When the opened survey began; invalid when it does not say.
    [[nodiscard]] QDateTime surveyedAt() const;

signals:
    // A save ended: `problem` is empty when the file is written.
    void saveEnded(const QString& fileName, const QString& problem);
    // An opened survey's directory is on show.
    void shown(const QByteArray& path);

private:
    struct Opening {
        std::shared_ptr<store::StoredTree> tree;
        std::string reason;  // why it cannot be shown, when `tree` is empty
    };
    struct KeptRun {
        survey::ReportData data;
        fs::WalkedTree tree;
        std::chrono::system_clock::time_point began;
    };

    void createShortcuts();
    void finishSave(const QString& fileName, const std::optional<std::string>& problem);
    void enter(const QString& fileName, const Opening& opening);
    void showAt(const std::string& path);
    void follow(const std::string& path, std::uint64_t showing);
    // The note line: when and where the opened survey was made.
    [[nodiscard]] QString note() const;
    // The width a note may take on the line of `line` (nullptr: the note line), right of every control there.
    [[nodiscard]] int roomBeside(const QWidget* line) const;
    // The survey's root under the note, while the path controls cannot follow it.
    void showRoot(bool shown);
    void tell(const QString& text) const;

    frmMain& m_window;
    LateAnswers* m_answers;
    QLabel* m_rootLabel = nullptr;
    std::optional<KeptRun> m_kept;
    std::optional<KeptRun> m_running;
    bool m_saving = false;

    std::shared_ptr<store::StoredTree> m_tree;
    std::unique_ptr<fs::FileSystem> m_machine;  // this machine's file system while an opened survey is shown
    std::shared_ptr<const survey::MapTree> m_map;
    std::uint64_t m_openRequest = 0;
    std::uint64_t m_showing = 0;
};

}  // namespace trelmark::ui
