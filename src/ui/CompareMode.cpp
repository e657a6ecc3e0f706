// SPDX-License-Identifier: MIT
#include "ui/CompareMode.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMessageBox>
#include <QTableView>
#include <QTimer>

#include "store/StoredTree.h"
#include "store/SurveyComparison.h"
#include "store/SurveyOpening.h"
#include "survey/AsideCall.h"
#include "ui/FileDialog.h"
#include "ui/GridExplorer.h"
#include "ui/GridModel.h"
#include "ui/GridSortModel.h"
#include "ui/MainForm.h"
#include "util/ScopeExit.h"
#include "util/Version.h"

namespace trelmark::ui {

namespace {

// Where the change column stands on screen: after Size(bytes).
constexpr int kChangePlace = static_cast<int>(survey::Column::Size) + 1;

// Keeps the window answering while an aside call lasts; never gives up, as a user can stop waiting only by
// closing the window.
bool keepAnswering() {
    QCoreApplication::processEvents();
    return true;
}

struct Opened {
    std::shared_ptr<store::StoredTree> tree;
    std::string reason;
};

}  // namespace

CompareMode::CompareMode(MainForm& form, GridExplorer& explorer, Survey survey, QObject* parent)
    : QObject(parent),
      m_form(form),
      m_explorer(explorer),
      m_grid(*form.gridModel()),
      m_survey(std::move(survey)) {
    connect(&explorer, &GridExplorer::compareRequested, this, &CompareMode::chooseFile);
    connect(&explorer, &GridExplorer::compareStopRequested, this, &CompareMode::stop);
}

CompareMode::~CompareMode() = default;

void CompareMode::chooseFile() {
    const QString fileName = ui::chooseFile(m_form.window(), {.title = QStringLiteral("比較する調査を開く"),
                                                              .objectName = QStringLiteral("compareDialog"),
                                                              .filters = {},
                                                              .suggested = {},
                                                              .suffix = {}});
    if (!fileName.isEmpty()) {
        static_cast<void>(open(fileName));
    }
}

bool CompareMode::open(const QString& fileName) {
    if (m_waiting) {
        return false;
    }
    m_waiting = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const util::ScopeExit done([this] {
        m_waiting = false;
        QApplication::restoreOverrideCursor();
    });
    const std::string name = QFile::encodeName(fileName).toStdString();
    const auto opened = survey::callAside(
        [name] {
            Opened file;
            // Sizes and links as the window's own survey counts them.
            file.tree = store::openSurvey(name, store::ImportChoice{}, file.reason);
            return file;
        },
        keepAnswering);
    if (!opened || opened->tree == nullptr) {
        showProblem(fileName, opened ? opened->reason : std::string());
        return false;
    }
    const bool entering = m_old == nullptr;
    m_old = opened->tree;
    m_fileName = fileName;
    if (entering) {
        m_grid.setComparing(true);
        QHeaderView& header = *m_form.gridList()->horizontalHeader();
        header.moveSection(header.visualIndex(GridModel::kChangeColumn), kChangePlace);
        m_form.refitGridColumns();
    }
    m_compareAgain = true;
    QTimer::singleShot(0, this, &CompareMode::compareNow);
    return true;
}

void CompareMode::stop() {
    if (m_old == nullptr) {
        return;
    }
    m_old.reset();
    m_fileName.clear();
    if (m_explorer.sortModel().sortColumn() == GridModel::kChangeColumn) {
        m_explorer.restoreSurveyOrder();
    }
    m_grid.setComparing(false);
    m_form.refitGridColumns();
}

void CompareMode::rowsFinal() {
    if (m_old == nullptr) {
        return;
    }
    m_compareAgain = true;
    QTimer::singleShot(0, this, &CompareMode::compareNow);
}

std::vector<survey::SurveyRow> CompareMode::shownRows() const {
    std::vector<survey::SurveyRow> rows;
    for (int row = 0; row < m_grid.surveyRowCount(); ++row) {
        const survey::SurveyRow* const figures = m_grid.figures(row);
        if (figures == nullptr) {
            return {};  // a row not written yet: the rows are not final
        }
        rows.push_back(*figures);
    }
    return rows;
}

void CompareMode::compareNow() {
    if (m_waiting || !m_compareAgain || m_old == nullptr || m_survey.running()) {
        return;
    }
    m_compareAgain = false;
    std::vector<survey::SurveyRow> rows = shownRows();
    const std::string directory = m_survey.directory();
    if (rows.empty() || directory.empty()) {
        return;
    }
    m_waiting = true;
    const std::shared_ptr<store::StoredTree> old = m_old;
    auto compared = survey::callAside(
        [old, rows, directory] { return store::compareRows(rows, directory, *old); }, keepAnswering);
    m_waiting = false;
    if (m_old != old || !compared) {
        return;  // compare mode was left, or another survey opened, meanwhile
    }
    if (!*compared) {
        showProblem(m_fileName, old->damage());
        stop();
        return;
    }
    if (m_compareAgain || m_survey.running() || shownRows() != rows || m_survey.directory() != directory) {
        // The grid moved on while the answer was awaited: its own final rows are compared instead.
        m_compareAgain = true;
        QTimer::singleShot(0, this, &CompareMode::compareNow);
        return;
    }
    m_grid.setChanges(std::move(compared->value()));
    m_form.refitGridColumns();
}

void CompareMode::showProblem(const QString& what, const std::string& reason) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(util::kProgramTitle),
                    QStringLiteral("比較する調査を開けません「") + what + QStringLiteral("」\n") +
                        QString::fromStdString(reason),
                    QMessageBox::Ok, m_form.window());
    box.setObjectName(QStringLiteral("compareProblem"));
    box.exec();
}

}  // namespace trelmark::ui
