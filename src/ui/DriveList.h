// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QComboBox>

#include "ui/PathLookups.h"

namespace trelmark::ui {

class DriveCatalog;

// The drive list `driveData`: the mounted file systems, each shown with its mount point and its label or
// device. `Drive` is the selected item's text; assigning it a path selects the drive that holds the path.
// DriveChanged is raised before the assignment (or the user's pick) returns, and only when the selection
// moved. A value that names no drive (an empty or relative half-typed text that leads nowhere) is refused
// and the list stays as it was. A path is resolved (links followed) on a worker with a deadline
// (LateAnswers); past it, the drive is the one the path spells, and the late answer is not waited for.
// Owned by its parent; uses the catalog, which must outlive it. Thread: the GUI thread.
class DriveList final : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Drive READ Drive WRITE setDrive NOTIFY DriveChanged)
public:
    explicit DriveList(DriveCatalog& drives, QWidget* parent = nullptr);

    [[nodiscard]] QString Drive() const { return currentText(); }
    void setDrive(const QString& value) { static_cast<void>(assignDrive(value)); }
    // Whether the list took the value.
    bool assignDrive(const QString& value);
    // Another file system in place of the system's: for tests.
    void setLookups(std::shared_ptr<const PathLookups> lookups) { m_lookups = std::move(lookups); }

signals:
    void DriveChanged();

private:
    DriveCatalog& m_drives;
    std::shared_ptr<const PathLookups> m_lookups = PathLookups::system();
};

}  // namespace trelmark::ui
