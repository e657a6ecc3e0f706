// SPDX-License-Identifier: MIT
// The window as a person meets it on a real screen: figures of up to 10^18 bytes and names in full, the
// window inside the screen at any scale factor, a dark palette, what assistive technology reads, and a
// survey from the keyboard alone.
#include <cstdlib>

#include <sys/mount.h>

#include <QAccessible>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTest>

#include "DarkPalette.h"
#include "WindowFixture.h"
#include "support/TempTree.h"
#include "survey/SurveyEngine.h"
#include "ui/DirectoryList.h"
#include "ui/GridModel.h"
#include "ui/PathField.h"
#include "ui/WindowLayout.h"
#include "ui/WindowLook.h"

using namespace trelmark;

namespace {

const QString kLongName = QStringLiteral("日本語のディレクトリ名がとても長くても最後の一文字まで見える");

// Every cell's text fits its rectangle, with the margins the item view draws text inside.
// Every figure whole, all six columns in view at the window's width, and a name too long for its column
// elided in the middle.
void expectCellsFit(const QTableView& grid) {
    const QFontMetrics metrics(grid.font());
    const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    for (int row = 0; row < grid.model()->rowCount(); ++row) {
        for (int column = 1; column < grid.model()->columnCount(); ++column) {
            const QModelIndex index = grid.model()->index(row, column);
            const QString text = index.data().toString();
            const int width = grid.visualRect(index).width();
            QVERIFY2(metrics.horizontalAdvance(text) + 2 * margin <= width,
                     qPrintable(QStringLiteral("cell %1,%2 \"%3\" is wider than %4 px")
                                    .arg(row)
                                    .arg(column)
                                    .arg(text)
                                    .arg(width)));
        }
    }
    int right = 0;
    for (int column = 0; column < grid.model()->columnCount(); ++column) {
        right += grid.columnWidth(column);
    }
    QVERIFY2(
        right <= grid.viewport()->width(),
        qPrintable(
            QStringLiteral("columns end at %1, the grid at %2").arg(right).arg(grid.viewport()->width())));
    QCOMPARE(grid.textElideMode(), Qt::ElideMiddle);
}

void expectLabelFits(const QLabel& label) {
    const int needed = QFontMetrics(label.font()).horizontalAdvance(label.text());
    QVERIFY2(needed <= label.contentsRect().width(),
             qPrintable(label.objectName() + QStringLiteral(" \"%1\" needs %2 px, has %3")
                                                 .arg(label.text())
                                                 .arg(needed)
                                                 .arg(label.contentsRect().width())));
    QVERIFY(label.parentWidget()->rect().contains(label.geometry()));
}

// A tmpfs of `size` mounted on a fresh directory, gone with the object; empty when mounting is not allowed.
struct TmpfsMount {
    explicit TmpfsMount(const char* size) {
        const std::string options = std::string("size=") + size;
        if (::mount("tmpfs", tree.path().c_str(), "tmpfs", 0, options.c_str()) == 0) {
            path = test::canonical(tree.path());
        }
    }
    ~TmpfsMount() {
        if (!path.empty()) {
            ::umount2(tree.path().c_str(), MNT_DETACH);
        }
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    test::TempTree tree;
    std::string path;
};

QColor colourOf(const QVariant& brush) {
    return brush.value<QBrush>().color();
}

}  // namespace

class WindowOnScreenTest : public QObject {
    Q_OBJECT

private slots:
    void figuresUpToAnExabyteAndLongNamesAreShownWhole();
    void windowFitsTheScreenAtThisScaleFactor();
    void darkPaletteLeavesNoTextOnItsOwnColour();
    void everyControlHasAnAccessibleNameAndDescription();
    void aSurveyRunsFromTheKeyboardAlone();
};

void WindowOnScreenTest::figuresUpToAnExabyteAndLongNamesAreShownWhole() {
    TmpfsMount drive("200T");
    if (drive.path.empty()) {
        QSKIP("mounting a tmpfs is not allowed here");
    }
    // Sparse files of 10^12 to 10^18 bytes, one directory each, and a long Japanese name.
    std::uint64_t bytes = 1'000'000'000'000;
    for (int power = 12; power <= 18; ++power, bytes *= 10) {
        drive.tree.write("e" + std::to_string(power) + "/sparse");
        QVERIFY(::truncate((drive.path + "/e" + std::to_string(power) + "/sparse").c_str(),
                           static_cast<off_t>(bytes)) == 0);
    }
    drive.tree.write(kLongName.toStdString() + "/f", "x");
    test::WindowFixture window(drive.path);
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    form.cmdMain_Click(1);

    QCOMPARE(form.labelDriveTotalSize()->text(), QStringLiteral("219,902,325,555,200"));
    expectLabelFits(*form.labelDriveTotalSize());
    expectLabelFits(*form.labelDriveAvailableSpace());
    const auto* units = form.formCanvas()->findChild<QLabel*>("Label3");
    QVERIFY(units->geometry().left() > form.labelDriveAvailableSpace()->geometry().right());
    QVERIFY(!units->geometry().intersects(form.checkFiles()->geometry()));
    QVERIFY(form.formCanvas()->rect().contains(form.checkFiles()->geometry()));
    // No tool tips but the path field's and the browse button's.
    QVERIFY(form.labelDriveTotalSize()->toolTip().isEmpty());

    const ui::GridModel& grid = *form.gridModel();
    QCOMPARE(grid.rowCount(), 2 + 8);
    // The root of a drive: its row for the whole directory shows the drive's size.
    QCOMPARE(grid.text(0, 1), form.labelDriveTotalSize()->text());
    expectCellsFit(*form.gridList());
    // Columns start at the header's widths, and the user may still resize them.
    QCOMPARE(form.gridList()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    form.gridList()->setColumnWidth(0, 20);
    const QModelIndex name = grid.index(9, 0);
    QCOMPARE(grid.text(9, 0), kLongName);
    QVERIFY(!name.data(Qt::ToolTipRole).isValid());
    QCOMPARE(grid.text(5, 1), QStringLiteral("1,000,000,000,000,000"));
    QVERIFY(!grid.index(5, 1).data(Qt::ToolTipRole).isValid());

    // A later run with small figures starts from the header's widths again, then fits its own.
    form.dirData()->setPath(QString::fromStdString(drive.path + "/e12"));
    form.cmdMain_Click(1);
    QCOMPARE(form.gridList()->columnWidth(0),
             QFontMetrics(form.gridList()->font()).horizontalAdvance(grid.column(0).header) + 7);
    expectCellsFit(*form.gridList());
}

void WindowOnScreenTest::windowFitsTheScreenAtThisScaleFactor() {
    test::WindowFixture window("/");
    ui::frmMain& form = *window.form;
    form.show();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect outer = form.frameGeometry();
    QVERIFY2(available.contains(outer), qPrintable(QStringLiteral("scale %1: frame %2,%3 %4x%5 on %6x%7")
                                                       .arg(qEnvironmentVariable("QT_SCALE_FACTOR"))
                                                       .arg(outer.x())
                                                       .arg(outer.y())
                                                       .arg(outer.width())
                                                       .arg(outer.height())
                                                       .arg(available.width())
                                                       .arg(available.height())));
    const QSize canvas = form.formCanvas()->size();
    QCOMPARE(canvas, QSize(ui::kFormWidth / 15, ui::kFormHeight / 15));
    if (qEnvironmentVariable("QT_SCALE_FACTOR", "1") == QStringLiteral("1")) {
        QCOMPARE(form.size(), canvas);
    } else {
        QVERIFY(form.width() < canvas.width() || form.height() < canvas.height());
    }
    // Whatever the window could not show is a scroll away.
    const QWidget* viewport = form.formScroll()->viewport();
    QCOMPARE(viewport->width() + form.formScroll()->horizontalScrollBar()->maximum(), canvas.width());
    QCOMPARE(viewport->height() + form.formScroll()->verticalScrollBar()->maximum(), canvas.height());
}

void WindowOnScreenTest::darkPaletteLeavesNoTextOnItsOwnColour() {
    const QPalette before = QApplication::palette();
    QApplication::setPalette(test::darkPalette());
    {
        test::TempTree tree;
        tree.write("sub/file", "x");
        test::WindowFixture window(tree.path());
        ui::frmMain& form = *window.form;
        form.cmdMain_Click(1);
        const QModelIndex cell = form.gridModel()->index(0, 1);
        // The cells take the palette's window and window-text colours: dark with light text here.
        QCOMPARE(colourOf(cell.data(Qt::BackgroundRole)), QColor(30, 30, 30));
        QCOMPARE(colourOf(cell.data(Qt::ForegroundRole)), QColor(230, 230, 230));
        for (const QLabel* label : {form.labelDriveTotalSize(), form.labelDriveAvailableSpace()}) {
            QVERIFY(label->palette().color(label->foregroundRole()) !=
                    label->palette().color(label->backgroundRole()));
            QCOMPARE(label->palette().color(label->foregroundRole()), QColor(230, 230, 230));
        }
        form.TextPath()->setText(QStringLiteral("/no such directory"));
        const QPalette field = form.TextPath()->palette();
        QVERIFY(field.color(QPalette::Base) != QColor(30, 30, 30));
        QVERIFY(qAbs(field.color(QPalette::Base).lightness() - field.color(QPalette::Text).lightness()) >
                100);
    }
    QApplication::setPalette(before);
    // Back in a light palette, an open window's cells follow it.
    test::TempTree tree;
    tree.write("sub/file", "x");
    test::WindowFixture window(tree.path());
    window.form->cmdMain_Click(1);
    QApplication::setPalette(test::darkPalette());
    QCoreApplication::processEvents();
    const QModelIndex cell = window.form->gridModel()->index(0, 1);
    QCOMPARE(colourOf(cell.data(Qt::BackgroundRole)), QColor(30, 30, 30));
    QApplication::setPalette(before);
    QCoreApplication::processEvents();
    QCOMPARE(colourOf(cell.data(Qt::BackgroundRole)), before.color(QPalette::Base));
    QCOMPARE(colourOf(cell.data(Qt::ForegroundRole)), before.color(QPalette::Text));
    // The header keeps its own dark green and white in both.
    QVERIFY(window.form->gridList()->styleSheet().contains(QStringLiteral("rgb(0, 64, 0)")));
}

void WindowOnScreenTest::everyControlHasAnAccessibleNameAndDescription() {
    test::TempTree tree;
    tree.write("sub/file", "x");
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    form.cmdMain_Click(1);
    for (const ui::ControlPlace& place : ui::kWindowLayout) {
        const QString objectName =
            QString::fromLatin1(place.name.data(), static_cast<qsizetype>(place.name.size()));
        auto* control = form.findChild<QWidget*>(objectName);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(accessible != nullptr, qPrintable(objectName));
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(objectName));
        QVERIFY2(!accessible->text(QAccessible::Description).isEmpty(), qPrintable(objectName));
    }
    // The value labels say their figures; the grid shows its cells as a table's.
    QVERIFY(QAccessible::queryAccessibleInterface(form.labelDriveTotalSize())
                ->text(QAccessible::Name)
                .contains(form.labelDriveTotalSize()->text()));
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(form.gridList());
    QCOMPARE(grid->role(), QAccessible::Table);
    QAccessibleTableInterface* table = grid->tableInterface();
    QVERIFY(table != nullptr);
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->columnCount(), 6);
    QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), QStringLiteral("ALL FILES"));
}

void WindowOnScreenTest::aSurveyRunsFromTheKeyboardAlone() {
    test::TempTree tree;
    tree.write("a/file", "xyz");
    tree.write("b/file", "x");
    test::WindowFixture window("/");
    ui::frmMain& form = *window.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    for (int i = 0; i < 6; ++i) {
        press(Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), form.TextPath());
    // Gaining the focus selected the whole text, so typing replaces it.
    QTest::keyClicks(form.TextPath(), QString::fromStdString(test::canonical(tree.path())));
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.checkFiles());
    press(Qt::Key_Space);
    QVERIFY(form.checkFiles()->isChecked());
    for (int i = 0; i < 4; ++i) {
        press(Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), form.cmdMain(1));
    press(Qt::Key_Space);
    QCOMPARE(form.gridModel()->rowCount(), 4);
    QCOMPARE(form.gridModel()->text(0, 1), QStringLiteral("4"));
    QCOMPARE(form.gridModel()->text(2, 0), QStringLiteral("a"));
    QCOMPARE(form.gridModel()->text(2, 4), QStringLiteral("1"));
}

QTEST_MAIN(WindowOnScreenTest)
#include "WindowOnScreenTest.moc"
