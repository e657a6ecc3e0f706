// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

#include "survey/SurveyRow.h"

namespace trelmark::ui {

// The result grid `gridList` as a model: rows of six texts, one per survey::Column, under one header row. The
// header is the view's horizontal header, so model row r is grid row r + 1. Rows are a plain vector: 100,000
// of them cost six strings each and the survey's row behind them (for sorting, paths and saving). Owned by
// its view's parent. Thread: the GUI thread. Errors: writes outside the grid are ignored.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = static_cast<int>(survey::kColumnCount);
    // The columns whose texts have a tooltip: the name, and the size in bytes.
    static constexpr int kNameColumn = static_cast<int>(survey::Column::Name);
    static constexpr int kSizeColumn = static_cast<int>(survey::Column::Size);

    struct Column {
        QString header;  // trailing blanks kept: they widen the column
        Qt::Alignment alignment = Qt::AlignLeft;
        friend bool operator==(const Column&, const Column&) = default;
    };
    explicit GridModel(QObject* parent = nullptr);

    // Every text, header included, becomes empty; the shape stays.
    void clear();
    void setDataRowCount(int rows);
    // The first columns get these headers and alignments; columns beyond the format are left as they are.
    void setColumns(const std::vector<Column>& columns);
    // The survey's column headings (survey/SurveyColumns.h), as the window shows them.
    void showHeadings();
    // Row `row` shows the text of `row`'s figure in `column`.
    void setFigure(int row, const survey::SurveyRow& figures, survey::Column column);
    void setText(int row, int column, const QString& text);
    void setHeaderText(int column, const QString& text);

    [[nodiscard]] QString text(int row, int column) const;
    // The survey's row as last handed to setFigure; nullptr for a row no survey wrote.
    [[nodiscard]] const survey::SurveyRow* figures(int row) const;
    [[nodiscard]] const Column& column(int column) const {
        return m_columns.at(static_cast<std::size_t>(column));
    }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    [[nodiscard]] bool contains(int row, int column) const noexcept;
    [[nodiscard]] QVariant toolTip(int row, int column) const;

    std::array<Column, kColumns> m_columns;
    std::vector<std::array<QString, kColumns>> m_rows;
    std::vector<std::optional<survey::SurveyRow>> m_figures;  // beside m_rows, the same length
};

}  // namespace trelmark::ui
