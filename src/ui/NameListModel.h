// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include <QAbstractListModel>
#include <QIcon>

namespace trelmark::ui {

// The rows of the directory and file lists: one name per row, with its indentation level and icon, and the
// raw path it stands for. A vector of plain rows, so a directory of 100,000 entries stays light.
// Owned by its view. Thread: the GUI thread. Errors: none.
class NameListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum class Icon { None, OpenFolder, ClosedFolder };
    struct Item {
        QString text;
        int level = 0;
        Icon icon = Icon::None;
        std::string rawPath;  // what opening the row opens
    };
    // The indentation level of a row, for IndentDelegate.
    static constexpr int LevelRole = Qt::UserRole + 1;

    explicit NameListModel(QObject* parent = nullptr);

    void setItems(std::vector<Item> items);
    [[nodiscard]] const Item& item(int row) const { return m_items.at(static_cast<std::size_t>(row)); }
    [[nodiscard]] const std::vector<Item>& items() const noexcept { return m_items; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<Item> m_items;
    QIcon m_openFolder;
    QIcon m_closedFolder;
};

}  // namespace trelmark::ui
