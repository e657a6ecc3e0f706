// SPDX-License-Identifier: MIT
#include "ui/DriveList.h"

#include "ui/DriveCatalog.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"

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
        const auto path = absolutePath(toRaw(value));
        index = path ? m_drives.indexOf(*path) : -1;
    }
    if (index < 0) {
        return false;
    }
    setCurrentIndex(index);  // raises DriveChanged through currentIndexChanged, only on a real move
    return true;
}

}  // namespace trelmark::ui
