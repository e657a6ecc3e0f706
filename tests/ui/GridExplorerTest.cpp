// SPDX-License-Identifier: MIT
// The grid's additions driven through real events: a drill-down into the last walk (double-click, Enter)
// and back up (Backspace, Alt+Up), sorting by a header click, and the rows' context menu.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "support/TempTree.h"
#include "ui/DirectoryList.h"
#include "ui/GridExplorer.h"
#include "ui/GridModel.h"
#include "ui/GridSortModel.h"
#include "ui/PathField.h"

using namespace trelmark;

namespace {

// The texts of one column in the order on screen.
QStringList shownColumn(const ui::frmMain& form, int column) {
    QStringList texts;
    const QAbstractItemModel& model = *form.gridList()->model();
    for (int row = 0; row < model.rowCount(); ++row) {
        texts << model.index(row, column).data().toString();
    }
    return texts;
}

int viewRowOf(const ui::frmMain& form, const QString& name) {
    const QStringList names = shownColumn(form, 0);
    return static_cast<int>(names.indexOf(name));
}

void doubleClickRow(ui::frmMain& form, const QString& name) {
    QTableView& grid = *form.gridList();
    const QModelIndex index = grid.model()->index(viewRowOf(form, name), 0);
    grid.scrollTo(index);
    const QPoint at = grid.visualRect(index).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
}

// Receives what the window hands to the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { opened << url; }

public:
    QList<QUrl> opened;
};

}  // namespace

class GridExplorerTest : public QObject {
    Q_OBJECT

private slots:
    void drillDownShowsTheWalksFiguresAndTheControlsFollow();
    void headerClicksSortWithTheTopRowsPinned();
    void contextMenuCopiesOpensSavesAndAsksForTheMap();
};

void GridExplorerTest::drillDownShowsTheWalksFiguresAndTheControlsFollow() {
    test::TempTree tree;
    test::makeGridTree(tree);
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QVERIFY(form.labelFromWalk() == nullptr);
    // What changes on disk now is not seen by a drill-down: its figures are the walk's.
    tree.write("alpha/a1", std::string(5000, 'x'));
    const std::string alpha = test::canonical(tree.path()) + "/alpha";

    doubleClickRow(form, QStringLiteral("alpha"));
    const ui::GridModel& grid = *form.gridModel();
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.text(0, 1), QStringLiteral("1,000"));
    QCOMPARE(grid.text(0, 4), QStringLiteral("2"));
    QCOMPARE(grid.text(0, 5), QStringLiteral("1"));
    QCOMPARE(grid.text(1, 1), QStringLiteral("300"));
    QCOMPARE(grid.text(2, 0), QStringLiteral("deeper"));
    QCOMPARE(grid.text(2, 3), QStringLiteral("70.00 %"));
    QCOMPARE(form.TextPath()->text(), QString::fromStdString(alpha));
    QCOMPARE(form.dirData()->rawPath(), alpha);
    QVERIFY(form.labelFromWalk() != nullptr && form.labelFromWalk()->isVisible());
    QVERIFY(form.labelFromWalk()->text().endsWith(QStringLiteral(" の調査の数値です")));
    QVERIFY(form.labelFromWalk()->width() >=
            form.labelFromWalk()->fontMetrics().horizontalAdvance(form.labelFromWalk()->text()));

    // Enter on a row opens it too; Backspace and Alt+Up go back while the walk holds the parent.
    QTableView& view = *form.gridList();
    view.setFocus();
    view.setCurrentIndex(view.model()->index(viewRowOf(form, QStringLiteral("deeper")), 0));
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(form.dirData()->rawPath(), alpha + "/deeper");
    QCOMPARE(grid.text(0, 1), QStringLiteral("700"));
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(form.dirData()->rawPath(), alpha);
    QTest::keyClick(&view, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(form.dirData()->rawPath(), test::canonical(tree.path()));
    QCOMPARE(grid.text(2, 1), QStringLiteral("1,000"));  // alpha as the walk saw it

    // Above the walk: said, and nothing moves.
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(form.dirData()->rawPath(), test::canonical(tree.path()));
    QCOMPARE(grid.rowCount(), 5);
    QVERIFY(form.labelFromWalk()->text().contains(QStringLiteral("範囲外")));

    // "チェック" walks afresh and shows what is on disk now.
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QVERIFY(!form.labelFromWalk()->isVisible());
    QCOMPARE(grid.text(2, 1), QStringLiteral("5,700"));
    doubleClickRow(form, QStringLiteral("alpha"));
    QCOMPARE(grid.text(1, 1), QStringLiteral("5,000"));
}

void GridExplorerTest::headerClicksSortWithTheTopRowsPinned() {
    test::TempTree tree;
    test::makeGridTree(tree);
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    const QStringList surveyOrder = {"ALL FILES", ".", "alpha", "Beta", "gamma"};
    QCOMPARE(shownColumn(form, 0), surveyOrder);

    QHeaderView& header = *form.gridList()->horizontalHeader();
    const auto clickHeader = [&](survey::Column column) {
        const int section = static_cast<int>(column);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                          {header.sectionViewportPosition(section) + header.sectionSize(section) / 2, 4});
    };
    clickHeader(survey::Column::Size);
    QCOMPARE(shownColumn(form, 0), (QStringList{"ALL FILES", ".", "Beta", "alpha", "gamma"}));
    clickHeader(survey::Column::Size);
    QCOMPARE(shownColumn(form, 0), (QStringList{"ALL FILES", ".", "gamma", "alpha", "Beta"}));
    // Names in the component's order, which is the survey's; then backwards.
    clickHeader(survey::Column::Name);
    QCOMPARE(shownColumn(form, 0), surveyOrder);
    clickHeader(survey::Column::Name);
    QCOMPARE(shownColumn(form, 0), (QStringList{"ALL FILES", ".", "gamma", "Beta", "alpha"}));
    // Opening a row of a sorted grid opens that row, and the new rows come in the survey's order.
    doubleClickRow(form, QStringLiteral("Beta"));
    QCOMPARE(form.gridModel()->text(0, 1), QStringLiteral("2,000"));
    QCOMPARE(header.sortIndicatorSection(), -1);

    clickHeader(survey::Column::Size);
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QCOMPARE(header.sortIndicatorSection(), -1);
    QCOMPARE(shownColumn(form, 0)[0], QStringLiteral("ALL FILES"));
}

void GridExplorerTest::contextMenuCopiesOpensSavesAndAsksForTheMap() {
    test::TempTree tree;
    test::makeGridTree(tree);
    tree.write("\xff\xfe/x", "abc");  // a name that is not UTF-8
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    const std::string root = test::canonical(tree.path());
    QTableView& view = *form.gridList();

    // The menu that a right click opens, with one of its actions triggered.
    const auto triggerOnRow = [&](const QString& name, const char* action) {
        const QRect cell = view.visualRect(view.model()->index(viewRowOf(form, name), 0));
        QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(),
                                view.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(view.viewport(), &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        auto* item = menu->findChild<QAction*>(QString::fromLatin1(action));
        QVERIFY(item != nullptr && item->isEnabled());
        menu->close();
        item->trigger();
    };

    triggerOnRow(QStringLiteral("\\xFF\\xFE"), "copyPath");
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    QCOMPARE(copied->text(), QString::fromStdString(root + "/\\xFF\\xFE"));
    QCOMPARE(copied->data(QStringLiteral("text/uri-list")),
             QByteArray("file://") + QByteArray::fromStdString(root).toPercentEncoding("/") + "/%FF%FE\r\n");

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "openUrl");
    triggerOnRow(QStringLiteral("ALL FILES"), "openFolder");
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.opened.size(), 1);
    QCOMPARE(catcher.opened[0].toLocalFile(), QString::fromStdString(root));

    triggerOnRow(QStringLiteral("alpha"), "copyTable");
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    QCOMPARE(lines[0], QStringLiteral("Directory Name\tSize(bytes)\tTotal%\tUsed%\tFiles\tDirs"));
    QVERIFY(lines[3].startsWith(QStringLiteral("alpha\t1,000\t")));

    // Saved through Qt's own dialog, with the report tool's csv writer.
    const QString saved = QString::fromStdString(root + "/survey.csv");
    QTimer::singleShot(0, &form, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        dialog->selectFile(saved);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    triggerOnRow(QStringLiteral("alpha"), "saveCsv");
    QFile csv(saved);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray text = csv.readAll();
    QVERIFY(text.startsWith("kind,name,bytes"));
    QVERIFY(text.contains("\r\ndrive_total,,") && !text.contains("drive_total,,,"));
    QVERIFY(text.contains("\r\ndir,alpha,1000,"));

    QSignalSpy map(&form, &ui::frmMain::mapRequested);
    triggerOnRow(QStringLiteral("Beta"), "showMap");
    QCOMPARE(map.count(), 1);
}

QTEST_MAIN(GridExplorerTest)
#include "GridExplorerTest.moc"
