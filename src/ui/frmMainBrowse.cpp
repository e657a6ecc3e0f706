// SPDX-License-Identifier: MIT
// frmMain's browse button: Qt's own file dialog, used as a directory chooser.
#include <unistd.h>

#include <QFile>
#include <QFileDialog>
#include <QPushButton>

#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/LateAnswers.h"
#include "ui/PathField.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"
#include "ui/frmMain.h"
#include "util/PathHelpers.h"

namespace trelmark::ui {

namespace {

// The name the dialog is confirmed with; only the directory it lies in counts.
const QString kPlaceholder = QStringLiteral("入力不要");

// Spaces only, as the path field is trimmed: a tab is part of the text.
QString trimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ') {
        ++first;
    }
    while (end > first && text[end - 1] == u' ') {
        --end;
    }
    return text.mid(first, end - first);
}

}  // namespace

void frmMain::cmdRefer_Click() {
    const QString chosen = BrowseDirectory(trimSpaces(m_textPath->text()), m_startDirectory);
    if (chosen.isEmpty()) {
        return;
    }
    // The text's own change handling moves both lists; the two assignments after it find them there.
    m_textPath->setText(chosen);
    m_dirData->setPath(chosen);
    m_driveData->setDrive(chosen);
}

QString frmMain::BrowseDirectory(const QString& initialDirectory, const std::string& returnDirectory) {
    QString result;
    {
        QFileDialog dialog(this, QStringLiteral("ディレクトリ指定"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        // Qt's dialog has no read-only check box to hide; its ReadOnly option forbids new folders and
        // renames, and stays off.
        dialog.setOption(QFileDialog::ReadOnly, false);
        // One filter that reads "入力不要" and hides no file: the label alone is shown, over "*".
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilter(kPlaceholder + QStringLiteral(" (*)"));
        // Any name may be confirmed, existing or not; the placeholder never exists.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // A directory that is not there opens the current one, as an empty text does; so does one whose file
        // system does not answer in time.
        const std::string wanted = util::JoinPath(toRaw(initialDirectory), "", false);
        const auto answer = wanted.empty() ? std::nullopt
                                           : LateAnswers::askOnce<std::optional<std::string>>(
                                                 util::normalizePosixPath(wanted, processDirectory()),
                                                 [wanted] { return canonicalDirectory(wanted); });
        const auto initial = answer ? *answer : std::nullopt;
        dialog.setDirectory(
            QFile::decodeName(QByteArray::fromStdString(initial.value_or(processDirectory()))));
        dialog.selectFile(kPlaceholder);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            const QByteArray confirmed = QFile::encodeName(dialog.selectedFiles().constFirst());
            result = toDisplay(util::GetParentPath(confirmed.toStdString(), util::PathStyle::Posix));
        }
    }
    // Whatever was browsed, the process goes on from the start directory. Where that has gone, or never was
    // a directory, it stays where it is: the choice still stands and nothing needs saying.
    // On a share that does not answer the change is left to its worker, which makes it when it can.
    if (!returnDirectory.empty()) {
        static_cast<void>(
            LateAnswers::askOnce<bool>(util::normalizePosixPath(returnDirectory, processDirectory()),
                                       [returnDirectory] { return ::chdir(returnDirectory.c_str()) == 0; }));
    }
    return result;
}

}  // namespace trelmark::ui
