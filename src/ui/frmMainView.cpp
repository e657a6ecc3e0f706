// SPDX-License-Identifier: MIT
// frmMain as the survey engine's sink (the grid, the labels, the yield) and controls (inputs, exit button,
// pointer).
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>

#include "survey/NumberFormat.h"
#include "survey/SurveyEngine.h"
#include "ui/CompareMode.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridModel.h"
#include "ui/KeptSurveys.h"
#include "ui/PathField.h"
#include "ui/TextConversion.h"
#include "ui/WindowLook.h"
#include "ui/frmMain.h"
#include "util/Version.h"

namespace trelmark::ui {

namespace {

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
    m_grid->showHeadings();
    for (int column = 0; column < GridModel::kColumns; ++column) {
        m_gridList->setColumnWidth(column, headerWidth(column));
    }
}

void frmMain::setRowCount(int rows) {
    m_grid->setDataRowCount(rows);
}

void frmMain::rowChanged(int index, const survey::SurveyRow& row, survey::Column column) {
    if (m_kept->withoutDrive()) {
        // An export knows no drive: no share of one.
        survey::SurveyRow shown = row;
        shown.totalShare.reset();
        m_grid->setFigure(index, shown, column);
    } else {
        m_grid->setFigure(index, row, column);
    }
    fitGridCell(static_cast<int>(column), m_grid->text(index, static_cast<int>(column)));
}

namespace {

// A figure written to a drive label: its text, and a name that reads it.
void showDriveFigure(QLabel* label, const QString& text, const QString& what) {
    label->setText(text);
    label->setAccessibleName(text.isEmpty() ? what : what + u' ' + text + QStringLiteral(" バイト"));
}

}  // namespace

void frmMain::driveFigures(fs::Figure total, fs::Figure available) {
    const bool known = !m_kept->withoutDrive();
    showDriveFigure(m_labelDriveTotalSize, known ? toText(survey::formatFigure(total)) : QString(),
                    QStringLiteral("ドライブの合計サイズ"));
    showDriveFigure(m_labelDriveAvailableSpace, known ? toText(survey::formatFigure(available)) : QString(),
                    QStringLiteral("ドライブの空き容量"));
    fitDriveLabels();
}

void frmMain::EnableControls(bool enabled) {
    // A disabled control hands the focus on (to the grid, at the bottom), and the scroll area would follow
    // it: the layout stays where the user had it.
    const QPoint scrolled(m_scroll->horizontalScrollBar()->value(), m_scroll->verticalScrollBar()->value());
    for (QWidget* control : std::initializer_list<QWidget*>{m_textPath, m_cmdRefer, m_driveData, m_dirData,
                                                            m_fileData, m_checkFiles, m_cmdMain[1]}) {
        control->setEnabled(enabled);
    }
    m_scroll->horizontalScrollBar()->setValue(scrolled.x());
    m_scroll->verticalScrollBar()->setValue(scrolled.y());
    if (!enabled) {
        // A run begins: the map's copy belongs to the walk it is about to replace. A revisit keeps the
        // engine's walk; any other run walks afresh, or shows an opened survey.
        m_lastMap.reset();
        m_kept->runStarts(m_engine->keptWalk() == nullptr && !m_kept->opened());
    }
    if (enabled) {
        setWindowTitle(m_caption);
        m_sinceCaption.invalidate();
        fitGridColumns();
        m_compare->rowsFinal();
    }
}

void frmMain::setExitButtonStops(bool stops) {
    m_cmdMain[0]->setText(exitCaption(stops));
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

void frmMain::failed(const survey::SurveyFailure& failure) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(util::kProgramTitle), failureText(failure),
                    QMessageBox::Ok, this);
    box.exec();
}

bool frmMain::countOption() const {
    return m_checkFiles->checkState() != Qt::Unchecked;
}

void frmMain::lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) {
    static_cast<void>(step);  // the directory's own path serves both lookups here
    const QString text = QStringLiteral("ディレクトリを開けません「") + toDisplay(path) +
                         QStringLiteral("」\n") + reasonText(error);
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(util::kProgramTitle), text, QMessageBox::Ok, this);
    box.exec();
}

void frmMain::surveyTree(const fs::WalkedTree& tree) {
    m_kept->walkArrived(tree);
}

void frmMain::surveyEnded(survey::SurveyEnd end) {
    static_cast<void>(end);  // the collector has it in the data
    m_kept->runEnded(m_report.current());
}

void frmMain::walkProgress(const fs::WalkProgress& progress) {
    if (m_sinceCaption.isValid() && m_sinceCaption.elapsed() < kCaptionIntervalMs) {
        return;
    }
    m_sinceCaption.start();
    setWindowTitle(progressCaption(m_caption, progress));
}

}  // namespace trelmark::ui
