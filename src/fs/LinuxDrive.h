// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "fs/Drive.h"
#include "fs/MountTable.h"
#include "util/UniqueFd.h"

namespace trelmark::fs {

class ComponentState;

// A mounted file system, as found for a path. Holds a descriptor on that path (O_PATH), so its figures come
// from that file system even if the mount point is hidden. Sizes are those of df -B1.
// Thread: the component's owner thread. Errors: as values.
class LinuxDrive final : public Drive {
public:
    // `rootPath`: the mount point, or the path the drive was looked up by when that path leads to the mount's
    // root by another spelling (through "..", or a symbolic link), so the caller recognises its root.
    LinuxDrive(std::shared_ptr<ComponentState> component, MountEntry mount, std::string rootPath,
               util::UniqueFd handle)
        : m_component(std::move(component)),
          m_mount(std::move(mount)),
          m_rootPath(std::move(rootPath)),
          m_handle(std::move(handle)) {}

    [[nodiscard]] util::Result<std::uint64_t> TotalSize() const override;
    [[nodiscard]] util::Result<std::uint64_t> AvailableSpace() const override;
    [[nodiscard]] util::Result<std::unique_ptr<Folder>> RootFolder() const override;

    [[nodiscard]] const MountEntry& mount() const noexcept { return m_mount; }

private:
    std::shared_ptr<ComponentState> m_component;
    MountEntry m_mount;
    std::string m_rootPath;
    util::UniqueFd m_handle;
};

}  // namespace trelmark::fs
