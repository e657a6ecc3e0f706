// SPDX-License-Identifier: MIT
// Compare mode in the window: a survey kept before known changes to a tree, then the window's surveys of
// the tree joined with it (the change column, new and removed rows, sorting, drill-down, leaving the mode).
#include <sqlite3.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "support/KeptSurvey.h"
#include "support/TempTree.h"
#include "ui/CompareMode.h"
#include "ui/GridExplorer.h"
#include "ui/GridModel.h"
#include "ui/KeptSurveys.h"

using namespace trelmark;

namespace {

constexpr int kChange = ui::GridModel::kChangeColumn;

// Each row on screen as "name=change", in the order shown.
QStringList shownChanges(const ui::frmMain& form) {
    QStringList rows;
    const QAbstractItemModel& model = *form.gridList()->model();
    for (int row = 0; row < model.rowCount(); ++row) {
        rows << model.index(row, 0).data().toString() + u'=' + model.index(row, kChange).data().toString();
    }
    return rows;
}

// The header texts in the order on screen.
QStringList shownHeaders(const ui::frmMain& form) {
    QStringList headers;
    const QHeaderView& header = *form.gridList()->horizontalHeader();
    for (int place = 0; place < header.count(); ++place) {
        headers
            << header.model()->headerData(header.logicalIndex(place), Qt::Horizontal).toString().trimmed();
    }
    return headers;
}

QList<int> columnWidths(const ui::frmMain& form) {
    QList<int> widths;
    for (int column = 0; column < ui::GridModel::kColumns; ++column) {
        widths << form.gridList()->columnWidth(column);
    }
    return widths;
}

void check(ui::frmMain& form) {
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
}

// Accepts the next message box once it shows, and keeps its title and text.
void catchMessage(QWidget& window, QString& said) {
    QTimer::singleShot(0, &window, [&said] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            said = box->windowTitle() + u'|' + box->text();
            box->accept();
        }
    });
}

// Waits until the change column is filled (the comparison runs aside, after the run has unwound).
bool compared(const ui::frmMain& form) {
    return QTest::qWaitFor([&] { return !form.gridModel()->text(0, kChange).isEmpty(); }, 5000);
}

}  // namespace

class CompareModeTest : public QObject {
    Q_OBJECT

private slots:
    void showsExactlyTheKnownChanges();
    void sortsByTheChangeWithRemovedRowsLast();
    void drillDownIsComparedByPath();
    void leavingRestoresTheSixColumns();
    void anOpenedSurveyIsComparedWithAnExport();
    void aFileThatIsNoSurveyIsSaidAndChangesNothing();
    void damageFoundWhileComparingIsSaidAndEndsTheMode();

private:
    // A kept survey of a tree, then known changes: a file added at the top, a directory removed, a
    // directory grown, a directory new; one left as it was.
    struct Changed {
        test::TempTree tree;
        test::TempTree files;
        std::string old = files / "old.trelmark";
        Changed() {
            tree.write("top.txt", std::string(1000, 'x'));
            tree.write("same/s", std::string(50, 'x'));
            tree.write("grows/g1", std::string(100, 'x'));
            tree.write("gone/x", std::string(500, 'x'));
            test::keepSurvey(test::canonical(tree.path()), old);
            tree.write("added.txt", std::string(10, 'x'));
            test::TempTree::removeAll(tree / "gone");
            ::rmdir((tree / "gone").c_str());
            tree.write("grows/deeper/g2", std::string(1000, 'x'));
            tree.write("fresh/f", std::string(70, 'x'));
        }
    };
};

void CompareModeTest::showsExactlyTheKnownChanges() {
    const Changed changed;
    test::WindowFixture window(changed.tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    QVERIFY(form.compareMode()->open(QString::fromStdString(changed.old)));
    QCOMPARE(shownHeaders(form),
             QStringList({"Directory Name", "Size(bytes)", "増減", "Total%", "Used%", "Files", "Dirs"}));
    check(form);
    QVERIFY(compared(form));
    QCOMPARE(shownChanges(form), QStringList({"ALL FILES=+580", ".=+10", "fresh=新規 +70", "grows=+1,000",
                                              "same=0", "gone=削除 -500"}));
    // The removed row holds its name and change only; it opens nothing.
    const ui::GridModel& grid = *form.gridModel();
    QCOMPARE(grid.rowCount(), 6);
    QVERIFY(grid.figures(5) == nullptr);
    QVERIFY(grid.text(5, 1).isEmpty());
    QVERIFY(form.gridExplorer()->pathOf(5).empty());

    // The copied table has the column where the screen has it, and the removed row.
    const QStringList lines = form.gridExplorer()->tableText().split(u'\n');
    QCOMPARE(lines[0], QStringLiteral("Directory Name\tSize(bytes)\t増減\tTotal%\tUsed%\tFiles\tDirs"));
    QCOMPARE(lines[6], QStringLiteral("gone\t\t削除 -500\t\t\t\t"));

    // Every text and header is whole on screen, the names too: the seven columns fit the window.
    const QFontMetrics metrics(form.gridList()->font());
    const QFontMetrics headerMetrics(form.gridList()->horizontalHeader()->font());
    for (int column = 0; column < grid.columnCount(); ++column) {
        const int width = form.gridList()->columnWidth(column);
        QVERIFY(width > headerMetrics.horizontalAdvance(grid.shownHeader(column)));
        for (int row = 0; row < grid.rowCount(); ++row) {
            QVERIFY2(width > metrics.horizontalAdvance(grid.text(row, column)),
                     qPrintable(grid.text(row, column)));
        }
    }
    QVERIFY(form.gridList()->horizontalHeader()->length() <= form.gridList()->viewport()->width());

    // A second check keeps compare mode and compares the new walk; while the run writes figures, no row
    // shows a change.
    int figuresWithChange = 0;
    int figuresWritten = 0;
    const auto watch =
        QObject::connect(&grid, &QAbstractItemModel::dataChanged, [&](const QModelIndex& cell) {
            if (cell.column() < ui::GridModel::kColumns && !grid.text(cell.row(), 1).isEmpty()) {
                ++figuresWritten;
                figuresWithChange += grid.text(cell.row(), kChange).isEmpty() ? 0 : 1;
            }
        });
    check(form);
    QObject::disconnect(watch);
    QVERIFY(figuresWritten > 0);
    QCOMPARE(figuresWithChange, 0);
    QVERIFY(compared(form));
    QCOMPARE(grid.text(0, kChange), QStringLiteral("+580"));
}

void CompareModeTest::sortsByTheChangeWithRemovedRowsLast() {
    const Changed changed;
    test::WindowFixture window(changed.tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    check(form);
    QVERIFY(form.compareMode()->open(QString::fromStdString(changed.old)));
    QVERIFY(compared(form));
    QHeaderView& header = *form.gridList()->horizontalHeader();
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                      QPoint(header.sectionViewportPosition(kChange) + 5, header.height() / 2));
    QCOMPARE(header.sortIndicatorSection(), kChange);
    QCOMPARE(shownChanges(form), QStringList({"ALL FILES=+580", ".=+10", "grows=+1,000", "fresh=新規 +70",
                                              "same=0", "gone=削除 -500"}));
    header.setSortIndicator(kChange, Qt::AscendingOrder);
    QCOMPARE(shownChanges(form), QStringList({"ALL FILES=+580", ".=+10", "same=0", "fresh=新規 +70",
                                              "grows=+1,000", "gone=削除 -500"}));
    // Sorted by another column, the removed rows stay last too.
    header.setSortIndicator(1, Qt::AscendingOrder);
    QCOMPARE(shownChanges(form).constLast(), QStringLiteral("gone=削除 -500"));
}

void CompareModeTest::drillDownIsComparedByPath() {
    const Changed changed;
    test::WindowFixture window(changed.tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    check(form);
    QVERIFY(form.compareMode()->open(QString::fromStdString(changed.old)));
    QVERIFY(compared(form));

    emit form.gridExplorer()->openRequested(3);  // grows
    QVERIFY(QTest::qWaitFor([&] { return form.gridModel()->text(0, kChange) == QStringLiteral("+1,000"); }));
    QCOMPARE(shownChanges(form), QStringList({"ALL FILES=+1,000", ".=0", "deeper=新規 +1,000"}));

    // A directory the earlier survey does not hold: every row is new.
    emit form.gridExplorer()->openRequested(2);  // deeper
    QVERIFY(QTest::qWaitFor([&] { return form.gridModel()->text(0, kChange).startsWith(u"新規"); }));
    QCOMPARE(shownChanges(form), QStringList({"ALL FILES=新規 +1,000", ".=新規 +1,000"}));
}

void CompareModeTest::leavingRestoresTheSixColumns() {
    const Changed changed;
    // The same survey in a window that never compares, for the widths to expect.
    test::WindowFixture plain(changed.tree.path());
    plain.form->show();
    check(*plain.form);
    const QList<int> expected = columnWidths(*plain.form);

    test::WindowFixture window(changed.tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    check(form);
    QCOMPARE(columnWidths(form), expected);
    QVERIFY(form.compareMode()->open(QString::fromStdString(changed.old)));
    QVERIFY(compared(form));
    std::unique_ptr<QMenu> menu(form.gridExplorer()->createMenu(-1, &form));
    auto* stopEntry = menu->findChild<QAction*>(QStringLiteral("stopCompare"));
    QVERIFY(stopEntry != nullptr && stopEntry->isEnabled());
    stopEntry->trigger();

    QCOMPARE(form.gridModel()->columnCount(), 6);
    QCOMPARE(form.gridModel()->rowCount(), 5);
    QCOMPARE(shownHeaders(form),
             QStringList({"Directory Name", "Size(bytes)", "Total%", "Used%", "Files", "Dirs"}));
    QCOMPARE(columnWidths(form), expected);
    menu.reset(form.gridExplorer()->createMenu(-1, &form));
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("stopCompare"))->isEnabled());

    // Compare mode left stays left across the next check.
    check(form);
    QTest::qWait(50);
    QCOMPARE(form.gridModel()->columnCount(), 6);
    QCOMPARE(columnWidths(form), expected);

    // Entered again, the column is back in its place.
    QVERIFY(form.compareMode()->open(QString::fromStdString(changed.old)));
    QVERIFY(compared(form));
    QCOMPARE(shownHeaders(form),
             QStringList({"Directory Name", "Size(bytes)", "増減", "Total%", "Used%", "Files", "Dirs"}));
}

// The earlier side an ncdu JSON export of the tree as it was, the later one a kept survey of the tree now,
// opened in the window: the same changes as against a walk.
void CompareModeTest::anOpenedSurveyIsComparedWithAnExport() {
    const Changed changed;
    const std::string root = test::canonical(changed.tree.path());
    const std::string now = changed.files / "now.trelmark";
    test::keepSurvey(root, now);
    changed.files.write("before.json", R"([1,2,{"progname":"ncdu","progver":"2.3","timestamp":1700000000},)"
                                       R"([{"name":")" +
                                           root +
                                           R"("},{"name":"top.txt","asize":1000},)"
                                           R"([{"name":"same"},{"name":"s","asize":50}],)"
                                           R"([{"name":"grows"},{"name":"g1","asize":100}],)"
                                           R"([{"name":"gone"},{"name":"x","asize":500}]]])");
    test::WindowFixture window(changed.tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    QVERIFY(form.compareMode()->open(QString::fromStdString(changed.files / "before.json")));
    form.keptSurveys().open(QString::fromStdString(now));
    QVERIFY(compared(form));
    QCOMPARE(shownChanges(form), QStringList({"ALL FILES=+580", ".=+10", "fresh=新規 +70", "grows=+1,000",
                                              "same=0", "gone=削除 -500"}));
}

void CompareModeTest::aFileThatIsNoSurveyIsSaidAndChangesNothing() {
    const Changed changed;
    const std::string notSurvey = changed.files / "notes.txt";
    changed.files.write("notes.txt", "just some words\n");
    test::WindowFixture window(changed.tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    check(form);
    const QList<int> widths = columnWidths(form);
    QString said;
    catchMessage(form, said);
    QVERIFY(!form.compareMode()->open(QString::fromStdString(notSurvey)));
    QVERIFY(said.startsWith(QStringLiteral("Trelmark|比較する調査を開けません「") +
                            QString::fromStdString(notSurvey) + QStringLiteral("」\n")));
    QVERIFY(said.size() > QString::fromStdString(notSurvey).size() + 30);  // and why
    QVERIFY(!form.compareMode()->active());
    QCOMPARE(form.gridModel()->columnCount(), 6);
    QCOMPARE(columnWidths(form), widths);
}

// A record that fails its checks is found only when the comparison reads it, after the file has opened:
// said once, and the grid goes back to its six columns rather than show changes from a damaged file.
void CompareModeTest::damageFoundWhileComparingIsSaidAndEndsTheMode() {
    const Changed changed;
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(changed.old.c_str(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "UPDATE dir SET bytes = bytes + 7 WHERE CAST(name AS TEXT) = 'grows'", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);
    test::WindowFixture window(changed.tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    QVERIFY(form.compareMode()->open(QString::fromStdString(changed.old)));
    // The message comes from inside the event loop, once the run has unwound: a timer answers it.
    QString said;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&said] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            said = box->windowTitle() + u'|' + box->text();
            box->accept();
        }
    });
    answer.start(20);
    check(form);
    QVERIFY(QTest::qWaitFor([&] { return !said.isEmpty(); }));
    QVERIFY(said.startsWith(QStringLiteral("Trelmark|比較する調査を開けません「") +
                            QString::fromStdString(changed.old)));
    QVERIFY(QTest::qWaitFor([&] { return !form.compareMode()->active(); }));
    QCOMPARE(form.gridModel()->columnCount(), 6);
    QCOMPARE(form.gridModel()->rowCount(), 5);
}

QTEST_MAIN(CompareModeTest)
#include "CompareModeTest.moc"
