// SPDX-License-Identifier: MIT
#include "fs/SnapshotFolders.h"

#include "fs/LinuxFolder.h"

namespace trelmark::fs {

SnapshotFolders::SnapshotFolders(std::shared_ptr<ComponentState> component,
                                 std::shared_ptr<const Snapshot> snapshot, std::uint32_t parent)
    : m_component(std::move(component)), m_snapshot(std::move(snapshot)) {
    const DirNode& directory = m_snapshot->node(parent);
    m_next = directory.firstChild;
    m_end = directory.firstChild + directory.childCount;
    for (std::uint32_t child = m_next; child < m_end; ++child) {
        m_count += m_snapshot->node(child).state != NodeState::Vanished ? 1 : 0;
    }
}

util::Result<std::unique_ptr<Folder>> SnapshotFolders::next() {
    while (m_next < m_end && m_snapshot->node(m_next).state == NodeState::Vanished) {
        ++m_next;
    }
    if (m_next == m_end) {
        return std::unique_ptr<Folder>{};
    }
    return std::unique_ptr<Folder>(std::make_unique<LinuxFolder>(m_component, m_snapshot, m_next++));
}

}  // namespace trelmark::fs
