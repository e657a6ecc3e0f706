// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace trelmark::ui {

// A file the user chooses in Qt's own file dialog (never the desktop's, which may read the file system on
// the window's thread): what the dialog is for, and for a file to write, the name it suggests.
struct FileChoice {
    QString title;
    QString objectName;  // how tests find the dialog
    QStringList filters;
    // Empty: a file to read, which must exist. Else a file to write, suggested by this name.
    QString suggested;
    QString suffix;  // added to a name to write typed without one
};

// The chosen file; empty when the user cancelled. Modal. Thread: the GUI thread.
[[nodiscard]] QString chooseFile(QWidget* parent, const FileChoice& choice);

}  // namespace trelmark::ui
