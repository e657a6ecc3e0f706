// SPDX-License-Identifier: MIT
#pragma once

#include <QStyledItemDelegate>

namespace trelmark::ui {

// Paints a list row shifted right by its level (NameListModel::LevelRole), so that a flat list of a path's
// ancestors and sub-directories reads as a tree.
// Owned by its view. Thread: the GUI thread.
class IndentDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit IndentDelegate(int indent, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    [[nodiscard]] int offset(const QModelIndex& index) const;

    int m_indent;
};

}  // namespace trelmark::ui
