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
#include "ui/DirectoryList.h"
#include "ui/DriveCatalog.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridExplorer.h"
#include "ui/GridModel.h"
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

// Keep the padding and border of a section in step with kHeaderExtra, which sizes the columns.
constexpr auto kGridStyle =
    "QTableView { background-color: rgb(128, 128, 128); gridline-color: rgb(192, 192, 192); }"
    "QHeaderView::section { background-color: rgb(0, 64, 0); color: rgb(255, 255, 255);"
    " padding: 0px 3px; border: none; border-right: 1px solid black; border-bottom: 1px solid black; }";

// The layout was drawn for a narrow Japanese UI font; where the installed one runs wider, a caption is
// condensed until it fits its label rather than cut off.
void condenseToFit(QLabel* label) {
    QFont font = label->font();
    for (int stretch = 100; stretch >= 80; stretch -= 5) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= label->width()) {
            break;
        }
    }
    label->setFont(font);
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

// The layout is given in twips (WindowLayout.h); Qt scales the pixels for HiDPI.
template <class Widget>
Widget* place(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(openingPlace(name));
    return widget;
}

}  // namespace

frmMain::frmMain(survey::ProgramState& state, std::string programDirectory,
                 std::function<void()> quitApplication, QWidget* parent)
    : frmMain(state, std::move(programDirectory), std::move(quitApplication),
              std::make_unique<DriveCatalog>(DriveCatalog::fromSystem()), parent) {}

frmMain::frmMain(survey::ProgramState& state, std::string programDirectory,
                 std::function<void()> quitApplication, std::unique_ptr<DriveCatalog> drives, QWidget* parent)
    : QWidget(parent),
      m_state(state),
      m_programDirectory(std::move(programDirectory)),
      m_drives(std::move(drives)),
      m_quitApplication(std::move(quitApplication)),
      m_engine(std::make_unique<survey::SurveyEngine>(state, sink(), survey::SurveyOptions{}, &controls())) {
    setObjectName(QStringLiteral("frmMain"));
    setFont(windowFont());
    createCanvas();
    createControls();
    describeControls();
    createMapShortcut();
    setTabOrderAndFocus();
    formLoad();
    fitToScreen();
}

frmMain::~frmMain() = default;

void frmMain::createControls() {
    QWidget* const canvas = m_canvas;
    m_driveData = place(new DriveList(*m_drives, canvas), "driveData");
    m_dirData = place(new DirectoryList(*m_drives, canvas), "dirData");
    m_fileData = place(new FileList(canvas), "fileData");
    m_cmdMain[1] = place(new QPushButton(QStringLiteral("チェック"), canvas), "cmdMain_1");
    createGrid();
    m_cmdMain[0] = place(new QPushButton(exitCaption(false), canvas), "cmdMain_0");
    const auto caption = [canvas](std::string_view text, const char* name) {
        condenseToFit(place(
            new QLabel(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())), canvas), name));
    };
    caption(survey::kDriveTotalCaption, "Label1");
    m_labelDriveTotalSize = place(new QLabel(canvas), "labelDriveTotalSize");
    caption(survey::kByteUnit, "Label2");
    caption(survey::kByteUnit, "Label3");
    m_labelDriveAvailableSpace = place(new QLabel(canvas), "labelDriveAvailableSpace");
    caption(survey::kDriveAvailableCaption, "Label5");
    m_textPath = place(new PathField(canvas), "TextPath");
    m_cmdRefer = place(new QPushButton(QStringLiteral("参照..."), canvas), "cmdRefer");
    m_checkFiles = place(new QCheckBox(QStringLiteral("ファイル数を数える"), canvas), "checkFiles");

    for (QWidget* list : {static_cast<QWidget*>(m_driveData), static_cast<QWidget*>(m_dirData),
                          static_cast<QWidget*>(m_fileData)}) {
        list->setFont(gothicFont());
    }
    for (int index = 0; index < 2; ++index) {
        m_cmdMain[index]->setProperty("Index", index);
        m_cmdMain[index]->setAutoDefault(false);
        connect(m_cmdMain[index], &QPushButton::clicked, this, [this, index] { cmdMain_Click(index); });
    }
    // The box is 12 px high; the style's indicator would be cut at both edges.
    m_checkFiles->setStyleSheet(QStringLiteral("QCheckBox::indicator { width: 10px; height: 10px; }"));
    m_cmdMain[0]->setCursor(Qt::ArrowCursor);
    m_cmdRefer->setAutoDefault(false);
    m_cmdRefer->setToolTip(QStringLiteral("ディレクトリがダイアログで選択できます"));
    for (QLabel* value : {m_labelDriveTotalSize, m_labelDriveAvailableSpace}) {
        value->setAutoFillBackground(true);
        // Text goes with Base in every palette; WindowText belongs on Window and may match Base.
        value->setBackgroundRole(QPalette::Base);
        value->setForegroundRole(QPalette::Text);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    connect(m_textPath, &QLineEdit::textChanged, this, &frmMain::TextPath_Change);
    connect(m_cmdRefer, &QPushButton::clicked, this, &frmMain::cmdRefer_Click);
    connect(m_dirData, &DirectoryList::PathChanged, this, &frmMain::dirData_Change);
    connect(m_driveData, &DriveList::DriveChanged, this, &frmMain::driveData_Change);
}

void frmMain::createGrid() {
    m_grid = new GridModel(this);
    m_gridList = place(new QTableView(m_canvas), "gridList");
    m_gridList->setModel(m_grid);
    m_gridList->setFont(gothicFont());
    m_gridList->setStyleSheet(QString::fromLatin1(kGridStyle));
    m_gridList->setTabKeyNavigation(false);
    m_gridList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gridList->setWordWrap(false);
    m_gridList->verticalHeader()->hide();
    QHeaderView* rows = m_gridList->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(gothicFont()).height() + 4);
    // Columns start at the header's widths and grow to their figures after a run; the user may resize them.
    QHeaderView* header = m_gridList->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(1);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    m_explorer = new GridExplorer(
        *m_gridList, *m_grid, {[this] { return m_shown.target; }, [this] { return shownSurvey(); }}, this);
    connect(m_explorer, &GridExplorer::openRequested, this, &frmMain::drillDown);
    connect(m_explorer, &GridExplorer::upRequested, this, &frmMain::goUp);
    connect(m_explorer, &GridExplorer::mapRequested, this, &frmMain::mapRequested);
}

void frmMain::setTabOrderAndFocus() {
    const std::array<QWidget*, 9> order = {m_driveData,  m_dirData,  m_fileData, m_cmdMain[1], m_gridList,
                                           m_cmdMain[0], m_textPath, m_cmdRefer, m_checkFiles};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    m_driveData->setFocus();
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
        if (m_labelFromWalk != nullptr) {
            m_labelFromWalk->hide();
        }
        m_pending = {};
        m_pending.target = m_dirData->rawPath();
        m_pending.counted = countOption();
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
