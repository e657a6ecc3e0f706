// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <memory>

#include <QMargins>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTableView;

namespace trelmark::ui {

class DirectoryList;
class DriveCatalog;
class DriveList;
class FileList;
class GridModel;
class PathField;

// The main window's form: its controls with their names, texts, fonts and places, on a canvas that scrolls
// where the screen is too small for the layout, and the fitting that keeps every figure whole (the drive
// labels and the grid's columns grow to their text, the name column gives way). frmMain adds what the
// controls do; this class holds no behaviour beyond their looks.
//
// Owns its controls and the drive catalog the lists read. Thread: the GUI thread. Errors: none.
class MainForm : public QWidget {
public:
    explicit MainForm(std::unique_ptr<DriveCatalog> drives, QWidget* parent = nullptr);
    ~MainForm() override;

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
    // The scroll area that holds the layout's canvas.
    [[nodiscard]] QScrollArea* formScroll() const noexcept { return m_scroll; }
    [[nodiscard]] QWidget* formCanvas() const noexcept { return m_canvas; }
    // What the window manager's frame takes around the client area: the real frame once the window is
    // shown in one, an allowance for a title bar before.
    [[nodiscard]] QMargins frameAllowance() const;
    // After a grid column came or went: every column back to its shown header's width (as InitGrid sets
    // them), then fitted to its texts as fitGridColumns does; in compare mode the name column then takes
    // whatever room the figures leave.
    void refitGridColumns();

protected:
    // What a header section takes beyond its text: the padding on both sides and the right border that
    // frmMain's style sheet gives it.
    static constexpr int kHeaderExtra = 2 * 3 + 1;

    // Every showing opens the canvas at its top-left corner, wherever it was scrolled to.
    void showEvent(QShowEvent* event) override;
    // The grid's cells follow the window's palette.
    void changeEvent(QEvent* event) override;
    // The exit button's caption: "中止" while it stops a run, "終了" otherwise.
    [[nodiscard]] static QString exitCaption(bool stops);

    // The window takes the layout's size, or the screen's free area where that is smaller, centred with its
    // frame on the screen, its canvas scrolled to the top-left.
    void fitToScreen();
    // The value labels widen to their text, pushing the unit labels (and the check box) aside.
    void fitDriveLabels();
    // Each figure column widens to its widest text, from the widths InitGrid sets; the name column widens
    // too, but only as far as leaves the five figure columns in view at the window's width (longer names are
    // elided in the middle).
    void fitGridColumns();
    // The same for one new text of a column, while a run writes it: a figure never waits to be whole.
    void fitGridCell(int column, const QString& text);
    // The width InitGrid gives a column: its header text in the grid's font. The headers of compare mode,
    // without the blanks that widen them, are measured in the header's font too.
    [[nodiscard]] int headerWidth(int column) const;

    QScrollArea* m_scroll = nullptr;
    QWidget* m_canvas = nullptr;
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

private:
    static constexpr int kNameColumn = 0;
    // The narrowest the name column gets for the figures' sake, in pixels.
    static constexpr int kNameColumnFloor = 40;

    // The width a cell needs for `text`, and at least `atLeast`.
    [[nodiscard]] int cellWidth(const QString& text, int atLeast) const;
    [[nodiscard]] int nameColumnCap() const;
    void createCanvas();
    void createControls();
    void createGrid();
    void describeControls();
    void setTabOrder();

    std::unique_ptr<DriveCatalog> m_drives;
};

}  // namespace trelmark::ui
