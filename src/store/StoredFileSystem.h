// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fs/FileSystem.h"
#include "store/StoredTree.h"

namespace trelmark::store {

// The component over a kept survey: folders and the drive as the survey recorded them, so that the survey
// engine shows an opened survey, and any directory inside it, with its own rows and no walk.
// Thread: the tree's. Errors: a path outside the survey is not found; a damaged record fails the lookup.
class StoredFileSystem final : public fs::FileSystem {
public:
    explicit StoredFileSystem(std::shared_ptr<StoredTree> tree) : m_tree(std::move(tree)) {}

    [[nodiscard]] util::Result<std::unique_ptr<fs::Folder>> GetFolder(std::string_view path) override;
    [[nodiscard]] util::Result<std::unique_ptr<fs::Drive>> GetDrive(std::string_view spec) override;
    // Nothing is walked, so there is nothing to observe.
    void setProgressHandler(fs::ProgressHandler handler) override { static_cast<void>(handler); }

private:
    // The engine asks for each sub-directory of the surveyed one by its path: the last directory whose
    // children were read answers those without reading down from the root again.
    [[nodiscard]] util::Result<DirRecord> find(std::string_view path);

    std::shared_ptr<StoredTree> m_tree;
    std::string m_listedPath;
    std::vector<DirRecord> m_listed;
};

}  // namespace trelmark::store
