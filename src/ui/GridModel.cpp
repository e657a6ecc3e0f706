// SPDX-License-Identifier: MIT
#include "ui/GridModel.h"

#include <algorithm>

namespace trelmark::ui {

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::clear() {
    std::fill(m_rows.begin(), m_rows.end(), std::nullopt);
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
        endInsertRows();
    } else if (wanted < now) {
        beginRemoveRows({}, wanted, now - 1);
        m_rows.resize(static_cast<std::size_t>(wanted));
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
    m_rows[static_cast<std::size_t>(row)] = figures;
    const QModelIndex cell = index(row, static_cast<int>(column));
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void GridModel::setCellColours(const QBrush& background, const QBrush& text) {
    m_cellBackground = background;
    m_cellText = text;
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole});
    }
}

QString GridModel::text(int row, int column) const {
    const survey::SurveyRow* const shown = figures(row);
    if (shown == nullptr || column < 0 || column >= kColumns) {
        return {};
    }
    const std::string text = shown->text(static_cast<survey::Column>(column));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const survey::SurveyRow* GridModel::figures(int row) const {
    if (row < 0 || row >= rowCount() || !m_rows[static_cast<std::size_t>(row)]) {
        return nullptr;
    }
    return &*m_rows[static_cast<std::size_t>(row)];
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
            // Named, not left to the view: the view's own background is the grey of the area beyond the
            // last row, which the cells must not take.
            return m_cellBackground;
        case Qt::ForegroundRole:
            return m_cellText;
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

bool GridModel::contains(int row, int column) const noexcept {
    return row >= 0 && row < rowCount() && column >= 0 && column < kColumns;
}

}  // namespace trelmark::ui
