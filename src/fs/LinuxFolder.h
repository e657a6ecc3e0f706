// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "fs/Folder.h"
#include "fs/Snapshot.h"
#include "util/UniqueFd.h"

namespace trelmark::fs {

class ComponentState;

// A folder of the Linux component. Made by a lookup, it holds its directory open and knows nothing of its
// tree; the first question that needs the tree walks it once (Scanner) and from then on every answer, for
// this folder and every folder handed out below it, comes from that snapshot.
// Thread: the component's owner thread; the walk's progress handler runs on it while the walk lasts.
class LinuxFolder final : public Folder {
public:
    // Without a descriptor, the folder opens its path when its tree is first needed.
    LinuxFolder(std::shared_ptr<ComponentState> component, std::string path, util::UniqueFd directory);
    LinuxFolder(std::shared_ptr<ComponentState> component, std::shared_ptr<const Snapshot> snapshot,
                std::uint32_t node);

    [[nodiscard]] std::string Path() const override;
    [[nodiscard]] std::string Name() const override;
    [[nodiscard]] util::Result<std::unique_ptr<fs::Drive>> Drive() const override;
    [[nodiscard]] util::Result<Figure> Size() override;
    [[nodiscard]] util::Result<std::unique_ptr<FolderCollection>> SubFolders() override;
    [[nodiscard]] util::Result<std::unique_ptr<FileCollection>> Files() override;
    [[nodiscard]] std::optional<TreeCount> knownTreeCount() const override;
    [[nodiscard]] std::optional<TreeCount> reachedTreeCount() const override;
    [[nodiscard]] std::vector<Problem> problems(std::size_t limit) const override;
    [[nodiscard]] WalkedTree walkedTree() const override { return {m_snapshot, m_node}; }

private:
    // The node of this folder, walking the tree first if that has not happened.
    [[nodiscard]] util::Result<const DirNode*> walked();

    std::shared_ptr<ComponentState> m_component;
    mutable std::string m_path;  // for snapshot nodes: made when first asked
    util::UniqueFd m_directory;  // until the walk; opened then when the folder was made without it
    std::shared_ptr<const Snapshot> m_snapshot;
    std::uint32_t m_node = Snapshot::kRoot;
};

}  // namespace trelmark::fs
