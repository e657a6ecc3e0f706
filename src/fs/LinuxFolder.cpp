// SPDX-License-Identifier: MIT
#include "fs/LinuxFolder.h"

#include <fcntl.h>

#include "fs/ComponentState.h"
#include "fs/OpenPath.h"
#include "fs/SnapshotFiles.h"
#include "fs/SnapshotFolders.h"

namespace trelmark::fs {

namespace {

std::error_code errorOf(const DirNode& node) {
    if (node.state == NodeState::Pending) {
        return std::make_error_code(std::errc::operation_canceled);
    }
    return {node.error != 0 ? node.error : EIO, std::generic_category()};
}

}  // namespace

LinuxFolder::LinuxFolder(std::shared_ptr<ComponentState> component, std::string path,
                         util::UniqueFd directory)
    : m_component(std::move(component)), m_path(std::move(path)), m_directory(std::move(directory)) {}

LinuxFolder::LinuxFolder(std::shared_ptr<ComponentState> component, std::shared_ptr<const Snapshot> snapshot,
                         std::uint32_t node)
    : m_component(std::move(component)), m_snapshot(std::move(snapshot)), m_node(node) {}

std::string LinuxFolder::Path() const {
    if (m_path.empty()) {
        m_path = m_snapshot->pathOf(m_node);
    }
    return m_path;
}

std::string LinuxFolder::Name() const {
    if (m_snapshot && m_node != Snapshot::kRoot) {
        return std::string(m_snapshot->node(m_node).nameView());
    }
    const std::string path = Path();
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

util::Result<std::unique_ptr<fs::Drive>> LinuxFolder::Drive() const {
    return m_component->getDrive(Path());
}

util::Result<const DirNode*> LinuxFolder::walked() {
    if (!m_snapshot) {
        if (!m_directory) {
            // A drive's root folder is named without being opened: a root the user may pass through but
            // not list (mode 0711) still names its drive.
            m_directory = openPath(Path(), O_RDONLY | O_DIRECTORY);
            if (!m_directory) {
                return util::lastSystemError();
            }
        }
        auto snapshot = m_component->walk(m_directory.get(), Path());
        if (!snapshot) {
            return snapshot.error();
        }
        m_snapshot = std::move(*snapshot);
        m_node = Snapshot::kRoot;
        m_directory.reset();
    }
    return &m_snapshot->node(m_node);
}

util::Result<Figure> LinuxFolder::Size() {
    const auto node = walked();
    if (!node) {
        return node.error();
    }
    return Figure{(*node)->totalBytes, (*node)->complete()};
}

util::Result<std::unique_ptr<FolderCollection>> LinuxFolder::SubFolders() {
    const auto node = walked();
    if (!node) {
        return node.error();
    }
    const DirNode& directory = **node;
    if (directory.state == NodeState::Pending || directory.state == NodeState::Unreadable) {
        return errorOf(directory);
    }
    return std::unique_ptr<FolderCollection>(
        std::make_unique<SnapshotFolders>(m_component, m_snapshot, m_node));
}

util::Result<std::unique_ptr<FileCollection>> LinuxFolder::Files() {
    const auto node = walked();
    if (!node) {
        return node.error();
    }
    const DirNode& directory = **node;
    if (directory.state == NodeState::Pending || directory.state == NodeState::Unreadable) {
        return errorOf(directory);
    }
    // A file that was listed but could not be measured is counted, and its size is missing from the sum.
    const bool complete = (directory.flags & (kStoppedInside | kSaturated | kEntriesUnmeasured)) == 0;
    return std::unique_ptr<FileCollection>(
        std::make_unique<SnapshotFiles>(directory.ownFiles, Figure{directory.ownBytes, complete}));
}

std::optional<Folder::TreeCount> LinuxFolder::knownTreeCount() const {
    if (!m_snapshot) {
        return std::nullopt;
    }
    const DirNode& node = m_snapshot->node(m_node);
    if (node.state != NodeState::Read || !node.complete()) {
        return std::nullopt;
    }
    return TreeCount{node.totalFiles, node.totalDirs};
}

std::optional<Folder::TreeCount> LinuxFolder::reachedTreeCount() const {
    if (!m_snapshot) {
        return std::nullopt;
    }
    const DirNode& node = m_snapshot->node(m_node);
    if (node.state != NodeState::Read) {
        return std::nullopt;
    }
    return TreeCount{node.totalFiles, node.totalDirs, node.complete()};
}

std::vector<Problem> LinuxFolder::problems(std::size_t limit) const {
    return m_snapshot ? m_snapshot->problems(m_node, limit) : std::vector<Problem>{};
}

}  // namespace trelmark::fs
