// SPDX-License-Identifier: MIT
#include "ui/GridModel.h"

#include <algorithm>

#include <QBrush>

#include "ui/WindowLook.h"

namespace trelmark::ui {

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::clear() {
    for (auto& row : m_rows) {
        row.fill(QString());
    }
    std::fill(m_figures.begin(), m_figures.end(), std::nullopt);
    for (Column& column : m_columns) {
        column.header.clear();
    }
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
    }
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

void GridModel::setDataRowCount(int rows) {
    const int wanted = std::max(0, rows);
    const int now = rowCount();
    if (wanted > now) {
        beginInsertRows({}, now, wanted - 1);
        m_rows.resize(static_cast<std::size_t>(wanted));
        m_figures.resize(m_rows.size());
        endInsertRows();
    } else if (wanted < now) {
        beginRemoveRows({}, wanted, now - 1);
        m_rows.resize(static_cast<std::size_t>(wanted));
        m_figures.resize(m_rows.size());
        endRemoveRows();
    }
}

void GridModel::setColumns(const std::vector<Column>& columns) {
    const std::size_t count = std::min(columns.size(), m_columns.size());
    for (std::size_t i = 0; i < count; ++i) {
        m_columns[i] = columns[i];
    }
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1), {Qt::TextAlignmentRole});
    }
}

void GridModel::showHeadings() {
    std::vector<Column> columns;
    for (const survey::Column column : survey::kColumns) {
        const survey::ColumnHeading heading = survey::columnHeading(column);
        columns.push_back(
            {QString::fromLatin1(heading.title.data(), static_cast<qsizetype>(heading.title.size())),
             heading.alignment == survey::Alignment::Left ? Qt::AlignLeft : Qt::AlignRight});
    }
    setColumns(columns);
}

void GridModel::setFigure(int row, const survey::SurveyRow& figures, survey::Column column) {
    if (!contains(row, static_cast<int>(column))) {
        return;
    }
    m_figures[static_cast<std::size_t>(row)] = figures;
    const std::string text = figures.text(column);
    setText(row, static_cast<int>(column),
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void GridModel::setText(int row, int column, const QString& text) {
    if (!contains(row, column)) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void GridModel::setHeaderText(int column, const QString& text) {
    if (column < 0 || column >= kColumns) {
        return;
    }
    m_columns[static_cast<std::size_t>(column)].header = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString GridModel::text(int row, int column) const {
    return contains(row, column) ? m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]
                                 : QString();
}

const survey::SurveyRow* GridModel::figures(int row) const {
    if (row < 0 || row >= rowCount() || !m_figures[static_cast<std::size_t>(row)]) {
        return nullptr;
    }
    return &*m_figures[static_cast<std::size_t>(row)];
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !contains(index.row(), index.column())) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return static_cast<int>((column(index.column()).alignment | Qt::AlignVCenter).toInt());
        case Qt::BackgroundRole:
            // White cells under the dark green header are the grid's look in every palette; the area beyond
            // the last row keeps the view's grey. The text is named with them, so that a dark palette's light
            // text never lands on a white cell.
            return QBrush(Qt::white);
        case Qt::ForegroundRole:
            return QBrush(Qt::black);
        case Qt::ToolTipRole:
            return toolTip(index.row(), index.column());
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return column(section).header;
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>((column(section).alignment | Qt::AlignVCenter).toInt());
    }
    return {};
}

QVariant GridModel::toolTip(int row, int column) const {
    const QString shown = text(row, column);
    if (shown.isEmpty()) {
        return {};
    }
    // The name whole, wherever the column was narrowed; a size also in larger units.
    if (column == kNameColumn) {
        return shown;
    }
    if (column == kSizeColumn) {
        const QString units = byteUnitsToolTip(shown);
        return units.isEmpty() ? QVariant() : QVariant(units);
    }
    return {};
}

bool GridModel::contains(int row, int column) const noexcept {
    return row >= 0 && row < rowCount() && column >= 0 && column < kColumns;
}

}  // namespace trelmark::ui
