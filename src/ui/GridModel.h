// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QBrush>
#include <QString>

#include "store/SurveyComparison.h"
#include "survey/SurveyRow.h"

namespace trelmark::ui {

// The result grid `gridList` as a model: the survey's rows, six columns each (survey::Column), under one
// header row. The header is the view's horizontal header, so model row r is grid row r + 1. Each row is kept
// once, as the survey handed it, and formatted when the view asks for a text. The cells take the colours
// given by setCellColours (the window's palette); the header's colours belong to the view.
// In compare mode a seventh column, kChangeColumn, holds each row's change against an earlier survey, and
// the rows only the earlier survey held follow the survey's own (no figures, only a name and a change).
// Owned by its view's parent. Thread: the GUI thread. Errors: writes outside the grid are ignored.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = static_cast<int>(survey::kColumnCount);
    // "増減": after the survey's columns in the model, so that theirs keep their numbers; the view shows it
    // after Size(bytes).
    static constexpr int kChangeColumn = kColumns;

    struct Column {
        QString header;  // trailing blanks kept: they widen the column
        Qt::Alignment alignment = Qt::AlignLeft;
        friend bool operator==(const Column&, const Column&) = default;
    };
    explicit GridModel(QObject* parent = nullptr);

    // Every row and header text becomes empty and the changes go; the shape stays.
    void clear();
    // The survey's rows; a change of their number drops the changes.
    void setDataRowCount(int rows);
    // The first columns get these headers and alignments; columns beyond the format are left as they are.
    void setColumns(const std::vector<Column>& columns);
    // The survey's column headings (survey/SurveyColumns.h), as the window shows them.
    void showHeadings();
    // Row `row` now is `figures`; `column` is the figure that changed.
    void setFigure(int row, const survey::SurveyRow& figures, survey::Column column);
    // The cells' background and text: the palette's Base and Text, which may be dark.
    void setCellColours(const QBrush& background, const QBrush& text);

    // Compare mode on (the change column comes, empty) or off (it goes, with the changes).
    void setComparing(bool comparing);
    [[nodiscard]] bool comparing() const noexcept { return m_comparing; }
    // store::compareRows of the survey's rows, in their order: a change for each, then the removed rows,
    // which become rows of the grid. Ignored outside compare mode or when the count does not match.
    void setChanges(std::vector<store::ComparedRow> compared);
    // The change of a grid row (a removed one included); nullptr where none is known.
    [[nodiscard]] const store::ComparedRow* change(int row) const;
    // The rows the survey wrote or will write, without the removed ones.
    [[nodiscard]] int surveyRowCount() const noexcept { return static_cast<int>(m_rows.size()); }

    // The text the cell shows: the row's figure as the survey formats it, empty where none is known.
    [[nodiscard]] QString text(int row, int column) const;
    // The survey's row as last handed to setFigure; nullptr for a row no survey wrote.
    [[nodiscard]] const survey::SurveyRow* figures(int row) const;
    // A column's header and alignment; kChangeColumn's too.
    [[nodiscard]] const Column& column(int column) const;
    // The header as the view shows it: in compare mode without the trailing blanks, so that the seventh
    // column takes no more room than the figures need.
    [[nodiscard]] QString shownHeader(int column) const;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    [[nodiscard]] bool contains(int row, int column) const noexcept;
    void dropChanges();

    std::array<Column, kColumns> m_columns;
    std::vector<std::optional<survey::SurveyRow>> m_rows;
    bool m_comparing = false;
    std::vector<store::ComparedRow> m_changes;  // one per survey row, or none
    std::vector<store::ComparedRow> m_removed;  // the grid's rows after the survey's
    QBrush m_cellBackground{Qt::white};
    QBrush m_cellText{Qt::black};
};

}  // namespace trelmark::ui
