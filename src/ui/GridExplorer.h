// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include <QObject>
#include <QString>

#include "survey/ReportData.h"

class QMenu;
class QPoint;
class QTableView;
class QWidget;

namespace trelmark::ui {

class GridModel;
class GridSortModel;

// What the result grid offers beyond showing a survey: sorting by a click on a column header (GridSortModel),
// opening a sub-directory's row (double-click, Enter) or going up (Backspace, Alt+Up), and the rows' context
// menu: the file manager, the path, the whole table, the survey saved as csv or json (the report tool's own
// writers), the map, the survey files (kept, opened) and compare mode (CompareMode). It surveys nothing
// itself: opening, going up and the map are signals to its owner, whom it asks for the directory shown and
// the survey's data.
//
// Owned by the view's parent; the view and the grid model must outlive it. Thread: the GUI thread.
// Errors: a file that cannot be written is said in a message box; nothing else can fail.
class GridExplorer final : public QObject {
    Q_OBJECT
public:
    struct Survey {
        std::function<std::string()> directory;      // the directory whose rows are shown, raw; empty: none
        std::function<survey::ReportData()> report;  // the survey shown, as the report tool's formats take it
    };
    enum class Format { Csv, Json };

    GridExplorer(QTableView& view, GridModel& grid, Survey survey, QObject* parent = nullptr);

    [[nodiscard]] GridSortModel& sortModel() const noexcept { return *m_sorted; }
    // A new survey starts in its own order.
    void restoreSurveyOrder();

    // The raw path a survey row stands for: the directory shown for ALL FILES and ".", the sub-directory for
    // its own row; empty for a row no survey wrote.
    [[nodiscard]] std::string pathOf(int surveyRow) const;
    // The table as shown (header, then the rows in the order on screen, columns too), tab-separated, one
    // line per row.
    [[nodiscard]] QString tableText() const;
    // The context menu of a survey row (-1: the table's actions only), for the caller to show and delete.
    [[nodiscard]] QMenu* createMenu(int surveyRow, QWidget* parent);
    // Writes the survey shown to `fileName`; false after a message box says why.
    bool save(const QString& fileName, Format format);
    // Whether the survey on show can be kept in a survey file; without it, never.
    void setSurveySavable(std::function<bool()> savable) { m_savable = std::move(savable); }

signals:
    void openRequested(int surveyRow);
    void upRequested();
    void mapRequested();
    // The survey files' entries: keep the survey on show, open a kept one.
    void saveSurveyRequested();
    void openSurveyRequested();
    // "比較する調査を開く..." and "比較をやめる".
    void compareRequested();
    void compareStopRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMenu(const QPoint& position);
    void openInFileManager(int surveyRow);
    void copyPath(int surveyRow);
    void saveAs(Format format);
    [[nodiscard]] int surveyRowAt(int viewRow) const;

    QTableView& m_view;
    GridModel& m_grid;
    GridSortModel* m_sorted;
    Survey m_survey;
    std::function<bool()> m_savable;
};

}  // namespace trelmark::ui
