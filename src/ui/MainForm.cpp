// SPDX-License-Identifier: MIT
#include "ui/MainForm.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "survey/SurveyColumns.h"
#include "ui/DirectoryList.h"
#include "ui/DriveCatalog.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridModel.h"
#include "ui/PathField.h"
#include "ui/WindowLayout.h"
#include "ui/WindowLook.h"

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

// The layout is given in twips (WindowLayout.h); Qt scales the pixels for HiDPI.
template <class Widget>
Widget* place(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(openingPlace(name));
    return widget;
}

}  // namespace

MainForm::MainForm(std::unique_ptr<DriveCatalog> drives, QWidget* parent)
    : QWidget(parent), m_drives(std::move(drives)) {
    setObjectName(QStringLiteral("frmMain"));
    setFont(windowFont());
    createCanvas();
    createControls();
    describeControls();
    setTabOrder();
}

MainForm::~MainForm() = default;

QString MainForm::exitCaption(bool stops) {
    return stops ? QStringLiteral("中止") : QStringLiteral("終了");
}

void MainForm::createControls() {
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
}

void MainForm::createGrid() {
    m_grid = new GridModel(this);
    m_gridList = place(new QTableView(m_canvas), "gridList");
    m_gridList->setModel(m_grid);
    m_grid->setCellColours(palette().base(), palette().text());
    m_gridList->setFont(gothicFont());
    m_gridList->setStyleSheet(QString::fromLatin1(kGridStyle));
    m_gridList->setTabKeyNavigation(false);
    m_gridList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gridList->setWordWrap(false);
    m_gridList->setTextElideMode(Qt::ElideMiddle);
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
}

void MainForm::setTabOrder() {
    const std::array<QWidget*, 9> order = {m_driveData,  m_dirData,  m_fileData, m_cmdMain[1], m_gridList,
                                           m_cmdMain[0], m_textPath, m_cmdRefer, m_checkFiles};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    m_driveData->setFocus();
}

}  // namespace trelmark::ui
