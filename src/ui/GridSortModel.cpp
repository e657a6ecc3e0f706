// SPDX-License-Identifier: MIT
#include "ui/GridSortModel.h"

#include <optional>

#include "survey/SurveyRow.h"
#include "ui/GridModel.h"

namespace trelmark::ui {

namespace {

// ALL FILES, then ".", then the sub-directories; rows no survey wrote last.
int rank(const survey::SurveyRow* row) {
    if (row == nullptr) {
        return 3;
    }
    switch (row->kind) {
        case survey::RowKind::AllFiles:
            return 0;
        case survey::RowKind::OwnFiles:
            return 1;
        case survey::RowKind::SubDirectory:
            return 2;
    }
    return 3;
}

// A figure as a number to compare; empty while it is not known.
std::optional<long double> value(const survey::SurveyRow& row, survey::Column column) {
    const auto figure = [](const std::optional<fs::Figure>& known) -> std::optional<long double> {
        return known ? std::optional<long double>(static_cast<long double>(known->value)) : std::nullopt;
    };
    const auto share = [](const std::optional<survey::Share>& known) -> std::optional<long double> {
        return known ? std::optional<long double>(static_cast<long double>(known->value)) : std::nullopt;
    };
    switch (column) {
        case survey::Column::Size:
            return figure(row.bytes);
        case survey::Column::TotalShare:
            return share(row.totalShare);
        case survey::Column::UsedShare:
            return share(row.usedShare);
        case survey::Column::Files:
            return figure(row.files);
        case survey::Column::Dirs:
            return figure(row.dirs);
        case survey::Column::Name:
            break;
    }
    return std::nullopt;
}

}  // namespace

GridSortModel::GridSortModel(GridModel& grid, QObject* parent) : QSortFilterProxyModel(parent), m_grid(grid) {
    setSourceModel(&grid);
}

void GridSortModel::restoreSurveyOrder() {
    if (sortColumn() >= 0) {
        sort(-1);
    }
}

int GridSortModel::surveyRow(int row) const {
    const QModelIndex source = mapToSource(index(row, 0));
    return source.isValid() ? source.row() : -1;
}

QVariant GridSortModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::InitialSortOrderRole && orientation == Qt::Horizontal) {
        return static_cast<int>(section == static_cast<int>(survey::Column::Name) ? Qt::AscendingOrder
                                                                                  : Qt::DescendingOrder);
    }
    return QSortFilterProxyModel::headerData(section, orientation, role);
}

bool GridSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Descending order compares the other way round; the pinned rows must come first either way.
    const bool descending = sortOrder() == Qt::DescendingOrder;
    const survey::SurveyRow* const a = m_grid.figures(left.row());
    const survey::SurveyRow* const b = m_grid.figures(right.row());
    const int rankA = rank(a);
    const int rankB = rank(b);
    if (rankA != rankB || rankA != 2) {
        return descending ? rankA > rankB : rankA < rankB;
    }
    const auto column = static_cast<survey::Column>(left.column());
    if (column == survey::Column::Name) {
        return left.row() < right.row();
    }
    const std::optional<long double> valueA = value(*a, column);
    const std::optional<long double> valueB = value(*b, column);
    if (valueA.has_value() != valueB.has_value()) {
        // Unknown figures last in both directions.
        return descending ? !valueA.has_value() : valueA.has_value();
    }
    if (!valueA || *valueA == *valueB) {
        return descending ? left.row() > right.row() : left.row() < right.row();
    }
    return *valueA < *valueB;
}

}  // namespace trelmark::ui
