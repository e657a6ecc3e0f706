// SPDX-License-Identifier: MIT
// The main form on the screen it meets: the scrollable canvas, the place of the window, the drive labels and
// grid columns that grow to their figures, and the names assistive technology reads.
#include <algorithm>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridModel.h"
#include "ui/MainForm.h"
#include "ui/PathField.h"
#include "ui/WindowLayout.h"

namespace trelmark::ui {

namespace {

// What a window manager's frame is assumed to take before the window is shown and the real one is known,
// in device-independent pixels: a generous title bar, so that it is never placed above the screen.
constexpr int kTitleAllowance = 32;
constexpr int kBorderAllowance = 4;

}  // namespace

void MainForm::createCanvas() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("formScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(false);
    m_canvas = new QWidget;
    m_canvas->setObjectName(QStringLiteral("formCanvas"));
    m_canvas->setFixedSize(kFormWidth / 15, kFormHeight / 15);
    m_canvas->setAutoFillBackground(true);
    m_scroll->setWidget(m_canvas);
    layout->addWidget(m_scroll);
}

QMargins MainForm::frameAllowance() const {
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    if (isVisible() && frame != client) {
        return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                frame.bottom() - client.bottom()};
    }
    return {kBorderAllowance, kTitleAllowance, kBorderAllowance, kBorderAllowance};
}

void MainForm::fitToScreen() {
    const QSize whole = m_canvas->size();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        setFixedSize(whole);
        return;
    }
    const QRect available = screen->availableGeometry();
    const QMargins frame = frameAllowance();
    const QSize room = available.size().shrunkBy(frame);
    if (whole.width() <= room.width() && whole.height() <= room.height()) {
        // Bars the scroll area showed while it was still small would otherwise stay, over the layout.
        m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFixedSize(whole);
    } else {
        m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // Too small a screen: a smaller window whose canvas scrolls, never one cut off at the screen's edge.
        setMinimumSize(std::min(whole.width(), 160), std::min(whole.height(), 120));
        setMaximumSize(whole);
        resize(whole.boundedTo(room));
    }
    QRect outer(QPoint(), size().grownBy(frame));
    outer.moveCenter(available.center());
    outer.moveLeft(std::max(outer.left(), available.left()));
    outer.moveTop(std::max(outer.top(), available.top()));
    // A top-level widget's position is that of its frame.
    move(outer.topLeft());
}

void MainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_scroll->horizontalScrollBar()->setValue(0);
    m_scroll->verticalScrollBar()->setValue(0);
}

void MainForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) &&
        m_grid != nullptr) {
        m_grid->setCellColours(palette().base(), palette().text());
    }
}

void MainForm::fitDriveLabels() {
    const QRect opening = openingPlace("labelDriveTotalSize");
    int width = opening.width();
    for (const QLabel* value : {m_labelDriveTotalSize, m_labelDriveAvailableSpace}) {
        // One pixel either side for the rounding of a scaled font.
        width = std::max(width, QFontMetrics(value->font()).horizontalAdvance(value->text()) + 2);
    }
    const int grow = width - opening.width();
    for (QLabel* value : {m_labelDriveTotalSize, m_labelDriveAvailableSpace}) {
        value->setFixedWidth(width);
    }
    for (const char* name : {"Label2", "Label3"}) {
        if (auto* unit = m_canvas->findChild<QLabel*>(QLatin1String(name))) {
            unit->move(openingPlace(name).topLeft() + QPoint(grow, 0));
        }
    }
    // The check box shares the second line; it moves right only once the unit label reaches it.
    const QRect box = openingPlace("checkFiles");
    const int gap = box.left() - openingPlace("Label3").right();
    const int shift = std::clamp(grow - gap + 4, 0, m_canvas->width() - box.right() - 1);
    m_checkFiles->move(box.topLeft() + QPoint(shift, 0));
}

int MainForm::cellWidth(const QString& text, int atLeast) const {
    const QFontMetrics metrics(m_gridList->font());
    // The item view's own text margin on both sides, and the grid line the cell gives up.
    const int margin =
        m_gridList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_gridList) + 1;
    const int extra = 2 * margin + (m_gridList->showGrid() ? 1 : 0) + 1;
    // Most texts are too short to matter, which their length alone shows without measuring.
    if (static_cast<int>(text.size()) * std::max(1, metrics.maxWidth()) + extra <= atLeast) {
        return atLeast;
    }
    return std::max(atLeast, metrics.horizontalAdvance(text) + extra);
}

int MainForm::nameColumnCap() const {
    int figures = 0;
    for (int column = 1; column < m_grid->columnCount(); ++column) {
        figures += m_gridList->columnWidth(column);
    }
    // The grid's inside at the window's width, less a vertical scroll bar once the rows need one.
    int room = m_gridList->contentsRect().width();
    const int rowsHeight = m_gridList->verticalHeader()->defaultSectionSize() * m_grid->rowCount() +
                           m_gridList->horizontalHeader()->height();
    if (rowsHeight > m_gridList->contentsRect().height()) {
        room -= m_gridList->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_gridList);
    }
    return std::max(kNameColumnFloor, room - figures);
}

void MainForm::fitGridCell(int column, const QString& text) {
    const int width = m_gridList->columnWidth(column);
    if (column == kNameColumn) {
        const int cap = nameColumnCap();
        if (width < cap) {
            m_gridList->setColumnWidth(column, std::min(cap, cellWidth(text, width)));
        }
        return;
    }
    const int needed = cellWidth(text, width);
    if (needed > width) {
        m_gridList->setColumnWidth(column, needed);
        // The name gives way, so that the figures stay in view.
        m_gridList->setColumnWidth(kNameColumn,
                                   std::min(m_gridList->columnWidth(kNameColumn), nameColumnCap()));
    }
}

void MainForm::fitGridColumns() {
    for (int column = 1; column < m_grid->columnCount(); ++column) {
        int width = m_gridList->columnWidth(column);
        for (int row = 0; row < m_grid->rowCount(); ++row) {
            width = cellWidth(m_grid->text(row, column), width);
        }
        m_gridList->setColumnWidth(column, width);
    }
    const int cap = nameColumnCap();
    int name = std::min(m_gridList->columnWidth(kNameColumn), cap);
    for (int row = 0; row < m_grid->rowCount() && name < cap; ++row) {
        name = std::min(cap, cellWidth(m_grid->text(row, kNameColumn), name));
    }
    m_gridList->setColumnWidth(kNameColumn, name);
}

int MainForm::headerWidth(int column) const {
    const QString text = m_grid->shownHeader(column);
    const int width = QFontMetrics(m_gridList->font()).horizontalAdvance(text) + kHeaderExtra;
    if (!m_grid->comparing()) {
        return width;
    }
    const QHeaderView& header = *m_gridList->horizontalHeader();
    return std::max(width, header.fontMetrics().horizontalAdvance(text) + kHeaderExtra);
}

void MainForm::refitGridColumns() {
    for (int column = 0; column < m_grid->columnCount(); ++column) {
        m_gridList->setColumnWidth(column, headerWidth(column));
    }
    fitGridColumns();
    if (m_grid->comparing()) {
        m_gridList->setColumnWidth(kNameColumn,
                                   std::max(m_gridList->columnWidth(kNameColumn), nameColumnCap()));
    }
}

void MainForm::describeControls() {
    const auto describe = [](QWidget* control, const QString& name, const QString& description) {
        if (!name.isEmpty()) {
            control->setAccessibleName(name);
        }
        control->setAccessibleDescription(description);
    };
    // Buttons, the check box and the captions are named by their own texts, which follow the exit caption.
    describe(m_driveData, QStringLiteral("ドライブ"), QStringLiteral("調べるディレクトリのあるドライブ"));
    describe(m_driveData->view(), QStringLiteral("ドライブ一覧"),
             QStringLiteral("マウントされているファイルシステム"));
    describe(m_dirData, QStringLiteral("ディレクトリ一覧"),
             QStringLiteral("調べるディレクトリ。Enter またはダブルクリックで開きます"));
    describe(m_fileData, QStringLiteral("ファイル一覧"), QStringLiteral("ディレクトリのファイル"));
    describe(m_cmdMain[1], {}, QStringLiteral("ディレクトリ一覧のディレクトリを調べます"));
    describe(m_gridList, QStringLiteral("調査結果"),
             QStringLiteral("ディレクトリ全体、自身のファイル、サブディレクトリごとのサイズと割合"));
    describe(m_cmdMain[0], {}, QStringLiteral("調査中は中止し、それ以外はプログラムを終了します"));
    describe(m_textPath, QStringLiteral("ディレクトリのパス"), m_textPath->toolTip());
    describe(m_cmdRefer, {}, m_cmdRefer->toolTip());
    describe(m_checkFiles, {}, QStringLiteral("調査でファイル数とディレクトリ数も数えます"));
    describe(m_labelDriveTotalSize, QStringLiteral("ドライブの合計サイズ"),
             QStringLiteral("ドライブの合計バイト数"));
    describe(m_labelDriveAvailableSpace, QStringLiteral("ドライブの空き容量"),
             QStringLiteral("ドライブの空きバイト数"));
    for (QLabel* caption : m_canvas->findChildren<QLabel*>()) {
        if (caption->accessibleDescription().isEmpty()) {
            describe(caption, {}, QStringLiteral("見出し"));
        }
    }
}

}  // namespace trelmark::ui
