// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QListView>

#include "ui/ListingRequests.h"
#include "ui/PathLookups.h"

namespace trelmark::ui {

class DriveCatalog;
class LateAnswers;
class NameListModel;

// The directory list `dirData`: the ancestors of its path from the root down, the path itself (selected),
// then its sub-directories, indented like a tree. Double-click or Enter opens a row. `Path` is the full,
// canonical path of the directory shown, as text (bytes that are not UTF-8 escaped); it takes a full or
// relative path, or a value of the drive list, which opens that drive's current directory. PathChanged is
// raised before the assignment (or the user's opening) returns, and only when the path moved.
// A value that names no directory is refused and the list stays as it was; a directory that cannot be read
// is shown without sub-directories.
//
// The file system is asked on a worker with a deadline (LateAnswers). When it does not answer in time the
// list takes the value as spelled (made absolute), shows "(応答なし)" below it and stays usable; the answer
// fills it in when it comes, unless another value was taken meanwhile. A late answer that resolves to
// another path (a link) moves the list there, raising PathChanged then; a late refusal returns it to what
// it showed before without one, so that the other controls keep what they were given, as after a refusal
// in time.
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
    // Whether the list waits for the file system to tell what its path holds.
    [[nodiscard]] bool waiting() const noexcept { return m_requests.waiting(); }
    // Another file system in place of the system's: for tests.
    void setLookups(std::shared_ptr<const PathLookups> lookups) { m_lookups = std::move(lookups); }

signals:
    void PathChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    using Answer = std::optional<PathLookups::Directory>;

    bool open(std::vector<std::string> candidates);
    bool show(std::uint64_t request, PathLookups::Directory directory);
    void wait(std::uint64_t request, const std::string& path);
    void answerLate(std::uint64_t request, Answer answer);
    void moveTo(const std::string& path, std::vector<NameListModel::Item> items, int current);
    void openRow(const QModelIndex& index);
    // The rows of a path's ancestors and of the path itself.
    [[nodiscard]] static std::vector<NameListModel::Item> ancestors(const std::string& path);

    DriveCatalog& m_drives;
    NameListModel* m_model;
    LateAnswers* m_late;
    std::shared_ptr<const PathLookups> m_lookups = PathLookups::system();
    ListingRequests m_requests;
    std::string m_path;
};

}  // namespace trelmark::ui
