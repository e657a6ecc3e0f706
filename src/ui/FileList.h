// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QListView>

#include "ui/ListingRequests.h"
#include "ui/PathLookups.h"

namespace trelmark::ui {

class LateAnswers;
class NameListModel;

// The file list `fileData`: the names of everything in its directory that is not a directory. `Path` is
// the directory's full, canonical path as text; PathChanged is raised before an assignment returns, and
// only when the path moved. A value that names no directory is refused and the list stays as it was.
// It starts on the process's current directory.
//
// The file system is asked on a worker with a deadline (LateAnswers), as the directory list does: past it
// the list takes the value as spelled and shows "(応答なし)" until the answer fills it in, unless another
// value was taken meanwhile; a late refusal returns it, unannounced, to what it showed before.
// Owned by its parent. Thread: the GUI thread.
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
    // Whether the list waits for the file system to tell what its path holds.
    [[nodiscard]] bool waiting() const noexcept { return m_requests.waiting(); }
    // Another file system in place of the system's: for tests.
    void setLookups(std::shared_ptr<const PathLookups> lookups) { m_lookups = std::move(lookups); }

signals:
    void PathChanged();

private:
    using Answer = std::optional<PathLookups::Directory>;

    bool open(const std::string& raw);
    void show(std::uint64_t request, PathLookups::Directory directory);
    void answerLate(std::uint64_t request, Answer answer);
    void moveTo(const std::string& path, std::vector<NameListModel::Item> items);

    NameListModel* m_model;
    LateAnswers* m_late;
    std::shared_ptr<const PathLookups> m_lookups = PathLookups::system();
    ListingRequests m_requests;
    std::string m_path;
};

}  // namespace trelmark::ui
