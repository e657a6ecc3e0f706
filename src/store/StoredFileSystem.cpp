// SPDX-License-Identifier: MIT
#include "store/StoredFileSystem.h"

#include "fs/Drive.h"
#include "store/StoredFolder.h"

namespace trelmark::store {

util::Result<std::unique_ptr<fs::Folder>> StoredFileSystem::GetFolder(std::string_view path) {
    return storedFolder(m_tree, path);
}

util::Result<std::unique_ptr<fs::Drive>> StoredFileSystem::GetDrive(std::string_view spec) {
    auto folder = storedFolder(m_tree, spec);
    if (!folder) {
        return folder.error();
    }
    return folder.value()->Drive();
}

}  // namespace trelmark::store
