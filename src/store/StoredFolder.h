// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "fs/Folder.h"
#include "store/StoredTree.h"

namespace trelmark::store {

// A directory of a kept survey, answering the component's questions from its record: the survey engine
// shows an opened survey as it shows a walk, with no I/O but the survey's own file.
// Owns a share of the tree. Thread: the tree's. Errors: a directory the survey could not read fails as it
// did then; a damaged record fails with std::errc::bad_message (the tree says what is wrong).
class StoredFolder final : public fs::Folder {
public:
    StoredFolder(std::shared_ptr<StoredTree> tree, DirRecord record, std::string path);

    [[nodiscard]] std::string Path() const override { return m_path; }
    [[nodiscard]] std::string Name() const override;
    [[nodiscard]] util::Result<std::unique_ptr<fs::Drive>> Drive() const override;
    [[nodiscard]] util::Result<fs::Figure> Size() override;
    [[nodiscard]] util::Result<std::unique_ptr<fs::FolderCollection>> SubFolders() override;
    [[nodiscard]] util::Result<std::unique_ptr<fs::FileCollection>> Files() override;
    [[nodiscard]] std::optional<TreeCount> knownTreeCount() const override;
    [[nodiscard]] std::vector<fs::Problem> problems(std::size_t limit) const override;

    [[nodiscard]] const DirRecord& record() const noexcept { return m_record; }

private:
    // The survey could not read this directory, or never got to it.
    [[nodiscard]] bool unread() const noexcept;

    std::shared_ptr<StoredTree> m_tree;
    DirRecord m_record;
    std::string m_path;
};

// The folder at `path` (the survey's root or below it).
[[nodiscard]] util::Result<std::unique_ptr<fs::Folder>> storedFolder(const std::shared_ptr<StoredTree>& tree,
                                                                     std::string_view path);

}  // namespace trelmark::store
