// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fs/MountedDrives.h"

namespace trelmark::ui {

// The drives the window offers and, for each, its current directory: the last directory the directory
// list showed on it in this session, else its mount point. Shared by the drive list and the directory list
// so that picking a drive returns to where the user was on it.
// Owns copies of the drives. Thread: the window's. Errors: none; a path on no known drive has index -1.
class DriveCatalog {
public:
    explicit DriveCatalog(fs::MountedDrives drives);
    // The drives of this machine; "/" alone when the mount table cannot be read. Waits at most half a
    // second for mounts that do not answer (see fs::MountedDrives::read), whatever they do, and registers
    // those as late (fs::StalledPaths) for the rest of the process.
    [[nodiscard]] static DriveCatalog fromSystem();

    [[nodiscard]] const std::vector<fs::MountedDrive>& drives() const noexcept { return m_drives.drives(); }
    // The drive list's value for a drive: its mount point and, in brackets, its label or device, as text;
    // "(応答なし)" after it for a mount that did not answer.
    [[nodiscard]] std::string driveValue(int index) const;
    // The drive whose value is exactly `value`, or -1.
    [[nodiscard]] int indexOfValue(std::string_view value) const;
    // The drive holding an absolute, normalised path, or -1.
    [[nodiscard]] int indexOf(std::string_view absolutePath) const noexcept;
    [[nodiscard]] const std::string& currentDirectory(int index) const;
    // The directory list now shows `directory` (absolute, normalised).
    void remember(const std::string& directory);

private:
    fs::MountedDrives m_drives;
    std::vector<std::string> m_current;
};

}  // namespace trelmark::ui
