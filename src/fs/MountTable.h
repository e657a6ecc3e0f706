// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "util/Result.h"

namespace trelmark::fs {

// One line of /proc/self/mountinfo.
struct MountEntry {
    int id = 0;
    int parentId = 0;
    dev_t device = 0;
    std::string root;        // the directory of the file system mounted here
    std::string mountPoint;  // raw bytes, unescaped
    std::string fsType;
    std::string source;  // the device or label
};

// The mounts this process sees. A value: read once, then queried.
// Thread: any. Errors: read() fails when /proc/self/mountinfo cannot be read.
class MountTable {
public:
    [[nodiscard]] static util::Result<MountTable> read();
    [[nodiscard]] static MountTable parse(std::string_view text);

    [[nodiscard]] const std::vector<MountEntry>& entries() const noexcept { return m_entries; }
    [[nodiscard]] const MountEntry* findById(int id) const noexcept;
    // The mount whose mount point is the longest prefix of an absolute, normalised path (the last one
    // mounted there when several are stacked).
    [[nodiscard]] const MountEntry* containing(std::string_view absolutePath) const noexcept;
    // What df lists: no pseudo file systems (proc, sysfs, cgroup, ...), each device once.
    // `hasBlocks` tells whether a mount point reports a non-zero size.
    template <class HasBlocks>
    [[nodiscard]] std::vector<MountEntry> userVisible(HasBlocks&& hasBlocks) const;

    [[nodiscard]] static bool isPseudoFileSystem(std::string_view fsType) noexcept;

private:
    std::vector<MountEntry> m_entries;
};

template <class HasBlocks>
std::vector<MountEntry> MountTable::userVisible(HasBlocks&& hasBlocks) const {
    std::vector<MountEntry> visible;
    for (const MountEntry& entry : m_entries) {
        if (isPseudoFileSystem(entry.fsType) || !hasBlocks(entry.mountPoint)) {
            continue;
        }
        bool seen = false;
        for (MountEntry& kept : visible) {
            // df shows a device once, at its shortest mount point; a later mount over the same point wins.
            if (kept.mountPoint == entry.mountPoint) {
                kept = entry;
                seen = true;
                break;
            }
            if (kept.device == entry.device && kept.root == entry.root) {
                if (entry.mountPoint.size() < kept.mountPoint.size()) {
                    kept = entry;
                }
                seen = true;
                break;
            }
        }
        if (!seen) {
            visible.push_back(entry);
        }
    }
    return visible;
}

}  // namespace trelmark::fs
