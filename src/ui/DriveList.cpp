// SPDX-License-Identifier: MIT
#include "ui/DriveList.h"

#include "ui/DriveCatalog.h"
#include "ui/LateAnswers.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"
#include "util/PathHelpers.h"

namespace trelmark::ui {

DriveList::DriveList(DriveCatalog& drives, QWidget* parent) : QComboBox(parent), m_drives(drives) {
    for (int index = 0; index < static_cast<int>(drives.drives().size()); ++index) {
        addItem(QString::fromStdString(drives.driveValue(index)));
    }
    // Like a new list on any system: it starts on the drive of the current directory.
    setCurrentIndex(std::max(0, drives.indexOf(processDirectory())));
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit DriveChanged(); });
}

bool DriveList::assignDrive(const QString& value) {
    int index = m_drives.indexOfValue(value.toStdString());
    if (index < 0) {
        const std::string raw = toRaw(value);
        if (raw.empty()) {
            return false;
        }
        const std::string spelled = util::normalizePosixPath(raw, processDirectory());
        const auto path = LateAnswers::askOnce<std::optional<std::string>>(
            spelled, [lookups = m_lookups, raw] { return lookups->absolutePath(raw); });
        index = m_drives.indexOf(path && *path ? **path : spelled);
    }
    if (index < 0) {
        return false;
    }
    setCurrentIndex(index);  // raises DriveChanged through currentIndexChanged, only on a real move
    return true;
}

}  // namespace trelmark::ui
