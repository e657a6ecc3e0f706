// SPDX-License-Identifier: MIT
#include "ui/IndentDelegate.h"

#include "ui/NameListModel.h"

namespace trelmark::ui {

IndentDelegate::IndentDelegate(int indent, QObject* parent) : QStyledItemDelegate(parent), m_indent(indent) {}

void IndentDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    QStyleOptionViewItem shifted(option);
    shifted.rect.adjust(offset(index), 0, 0, 0);
    QStyledItemDelegate::paint(painter, shifted, index);
}

QSize IndentDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(offset(index), 0);
}

int IndentDelegate::offset(const QModelIndex& index) const {
    return m_indent * index.data(NameListModel::LevelRole).toInt();
}

}  // namespace trelmark::ui
