// SPDX-License-Identifier: MIT
#include "ui/NameListModel.h"

#include <QApplication>
#include <QStyle>

namespace trelmark::ui {

NameListModel::NameListModel(QObject* parent)
    : QAbstractListModel(parent),
      m_openFolder(QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon)),
      m_closedFolder(QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon)) {}

void NameListModel::setItems(std::vector<Item> items) {
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Item& row = item(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return row.text;
        case Qt::DecorationRole:
            if (row.icon == Icon::OpenFolder) {
                return m_openFolder;
            }
            if (row.icon == Icon::ClosedFolder) {
                return m_closedFolder;
            }
            return {};
        case LevelRole:
            return row.level;
        default:
            return {};
    }
}

}  // namespace trelmark::ui
