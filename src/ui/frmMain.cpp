// SPDX-License-Identifier: MIT
#include "ui/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

#include "survey/MapTree.h"
#include "survey/SurveyColumns.h"
#include "survey/SurveyEngine.h"
#include "ui/CompareMode.h"
#include "ui/DirectoryList.h"
#include "ui/DriveCatalog.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridExplorer.h"
#include "ui/GridModel.h"
#include "ui/KeptSurveys.h"
#include "ui/LateAnswers.h"
#include "ui/PathField.h"
#include "ui/PathResolution.h"
#include "ui/TextConversion.h"
#include "ui/WindowLayout.h"
#include "ui/WindowLook.h"
#include "util/PathHelpers.h"
#include "util/ScopeExit.h"
#include "util/Version.h"

namespace trelmark::ui {

namespace {

// The directories below the surveyed one that could not be read, as many as a saved survey lists.
constexpr std::size_t kProblemLimit = 100;

survey::SurveyOptions windowSurveyOptions() {
    survey::SurveyOptions options;
    options.problemLimit = kProblemLimit;
    return options;
}

// `pathStart` made absolute, its links resolved where the file system answers in time; past the deadline
// as spelled, against the directory the program started in.
std::string startDirectoryAbsolute(const std::string& pathStart) {
    if (pathStart.empty()) {
        return pathStart;
    }
    const std::string spelled = util::normalizePosixPath(pathStart, processDirectory());
    const auto resolved = LateAnswers::askOnce<std::optional<std::string>>(
        spelled, [pathStart] { return absolutePath(pathStart); });
    return resolved ? resolved->value_or(pathStart) : spelled;
}

}  // namespace

frmMain::frmMain(survey::ProgramState& state, std::string programDirectory,
                 std::function<void()> quitApplication, QWidget* parent)
    : frmMain(state, std::move(programDirectory), std::move(quitApplication),
              std::make_unique<DriveCatalog>(DriveCatalog::fromSystem()), parent) {}

frmMain::frmMain(survey::ProgramState& state, std::string programDirectory,
                 std::function<void()> quitApplication, std::unique_ptr<DriveCatalog> drives, QWidget* parent)
    : MainForm(std::move(drives), parent),
      m_state(state),
      m_programDirectory(std::move(programDirectory)),
      m_quitApplication(std::move(quitApplication)),
      m_report(static_cast<survey::SurveySink&>(*this), survey::ReportCollector::Walk::Drop),
      m_engine(std::make_unique<survey::SurveyEngine>(state, sink(), windowSurveyOptions(), &controls())) {
    connectControls();
    createMapShortcut();
    m_kept = new KeptSurveys(*this);
    formLoad();
    fitToScreen();
}

frmMain::~frmMain() = default;

void frmMain::connectControls() {
    for (int index = 0; index < 2; ++index) {
        connect(m_cmdMain[index], &QPushButton::clicked, this, [this, index] { cmdMain_Click(index); });
    }
    connect(m_textPath, &QLineEdit::textChanged, this, &frmMain::TextPath_Change);
    connect(m_cmdRefer, &QPushButton::clicked, this, &frmMain::cmdRefer_Click);
    connect(m_dirData, &DirectoryList::PathChanged, this, &frmMain::dirData_Change);
    connect(m_driveData, &DriveList::DriveChanged, this, &frmMain::driveData_Change);
    m_explorer = new GridExplorer(
        *m_gridList, *m_grid,
        {[this] { return m_report.shown().target; }, [this] { return m_kept->asShown(m_report.shown()); }},
        this);
    connect(m_explorer, &GridExplorer::openRequested, this, &frmMain::drillDown);
    connect(m_explorer, &GridExplorer::upRequested, this, &frmMain::goUp);
    connect(m_explorer, &GridExplorer::mapRequested, this, &frmMain::mapRequested);
    m_compare = new CompareMode(
        *this, *m_explorer,
        {[this] { return m_report.shown().target; }, [this] { return m_engine->running(); }}, this);
}

void frmMain::formLoad() {
    m_flagChanging = false;
    setWindowIcon(programIcon());
    m_caption = versionCaption(util::kVersionMajor, util::kVersionMinor, util::kVersionRevision,
                               QString::fromUtf8(util::kLegalNotice));
    setWindowTitle(m_caption);
    InitGrid();
    m_startDirectory = startDirectoryAbsolute(m_state.pathStart);
    m_flagChanging = true;
    QString start = toDisplay(m_state.pathStart);
    m_textPath->setText(start);
    if (!m_dirData->assignPath(start)) {
        // The command line named no directory the lists can show: open where the program lives.
        start = toDisplay(m_programDirectory);
        m_textPath->setText(start);
        m_dirData->setPath(start);
    }
    m_driveData->setDrive(start);
    m_flagChanging = false;
}

void frmMain::formUnload() {
    // A run still on the stack stops at its next check and then finds this window alive, only hidden.
    m_engine->stop();
}

void frmMain::closeEvent(QCloseEvent* event) {
    formUnload();
    event->accept();
}

void frmMain::cmdMain_Click(int index) {
    if (index == 0) {
        // While a run is on the stack below us, quitting would pull the window and the state out from under
        // it; so inside a run the button only stops.
        if (m_engine->running()) {
            m_engine->stop();
        } else if (m_quitApplication) {
            m_quitApplication();
        }
        return;
    }
    if (index == 1 && !m_engine->running()) {
        if (m_kept->refuseRunWhileSaving()) {
            return;
        }
        m_kept->leave();
        if (m_labelFromWalk != nullptr) {
            m_labelFromWalk->hide();
        }
        m_report.begin(m_dirData->rawPath(), countOption());
        m_engine->run(m_dirData->rawPath(), {countOption()});
    }
}

void frmMain::TextPath_Change() {
    if (m_flagChanging) {
        return;
    }
    m_flagChanging = true;
    const util::ScopeExit done([this] { m_flagChanging = false; });
    const QString text = m_textPath->text();
    m_dirData->setPath(text);
    m_driveData->setDrive(text);
}

void frmMain::dirData_Change() {
    if (m_flagChanging) {
        return;
    }
    m_flagChanging = true;
    const util::ScopeExit done([this] { m_flagChanging = false; });
    const QString path = m_dirData->Path();
    m_fileData->setPath(path);
    m_textPath->setText(path);
}

void frmMain::driveData_Change() {
    if (m_flagChanging) {
        return;
    }
    m_flagChanging = true;
    const util::ScopeExit done([this] { m_flagChanging = false; });
    if (!m_dirData->assignPath(m_driveData->Drive())) {
        // Neither the drive's directory nor its mount point can be shown: back to the drive of the list.
        m_driveData->setDrive(m_dirData->Path());
    }
    m_textPath->setText(m_dirData->Path());
    m_fileData->setPath(m_textPath->text());
}

}  // namespace trelmark::ui
