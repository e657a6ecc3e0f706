// SPDX-License-Identifier: MIT
#include "ui/GridModel.h"

#include <algorithm>

#include "survey/NumberFormat.h"

namespace trelmark::ui {

namespace {

const GridModel::Column kChangeHeading{QStringLiteral("増減"), Qt::AlignRight};

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "+1,234", "-1,234" or "0", with the mark of a lower bound where either side's figure is one, after
// "新規" or "削除" for a row only one of the surveys holds.
QString changeText(const store::ComparedRow& compared) {
    QString figure;
    if (compared.bytes) {
        const std::int64_t change = *compared.bytes;
        const std::uint64_t size =
            change < 0 ? 0 - static_cast<std::uint64_t>(change) : static_cast<std::uint64_t>(change);
        const char* const sign = change > 0 ? "+" : change < 0 ? "-" : "";
        figure = QLatin1String(sign) + fromUtf8(survey::formatFigure(fs::Figure{size, compared.exact}));
    }
    using Status = store::ComparedRow::Status;
    const QString mark = compared.status == Status::New       ? QStringLiteral("新規")
                         : compared.status == Status::Removed ? QStringLiteral("削除")
                                                              : QString();
    if (mark.isEmpty() || figure.isEmpty()) {
        return mark + figure;
    }
    return mark + u' ' + figure;
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::clear() {
    dropChanges();
    std::fill(m_rows.begin(), m_rows.end(), std::nullopt);
    for (Column& column : m_columns) {
        column.header.clear();
    }
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

void GridModel::setDataRowCount(int rows) {
    const int wanted = std::max(0, rows);
    const int now = surveyRowCount();
    if (wanted != now) {
        dropChanges();
    }
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
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::TextAlignmentRole});
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
    if (row >= surveyRowCount() || !contains(row, static_cast<int>(column))) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)] = figures;
    const QModelIndex cell = index(row, static_cast<int>(column));
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void GridModel::setCellColours(const QBrush& background, const QBrush& text) {
    m_cellBackground = background;
    m_cellText = text;
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole});
    }
}

void GridModel::setComparing(bool comparing) {
    if (comparing == m_comparing) {
        return;
    }
    if (comparing) {
        beginInsertColumns({}, kChangeColumn, kChangeColumn);
        m_comparing = true;
        endInsertColumns();
        return;
    }
    dropChanges();
    beginRemoveColumns({}, kChangeColumn, kChangeColumn);
    m_comparing = false;
    endRemoveColumns();
}

void GridModel::setChanges(std::vector<store::ComparedRow> compared) {
    const auto removed = std::find_if(compared.begin(), compared.end(), [](const store::ComparedRow& row) {
        return row.status == store::ComparedRow::Status::Removed;
    });
    const bool shaped = removed - compared.begin() == surveyRowCount() &&
                        std::all_of(removed, compared.end(), [](const store::ComparedRow& row) {
                            return row.status == store::ComparedRow::Status::Removed;
                        });
    if (!m_comparing || !shaped) {
        return;
    }
    dropChanges();
    m_changes.assign(std::make_move_iterator(compared.begin()), std::make_move_iterator(removed));
    if (removed != compared.end()) {
        const int first = surveyRowCount();
        beginInsertRows({}, first, first + static_cast<int>(compared.end() - removed) - 1);
        m_removed.assign(std::make_move_iterator(removed), std::make_move_iterator(compared.end()));
        endInsertRows();
    }
    if (!m_changes.empty()) {
        emit dataChanged(index(0, kChangeColumn), index(surveyRowCount() - 1, kChangeColumn),
                         {Qt::DisplayRole});
    }
}

const store::ComparedRow* GridModel::change(int row) const {
    if (row < 0 || row >= rowCount()) {
        return nullptr;
    }
    const auto at = static_cast<std::size_t>(row);
    if (at < m_rows.size()) {
        return at < m_changes.size() ? &m_changes[at] : nullptr;
    }
    return &m_removed[at - m_rows.size()];
}

void GridModel::dropChanges() {
    const bool shown = !m_changes.empty();
    m_changes.clear();
    if (!m_removed.empty()) {
        const int first = surveyRowCount();
        beginRemoveRows({}, first, first + static_cast<int>(m_removed.size()) - 1);
        m_removed.clear();
        endRemoveRows();
    }
    if (shown && m_comparing && !m_rows.empty()) {
        emit dataChanged(index(0, kChangeColumn), index(surveyRowCount() - 1, kChangeColumn),
                         {Qt::DisplayRole});
    }
}

const GridModel::Column& GridModel::column(int column) const {
    return column == kChangeColumn ? kChangeHeading : m_columns.at(static_cast<std::size_t>(column));
}

QString GridModel::shownHeader(int column) const {
    if (column < 0 || column >= columnCount()) {
        return {};
    }
    return m_comparing ? this->column(column).header.trimmed() : this->column(column).header;
}

QString GridModel::text(int row, int column) const {
    if (column == kChangeColumn) {
        const store::ComparedRow* const compared = m_comparing ? change(row) : nullptr;
        return compared != nullptr ? changeText(*compared) : QString();
    }
    if (column < 0 || column >= kColumns) {
        return {};
    }
    if (row >= surveyRowCount() && row < rowCount()) {
        // A removed row: its name only; its figures are the earlier survey's, in its change.
        return column == static_cast<int>(survey::Column::Name)
                   ? fromUtf8(change(row)->row.text(survey::Column::Name))
                   : QString();
    }
    const survey::SurveyRow* const shown = figures(row);
    return shown != nullptr ? fromUtf8(shown->text(static_cast<survey::Column>(column))) : QString();
}

const survey::SurveyRow* GridModel::figures(int row) const {
    if (row < 0 || row >= surveyRowCount() || !m_rows[static_cast<std::size_t>(row)]) {
        return nullptr;
    }
    return &*m_rows[static_cast<std::size_t>(row)];
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size() + m_removed.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns + (m_comparing ? 1 : 0);
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
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return shownHeader(section);
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>((column(section).alignment | Qt::AlignVCenter).toInt());
    }
    return {};
}

bool GridModel::contains(int row, int column) const noexcept {
    return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
}

}  // namespace trelmark::ui
