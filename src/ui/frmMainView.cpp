// frmMain as the survey engine's view: the grid, the labels, the buttons, the pointer and the yield.
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridModel.h"
#include "ui/PathField.h"
#include "ui/TextConversion.h"
#include "ui/WindowLook.h"
#include "ui/frmMain.h"
#include "util/Version.h"

namespace trelmark::ui {

namespace {

// What a header section takes beyond its text: the padding on both sides and the right border that
// frmMain's style sheet gives it.
constexpr int kHeaderExtra = 2 * 3 + 1;

// The caption changes at most this often while a walk reports progress.
constexpr int kCaptionIntervalMs = 200;

QString toText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The reasons a user meets, in the window's language; the system's words for the rest.
QString reasonText(std::error_code error) {
    if (error == std::errc::no_such_file_or_directory) {
        return QStringLiteral("見つかりません");
    }
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return QStringLiteral("アクセスが拒否されました");
    }
    if (error == std::errc::not_a_directory) {
        return QStringLiteral("ディレクトリではありません");
    }
    return QString::fromStdString(error.message());
}

}  // namespace

void frmMain::InitGrid() {
    m_grid->clear();
    m_grid->setDataRowCount(1);
    const auto columns = GridModel::parseFormat(QString::fromLatin1(kGridFormat));
    m_grid->setColumns(columns);
    const QFontMetrics metrics(m_gridList->font());
    for (int column = 0; column < static_cast<int>(columns.size()) && column < GridModel::kColumns;
         ++column) {
        m_gridList->setColumnWidth(
            column,
            metrics.horizontalAdvance(columns[static_cast<std::size_t>(column)].header) + kHeaderExtra);
    }
}

void frmMain::setRowCount(int rows) {
    m_grid->setDataRowCount(rows - 1);
}

void frmMain::setCell(int row, int column, const survey::Cell& cell) {
    if (row == 0) {
        m_grid->setHeaderText(column, toText(cell.text));
    } else {
        m_grid->setText(row - 1, column, toText(cell.text));
    }
    // The size of "." comes after every walk a run makes, before the run lets go of its folder.
    if (row == 2 && column == 1 && m_state.flagRunning) {
        retainSurvey();
    }
}

void frmMain::setDriveTotalSize(const survey::Cell& cell) {
    m_labelDriveTotalSize->setText(toText(cell.text));
}

void frmMain::setDriveAvailableSpace(const survey::Cell& cell) {
    m_labelDriveAvailableSpace->setText(toText(cell.text));
}

void frmMain::EnableControls(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{m_textPath, m_cmdRefer, m_driveData, m_dirData,
                                                            m_fileData, m_checkFiles, m_cmdMain[1]}) {
        control->setEnabled(enabled);
    }
    if (!enabled) {
        m_lastSurvey.reset();
        m_lastMap.reset();
    }
    if (enabled) {
        setWindowTitle(m_caption);
        m_sinceCaption.invalidate();
    }
}

void frmMain::setExitCaption(std::string_view caption) {
    m_cmdMain[0]->setText(toText(caption));
}

void frmMain::setBusyPointer(bool busy) {
    if (busy == m_busy) {
        return;
    }
    m_busy = busy;
    if (busy) {
        setCursor(Qt::WaitCursor);
        for (QWidget* child : findChildren<QWidget*>()) {
            if (child != m_cmdMain[0] && child->testAttribute(Qt::WA_SetCursor)) {
                m_ownCursors.emplace_back(child, child->cursor());
                child->setCursor(Qt::WaitCursor);
            }
        }
        return;
    }
    unsetCursor();
    for (auto& [child, cursor] : m_ownCursors) {
        if (child) {
            child->setCursor(cursor);
        }
    }
    m_ownCursors.clear();
}

void frmMain::yield() {
    QCoreApplication::processEvents();
}

void frmMain::showMessage(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, toText(title), toText(text), QMessageBox::Ok, this);
    box.exec();
}

bool frmMain::countOption() const {
    return m_checkFiles->checkState() != Qt::Unchecked;
}

std::string frmMain::directoryPath() const {
    return m_dirData->rawPath();
}

void frmMain::lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) {
    static_cast<void>(step);  // the directory's own path serves both lookups here
    const QString text = QStringLiteral("ディレクトリを開けません「") + toDisplay(path) +
                         QStringLiteral("」\n") + reasonText(error);
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(util::kProgramTitle), text, QMessageBox::Ok, this);
    box.exec();
}

void frmMain::walkProgress(const fs::WalkProgress& progress) {
    if (m_sinceCaption.isValid() && m_sinceCaption.elapsed() < kCaptionIntervalMs) {
        return;
    }
    m_sinceCaption.start();
    setWindowTitle(progressCaption(m_caption, progress));
}

}  // namespace trelmark::ui
