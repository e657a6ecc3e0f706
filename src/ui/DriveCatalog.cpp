// SPDX-License-Identifier: MIT
#include "ui/DriveCatalog.h"

#include "fs/StalledPaths.h"
#include "util/DisplayName.h"

namespace trelmark::ui {

DriveCatalog::DriveCatalog(fs::MountedDrives drives) : m_drives(std::move(drives)) {
    for (const fs::MountedDrive& drive : m_drives.drives()) {
        m_current.push_back(drive.mountPoint);
    }
}

DriveCatalog DriveCatalog::fromSystem() {
    auto drives = fs::MountedDrives::read();
    if (drives && !drives->drives().empty()) {
        // A mount that did not tell its size in time is as late for every other question: the window's
        // controls give it a short grace, not a whole deadline each (there is no answer to wait for).
        for (const fs::MountedDrive& drive : drives->drives()) {
            if (!drive.answered) {
                fs::StalledPaths::process().stalled(drive.mountPoint);
            }
        }
        return DriveCatalog(std::move(*drives));
    }
    return DriveCatalog(fs::MountedDrives({{"/", "/", "", "", true}}));
}

std::string DriveCatalog::driveValue(int index) const {
    const fs::MountedDrive& drive = drives().at(static_cast<std::size_t>(index));
    const std::string& name = drive.label.empty() ? drive.source : drive.label;
    // A mount whose server did not answer in time is offered all the same, and says so.
    return util::displayName(drive.mountPoint) + "  [" + util::displayName(name) + "]" +
           (drive.answered ? "" : "  (応答なし)");
}

int DriveCatalog::indexOfValue(std::string_view value) const {
    for (int index = 0; index < static_cast<int>(drives().size()); ++index) {
        if (driveValue(index) == value) {
            return index;
        }
    }
    return -1;
}

int DriveCatalog::indexOf(std::string_view absolutePath) const noexcept {
    const fs::MountedDrive* drive = m_drives.containing(absolutePath);
    return drive == nullptr ? -1 : static_cast<int>(drive - m_drives.drives().data());
}

const std::string& DriveCatalog::currentDirectory(int index) const {
    return m_current.at(static_cast<std::size_t>(index));
}

void DriveCatalog::remember(const std::string& directory) {
    const int index = indexOf(directory);
    if (index >= 0) {
        m_current[static_cast<std::size_t>(index)] = directory;
    }
}

}  // namespace trelmark::ui
