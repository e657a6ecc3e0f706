// SPDX-License-Identifier: MIT
// frmMain exploring the last survey's walk: a sub-directory's row opened from the grid, or its parent, is
// surveyed from memory (SurveyEngine::revisit) and the path controls follow, as for any change of directory.
#include <QCheckBox>
#include <QDateTime>
#include <QFontMetrics>
#include <QLabel>
#include <QTableView>

#include "survey/SurveyEngine.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridExplorer.h"
#include "ui/GridModel.h"
#include "ui/KeptSurveys.h"
#include "ui/PathField.h"
#include "ui/TextConversion.h"
#include "ui/frmMain.h"
#include "util/PathHelpers.h"

namespace trelmark::ui {

void frmMain::clearRows() {
    InitGrid();
    m_explorer->restoreSurveyOrder();
}

void frmMain::drillDown(int surveyRow) {
    const survey::SurveyRow* row = m_grid->figures(surveyRow);
    const std::string& target = m_report.shown().target;
    if (row == nullptr || row->kind != survey::RowKind::SubDirectory || target.empty()) {
        return;
    }
    showFromWalk(util::JoinPath(target, row->name, false, util::PathStyle::Posix));
}

void frmMain::goUp() {
    const std::string& target = m_report.shown().target;
    if (target.empty() || target == "/") {
        return;
    }
    showFromWalk(util::GetParentPath(target, util::PathStyle::Posix));
}

void frmMain::showFromWalk(const std::string& path) {
    if (m_engine->running() || m_kept->show(path)) {
        return;
    }
    const auto when = m_engine->walkTime();
    m_report.begin(path, countOption());
    if (!when || m_engine->revisit(path, {countOption()}) != survey::SurveyEngine::Revisit::Shown) {
        noteFromWalk(QStringLiteral("調査の範囲外です（チェックで調べてください）"));
        return;
    }
    // The lists may read the new directory from disk, as every change of directory does; the figures
    // above came from memory.
    showPathInControls(path);
    const QString time = QDateTime::fromSecsSinceEpoch(std::chrono::system_clock::to_time_t(*when))
                             .toString(QStringLiteral("HH:mm:ss"));
    noteFromWalk(time + QStringLiteral(" の調査の数値です"));
}

void frmMain::showPathInControls(const std::string& path) {
    const QString shown = toDisplay(path);
    m_textPath->setText(shown);
    m_dirData->setPath(shown);
    m_driveData->setDrive(shown);
    m_fileData->setPath(m_dirData->Path());
}

void frmMain::noteFromWalk(const QString& text) {
    if (m_labelFromWalk == nullptr) {
        // Made only now: a window whose grid is never explored keeps exactly its layout.
        // On the canvas, beside the grid it speaks of: it scrolls with the layout.
        m_labelFromWalk = new QLabel(m_canvas);
        m_labelFromWalk->setObjectName(QStringLiteral("labelFromWalk"));
        m_labelFromWalk->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_labelFromWalk->setText(text);
    // Right-aligned with the grid, above the count option, as wide as its text: never cut.
    const QFontMetrics metrics(m_labelFromWalk->font());
    const int width = metrics.horizontalAdvance(text) + 2;
    const int height = metrics.height();
    const int right = m_gridList->geometry().right();
    const int countOptionTop = m_checkFiles->geometry().top();
    m_labelFromWalk->setGeometry(right + 1 - width, countOptionTop - 1 - height, width, height);
    m_labelFromWalk->show();
}

}  // namespace trelmark::ui
