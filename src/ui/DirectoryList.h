// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include <QListView>

namespace trelmark::ui {

class DriveCatalog;
class NameListModel;

// The directory list `dirData`: the ancestors of its path from the root down, the path itself (selected),
// then its sub-directories, indented like a tree. Double-click or Enter opens a row. `Path` is the full,
// canonical path of the directory shown, as text (bytes that are not UTF-8 escaped); it takes a full or
// relative path, or a value of the drive list, which opens that drive's current directory. PathChanged is
// raised before the assignment (or the user's opening) returns, and only when the path moved.
// A value that names no directory is refused and the list stays as it was; a directory that cannot be read
// is shown without sub-directories.
// Owned by its parent; uses the catalog, which must outlive it. Thread: the GUI thread.
class DirectoryList final : public QListView {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path WRITE setPath NOTIFY PathChanged)
public:
    explicit DirectoryList(DriveCatalog& drives, QWidget* parent = nullptr);

    [[nodiscard]] QString Path() const;
    [[nodiscard]] const std::string& rawPath() const noexcept { return m_path; }
    void setPath(const QString& value) { static_cast<void>(assignPath(value)); }
    // Whether the list took the value.
    bool assignPath(const QString& value);

signals:
    void PathChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool open(const std::string& raw);
    void openRow(const QModelIndex& index);
    void fill();

    DriveCatalog& m_drives;
    NameListModel* m_model;
    std::string m_path;
};

}  // namespace trelmark::ui
