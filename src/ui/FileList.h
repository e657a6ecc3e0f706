// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include <QListView>

namespace trelmark::ui {

class NameListModel;

// The file list `fileData`: the names of everything in its directory that is not a directory. `Path` is
// the directory's full, canonical path as text; PathChanged is raised before an assignment returns, and
// only when the path moved. A value that names no directory is refused and the list stays as it was.
// It starts on the process's current directory. Owned by its parent. Thread: the GUI thread.
class FileList final : public QListView {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path WRITE setPath NOTIFY PathChanged)
public:
    explicit FileList(QWidget* parent = nullptr);

    [[nodiscard]] QString Path() const;
    [[nodiscard]] const std::string& rawPath() const noexcept { return m_path; }
    void setPath(const QString& value) { static_cast<void>(assignPath(value)); }
    // Whether the list took the value.
    bool assignPath(const QString& value);

signals:
    void PathChanged();

private:
    bool open(const std::string& raw);

    NameListModel* m_model;
    std::string m_path;
};

}  // namespace trelmark::ui
