// SPDX-License-Identifier: MIT
#include "ui/FileDialog.h"

#include <QFileDialog>

namespace trelmark::ui {

QString chooseFile(QWidget* parent, const FileChoice& choice) {
    const bool writing = !choice.suggested.isEmpty();
    QFileDialog dialog(parent, choice.title);
    dialog.setObjectName(choice.objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(writing ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(writing ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!choice.filters.isEmpty()) {
        dialog.setNameFilters(choice.filters);
    }
    if (writing) {
        dialog.setDefaultSuffix(choice.suffix);
        dialog.selectFile(choice.suggested);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace trelmark::ui
