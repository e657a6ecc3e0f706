// SPDX-License-Identifier: MIT
#include "ui/GridSortModel.h"

#include <optional>

#include "survey/SurveyRow.h"
#include "ui/GridModel.h"

namespace trelmark::ui {

namespace {

// ALL FILES, then ".", then the sub-directories, then those only an earlier survey held; rows no survey
// wrote last.
int rank(const GridModel& grid, int at) {
    const survey::SurveyRow* const row = grid.figures(at);
    if (row == nullptr) {
        const store::ComparedRow* const change = grid.change(at);
        return change != nullptr && change->status == store::ComparedRow::Status::Removed ? 3 : 4;
    }
    switch (row->kind) {
        case survey::RowKind::AllFiles:
            return 0;
        case survey::RowKind::OwnFiles:
            return 1;
        case survey::RowKind::SubDirectory:
            return 2;
    }
    return 4;
}

// A figure as a number to compare; empty while it is not known.
std::optional<long double> value(const GridModel& grid, int at, int column) {
    if (column == GridModel::kChangeColumn) {
        const store::ComparedRow* const change = grid.change(at);
        return change != nullptr && change->bytes
                   ? std::optional<long double>(static_cast<long double>(*change->bytes))
                   : std::nullopt;
    }
    const survey::SurveyRow* const shown = grid.figures(at);
    if (shown == nullptr) {
        return std::nullopt;
    }
    const survey::SurveyRow& row = *shown;
    const auto figure = [](const std::optional<fs::Figure>& known) -> std::optional<long double> {
        return known ? std::optional<long double>(static_cast<long double>(known->value)) : std::nullopt;
    };
    const auto share = [](const std::optional<survey::Share>& known) -> std::optional<long double> {
        return known ? std::optional<long double>(static_cast<long double>(known->value)) : std::nullopt;
    };
    switch (static_cast<survey::Column>(column)) {
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
    const int rankA = rank(m_grid, left.row());
    const int rankB = rank(m_grid, right.row());
    if (rankA != rankB || rankA < 2 || rankA > 3) {
        return descending ? rankA > rankB : rankA < rankB;
    }
    const int column = left.column();
    if (column == static_cast<int>(survey::Column::Name)) {
        return left.row() < right.row();
    }
    const std::optional<long double> valueA = value(m_grid, left.row(), column);
    const std::optional<long double> valueB = value(m_grid, right.row(), column);
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
