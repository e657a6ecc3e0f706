// SPDX-License-Identifier: MIT
#include <chrono>
#include <thread>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "support/SlowMount.h"
#include "support/TempTree.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/GridModel.h"
#include "ui/LateAnswers.h"

namespace trelmark {

// The window beside a FUSE server that never answers. Where FUSE is missing the case says why and is
// skipped.
class DeadMountWindowTest : public QObject {
    Q_OBJECT

private slots:
    void opensAndOffersTheDeadMountWithoutWaitingForIt();
    void opensBesideAHeldLookupAndAnswersAClick();
    void aStopWhileADirectoryNeverAnswersKeepsEveryListedRow();
    void rowsGrowOnASlowMountAndSortWhileTheyGrow();
};

// Regression: the drive list asked every mount for its size on the window's thread, so a dead server kept
// the window from opening at all.
void DeadMountWindowTest::opensAndOffersTheDeadMountWithoutWaitingForIt() {
    if (const std::string reason = test::SlowMount::unavailable(); !reason.empty()) {
        QSKIP(reason.c_str());
    }
    test::TempTree tree;
    test::TempTree source;
    tree.mkdir("dead");
    tree.mkdir("elsewhere");
    const test::SlowMount dead(source.path(), tree / "dead", {"--dead"});
    QVERIFY(dead.mounted());
    test::WindowFixture window(test::canonical(tree / "elsewhere"));
    window.form->show();
    QCoreApplication::processEvents();
    const QString deadPoint = QString::fromStdString(test::canonical(tree.path()) + "/dead");
    bool offered = false;
    for (int index = 0; index < window.form->driveData()->count(); ++index) {
        const QString item = window.form->driveData()->itemText(index);
        if (item.startsWith(deadPoint + "  [")) {
            offered = item.endsWith(QStringLiteral("(応答なし)"));
        }
    }
    QVERIFY2(offered, "the dead mount is listed, saying that it does not answer");
}

// Regression: a window started on a share where another process sat in a lookup filled its directory list
// on its own thread, blocked in the kernel behind that lookup, and never appeared.
void DeadMountWindowTest::opensBesideAHeldLookupAndAnswersAClick() {
    if (const std::string reason = test::SlowMount::unavailable(); !reason.empty()) {
        QSKIP(reason.c_str());
    }
    test::TempTree tree;
    test::TempTree source;
    source.mkdir("hang/inner");
    source.mkdir("a");
    source.write("f", "12");
    tree.mkdir("share");
    const std::string note = tree / "note";
    test::SlowMount mount(source.path(), tree / "share", {"--stuck", "hang", "--note", note});
    QVERIFY(mount.mounted());
    const std::string share = test::canonical(tree / "share");
    // Another process looks up the entry the server holds, and stays in that call.
    const pid_t holder = ::fork();
    QVERIFY(holder >= 0);
    if (holder == 0) {
        struct stat info {};
        static_cast<void>(::stat((share + "/hang").c_str(), &info));
        ::_exit(0);
    }
    while (::access(note.c_str(), F_OK) != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    QElapsedTimer opening;
    opening.start();
    auto window = std::make_unique<test::WindowFixture>(share);
    window->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(window->form.get()));
    QCheckBox& count = *window->form->checkFiles();
    QTest::mouseClick(&count, Qt::LeftButton);
    const qint64 answered = opening.elapsed();
    QVERIFY2(answered < 1000, qPrintable(QStringLiteral("opened and answered after %1 ms").arg(answered)));
    QVERIFY(count.isChecked());
    QCOMPARE(window->form->dirData()->rawPath(), share);
    QVERIFY(window->form->dirData()->waiting());

    // Gone from the screen at once, and destroyed without waiting for the workers held behind the lookup.
    QElapsedTimer closing;
    closing.start();
    window->form->close();
    QVERIFY(!window->form->isVisible());
    window.reset();
    QVERIFY(closing.elapsed() < 100);

    mount.killServer();  // fails the held requests, so the holder can end
    ::kill(holder, SIGKILL);
    int status = 0;
    ::waitpid(holder, &status, 0);
}

namespace {

QStringList cellsOf(const ui::GridModel& grid, int row) {
    QStringList texts;
    for (int column = 0; column < ui::GridModel::kColumns; ++column) {
        texts << grid.text(row, column);
    }
    return texts;
}

}  // namespace

// Regression: "中止" while a directory of the surveyed one never answered left the grid empty, though the
// listing had named every row and measured the directory's own files.
void DeadMountWindowTest::aStopWhileADirectoryNeverAnswersKeepsEveryListedRow() {
    if (const std::string reason = test::SlowMount::unavailable(); !reason.empty()) {
        QSKIP(reason.c_str());
    }
    test::TempTree tree;
    test::TempTree source;
    source.write("f", "12");
    source.write("a/x", "12345");
    source.write("a/y", "678");
    source.write("hang/inner/z", "never seen");
    tree.mkdir("mnt");
    test::SlowMount mount(source.path(), tree / "mnt", {"--stuck", "hang"});
    QVERIFY(mount.mounted());
    test::WindowFixture window(test::canonical(tree / "mnt"));
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    const ui::GridModel& grid = *form.gridModel();
    // "中止" as soon as the rows are there: the walk cannot end by itself.
    QElapsedTimer clock;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &form, [&] {
        if (grid.rowCount() == 4) {
            watch.stop();
            QTest::mouseClick(form.cmdMain(0), Qt::LeftButton);
            clock.start();
        }
    });
    watch.start(20);
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QVERIFY2(clock.isValid(), "the rows were there while the walk ran");
    QVERIFY2(clock.elapsed() < 2000, "the stop came back at once");
    QCOMPARE(form.cmdMain(0)->text(), QStringLiteral("終了"));
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.text(0, 0), QStringLiteral("ALL FILES"));
    QVERIFY(grid.text(0, 4).endsWith(u'+'));
    QCOMPARE(cellsOf(grid, 1).mid(4), (QStringList{"1", "2"}));
    QCOMPARE(grid.text(1, 1), QStringLiteral("2"));
    // a is read or not, as the server took the lookups of a and hang: one at a time in a directory.
    QCOMPARE(cellsOf(grid, 2)[0], QStringLiteral("a"));
    QVERIFY(cellsOf(grid, 2).mid(4) == (QStringList{"2", "0"}) ||
            cellsOf(grid, 2).mid(4) == (QStringList{"0+", "0+"}));
    QCOMPARE(cellsOf(grid, 3)[0], QStringLiteral("hang"));
    QCOMPARE(cellsOf(grid, 3)[1], QStringLiteral("0+"));
    QCOMPARE(cellsOf(grid, 3).mid(4), (QStringList{"0+", "0+"}));
    mount.killServer();
}

// On a mount that answers late the rows are on the grid long before the walk ends; a click on a header
// sorts them by their growing figures, and every figure column is wide enough for its text all along.
void DeadMountWindowTest::rowsGrowOnASlowMountAndSortWhileTheyGrow() {
    if (const std::string reason = test::SlowMount::unavailable(); !reason.empty()) {
        QSKIP(reason.c_str());
    }
    test::TempTree tree;
    test::TempTree source;
    for (int top = 0; top < 4; ++top) {
        const std::string directory = "d" + std::to_string(top);
        source.chain(directory, "level", 4 + 4 * top);
        source.write(directory + "/file", std::string(static_cast<std::size_t>(1000 * (4 - top)), 'x'));
    }
    tree.mkdir("mnt");
    const test::SlowMount mount(source.path(), tree / "mnt", {"--delay-us", "3000"});
    QVERIFY(mount.mounted());
    test::WindowFixture window(test::canonical(tree / "mnt"));
    ui::frmMain& form = *window.form;
    form.show();
    QTableView* const view = form.gridList();
    bool sawGrowing = false;
    bool sorted = false;
    bool cut = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &form, [&] {
        const ui::GridModel& grid = *form.gridModel();
        if (grid.rowCount() != 6 || !form.cmdMain(0)->text().startsWith(QStringLiteral("中止"))) {
            return;
        }
        sawGrowing = sawGrowing || grid.text(5, 1).endsWith('+');
        if (!sorted) {
            view->horizontalHeader()->setSortIndicator(1, Qt::DescendingOrder);
            sorted = true;
        }
        const QFontMetrics metrics(view->font());
        for (int row = 0; row < grid.rowCount(); ++row) {
            for (int column = 1; column < ui::GridModel::kColumns; ++column) {
                cut = cut || metrics.horizontalAdvance(grid.text(row, column)) > view->columnWidth(column);
            }
        }
    });
    watch.start(10);
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    watch.stop();
    QVERIFY2(sawGrowing, "a row was on the grid, still growing, while the walk ran");
    QVERIFY2(sorted, "the header was clicked during the run");
    QVERIFY2(!cut, "no figure was ever wider than its column");
    // Sorted by size, largest first, below ALL FILES and ".": d0 holds the most.
    const QAbstractItemModel& shown = *view->model();
    QCOMPARE(shown.index(2, 0).data().toString(), QStringLiteral("d0"));
    QCOMPARE(shown.index(5, 0).data().toString(), QStringLiteral("d3"));
}

}  // namespace trelmark

QTEST_MAIN(trelmark::DeadMountWindowTest)
#include "DeadMountWindowTest.moc"
