// SPDX-License-Identifier: MIT
#pragma once

#include <QSortFilterProxyModel>

namespace trelmark::ui {

class GridModel;

// The order in which the grid shows the survey's rows: the survey's own until a column header is clicked,
// then by that column's values (sizes, shares and counts as numbers, names in the component's order, which
// is the survey's, changes as numbers), either way round. "ALL FILES" and "." stay on top in both directions;
// the rows only an earlier survey held (compare mode) come after the survey's, sorted among themselves; a
// row whose figure is not known yet comes after every known one. Owned by the view's parent; reads the
// GridModel it sorts, which must outlive it. Thread: the GUI thread. Never fails.
class GridSortModel final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit GridSortModel(GridModel& grid, QObject* parent = nullptr);

    // Back to the survey's order, without a sort indicator.
    void restoreSurveyOrder();
    // The survey's row behind a row of this model; -1 when there is none.
    [[nodiscard]] int surveyRow(int row) const;

    // A header's first click sorts names A to Z and figures largest first.
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    [[nodiscard]] bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    GridModel& m_grid;
};

}  // namespace trelmark::ui
