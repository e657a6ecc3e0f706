// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fs/MountTable.h"
#include "util/Result.h"

namespace trelmark::fs {

// One file system a user would see in df.
struct MountedDrive {
    std::string mountPoint;  // raw bytes
    std::string source;      // the device, or what the file system calls its source (tmpfs, server:/export)
    std::string label;       // the file-system label when udev knows one, else empty
    std::string fsType;
    // False when the file system did not tell its size in time (a dead network server): listed without
    // figures.
    bool answered = true;

    friend bool operator==(const MountedDrive&, const MountedDrive&) = default;
};

// The drives of the drive list: the mounted file systems df lists (no pseudo file systems, each device once,
// none without blocks), in mount order, so "/" comes first; "/" is there even where the mount table does
// not show it (a chroot whose root is no mount point). A value, read once.
// Thread: any. Errors: read() fails only when the mount table cannot be read; a mount that does not tell
// its size within the deadline is listed as not answering, and the call that asked is left behind.
class MountedDrives {
public:
    // Device path (resolved, e.g. /dev/sda1) -> label.
    using Labels = std::map<std::string, std::string>;
    enum class Blocks { None, Some, Unknown };

    [[nodiscard]] static util::Result<MountedDrives> read(
        std::chrono::milliseconds deadline = std::chrono::milliseconds(500));
    // `hasBlocks` tells whether a mount point reports a non-zero size: Blocks::Unknown when it did not
    // answer.
    template <class HasBlocks>
    [[nodiscard]] static MountedDrives select(const MountTable& table, HasBlocks&& hasBlocks,
                                              const Labels& labels);
    explicit MountedDrives(std::vector<MountedDrive> drives) : m_drives(std::move(drives)) {}

    [[nodiscard]] const std::vector<MountedDrive>& drives() const noexcept { return m_drives; }
    // The drive whose mount point is the longest prefix of an absolute path, by whole components; null when
    // none is (no drive is mounted at "/" in the table).
    [[nodiscard]] const MountedDrive* containing(std::string_view absolutePath) const noexcept;

    // The labels udev publishes as links in a directory such as /dev/disk/by-label.
    [[nodiscard]] static Labels readLabels(const std::string& byLabelDirectory);
    // udev writes a label's blanks and other unsafe bytes as \xHH in the link's name.
    [[nodiscard]] static std::string decodeUdevName(std::string_view name);

private:
    static MountedDrive fromEntry(const MountEntry& entry, const Labels& labels);
    static MountedDrives withRoot(std::vector<MountedDrive> drives);

    std::vector<MountedDrive> m_drives;
};

template <class HasBlocks>
MountedDrives MountedDrives::select(const MountTable& table, HasBlocks&& hasBlocks, const Labels& labels) {
    std::vector<MountedDrive> drives;
    const auto listed = [&hasBlocks](const std::string& point) { return hasBlocks(point) != Blocks::None; };
    for (const MountEntry& entry : table.userVisible(listed)) {
        drives.push_back(fromEntry(entry, labels));
        drives.back().answered = hasBlocks(entry.mountPoint) != Blocks::Unknown;
    }
    return withRoot(std::move(drives));
}

}  // namespace trelmark::fs
