// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>

#include "fs/FolderCollection.h"
#include "fs/Snapshot.h"

namespace trelmark::fs {

class ComponentState;

// The sub-folders of a walked directory, from its snapshot: no I/O, the same order every time.
// Thread: the component's owner thread.
class SnapshotFolders final : public FolderCollection {
public:
    SnapshotFolders(std::shared_ptr<ComponentState> component, std::shared_ptr<const Snapshot> snapshot,
                    std::uint32_t parent);

    [[nodiscard]] util::Result<std::uint64_t> Count() const override { return m_count; }
    [[nodiscard]] util::Result<std::unique_ptr<Folder>> next() override;

private:
    std::shared_ptr<ComponentState> m_component;
    std::shared_ptr<const Snapshot> m_snapshot;
    std::uint32_t m_next = 0;
    std::uint32_t m_end = 0;
    std::uint64_t m_count = 0;
};

}  // namespace trelmark::fs
