// SPDX-License-Identifier: MIT
#include "store/StoredFileSystem.h"

#include "fs/Drive.h"
#include "store/StoredFolder.h"

namespace trelmark::store {

util::Result<DirRecord> StoredFileSystem::find(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0 || path.size() <= m_tree->facts().root.size()) {
        return findPath(*m_tree, path);
    }
    const std::string_view parent = path.substr(0, slash);
    if (parent != m_listedPath) {
        const auto record = findPath(*m_tree, parent);
        auto children =
            record ? m_tree->children(record->id) : util::Result<std::vector<DirRecord>>(record.error());
        if (!children) {
            return children.error();
        }
        m_listedPath = std::string(parent);
        m_listed = std::move(children).value();
    }
    const std::string_view name = path.substr(slash + 1);
    for (const DirRecord& child : m_listed) {
        if (child.name == name) {
            return child;
        }
    }
    return std::errc::no_such_file_or_directory;
}

util::Result<std::unique_ptr<fs::Folder>> StoredFileSystem::GetFolder(std::string_view path) {
    auto record = find(path);
    if (!record) {
        return record.error();
    }
    return std::unique_ptr<fs::Folder>(
        std::make_unique<StoredFolder>(m_tree, std::move(record).value(), std::string(path)));
}

util::Result<std::unique_ptr<fs::Drive>> StoredFileSystem::GetDrive(std::string_view spec) {
    auto folder = GetFolder(spec);
    if (!folder) {
        return folder.error();
    }
    return folder.value()->Drive();
}

}  // namespace trelmark::store
