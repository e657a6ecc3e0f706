// SPDX-License-Identifier: MIT
// Surveys driven through the window's buttons: the figures that reach the grid and labels, the state of
// the controls and the pointer while a run lasts, a stop through the exit button during a walk, and a
// close of the window during a run.
#include <functional>

#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "support/TempTree.h"
#include "survey/NumberFormat.h"
#include "survey/SurveyEngine.h"
#include "ui/DirectoryList.h"
#include "ui/GridModel.h"
#include "ui/PathField.h"

using namespace trelmark;

namespace {

QString count(std::uint64_t value) {
    return QString::fromStdString(survey::formatCount(value));
}

// Runs `check` once, at the first yield of a run that reaches the window's event loop.
void duringRun(QObject* context, std::function<void()> check) {
    QTimer::singleShot(0, context, std::move(check));
}

// Many directories with a file each: a walk long enough to be stopped halfway.
void makeWideTree(const test::TempTree& tree, int directories) {
    for (int i = 0; i < directories; ++i) {
        tree.write("big/d" + std::to_string(i % 20) + "/e" + std::to_string(i) + "/f", "x");
    }
}

}  // namespace

class SurveyInWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void checkButtonFillsTheGridWithTheTreesFigures();
    void controlsPointerAndCaptionWhileARunLasts();
    void initGridAfterAFortyRowSurveyLeavesTheHeaderAndOneRow();
    void exitButtonStopsAWalkAndThenQuits();
    void closingTheWindowDuringARunEndsTheRun();
    void aDirectoryThatVanishedBeforeTheCheckIsNamedInAMessage();

private:
    // 20,000 directories below big/, in 20 sub-directories: a walk long enough to be interrupted.
    std::unique_ptr<test::TempTree> m_big;
};

void SurveyInWindowTest::initTestCase() {
    m_big = std::make_unique<test::TempTree>(test::TempTree::Storage::Memory);
    makeWideTree(*m_big, 20000);
}

void SurveyInWindowTest::checkButtonFillsTheGridWithTheTreesFigures() {
    test::TempTree tree;
    tree.write("top.txt", std::string(1000, 'x'));
    tree.write("alpha/a1", std::string(300, 'x'));
    tree.write("alpha/deeper/a2", std::string(700, 'x'));
    tree.write("Beta/b1", std::string(2000, 'x'));
    tree.mkdir("gamma");
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);

    const ui::GridModel& grid = *form.gridModel();
    QCOMPARE(grid.rowCount(), 2 + 3);
    const test::FindTruth all = test::findTruth(tree.path());
    QCOMPARE(grid.text(0, 0), QStringLiteral("ALL FILES"));
    QCOMPARE(grid.text(0, 1), count(all.bytes));
    QCOMPARE(grid.text(0, 4), count(all.files));
    QCOMPARE(grid.text(0, 5), count(all.directories));
    QCOMPARE(grid.text(1, 0), QStringLiteral("."));
    QCOMPARE(grid.text(1, 1), QStringLiteral("1,000"));
    QCOMPARE(grid.text(1, 3), QStringLiteral("25.00 %"));
    QCOMPARE(grid.text(2, 0), QStringLiteral("alpha"));
    QCOMPARE(grid.text(2, 1), QStringLiteral("1,000"));
    QCOMPARE(grid.text(2, 3), QStringLiteral("25.00 %"));
    QCOMPARE(grid.text(2, 4), QStringLiteral("2"));
    QCOMPARE(grid.text(2, 5), QStringLiteral("1"));
    QCOMPARE(grid.text(3, 0), QStringLiteral("Beta"));
    QCOMPARE(grid.text(3, 3), QStringLiteral("50.00 %"));
    QCOMPARE(grid.text(4, 0), QStringLiteral("gamma"));
    QCOMPARE(grid.text(4, 1), QStringLiteral("0"));
    QVERIFY(!form.labelDriveTotalSize()->text().isEmpty());
    QVERIFY(!form.labelDriveAvailableSpace()->text().isEmpty());
    QCOMPARE(form.cmdMain(0)->text(), QStringLiteral("終了"));
    QVERIFY(form.cmdMain(1)->isEnabled());
    QVERIFY(!window.state.flagRunning);
    QCOMPARE(window.quits, 0);
}

void SurveyInWindowTest::controlsPointerAndCaptionWhileARunLasts() {
    test::WindowFixture window(*m_big / "big");
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    bool checked = false;
    QStringList captions;
    QList<QList<Qt::CursorShape>> pointers;  // window, path field, directory list, exit button
    QTimer watch;
    connect(&watch, &QTimer::timeout, &form, [&] {
        captions << form.windowTitle();
        pointers.append({form.cursor().shape(), form.TextPath()->cursor().shape(),
                         form.dirData()->cursor().shape(), form.cmdMain(0)->cursor().shape()});
    });
    watch.start(2);
    duringRun(&form, [&] {
        checked = true;
        QVERIFY(window.state.flagRunning);
        QCOMPARE(form.cmdMain(0)->text(), QStringLiteral("中止"));
        QVERIFY(!form.cmdMain(1)->isEnabled() && !form.TextPath()->isEnabled() &&
                !form.dirData()->isEnabled());
        QVERIFY(form.cmdMain(0)->isEnabled() && form.gridList()->isEnabled());
    });
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    watch.stop();
    QVERIFY(checked);
    QCOMPARE(form.gridModel()->rowCount(), 2 + 20);

    // While busy, the pointer was the busy one everywhere but over the exit button.
    const QList<Qt::CursorShape> busy = {Qt::WaitCursor, Qt::WaitCursor, Qt::WaitCursor, Qt::ArrowCursor};
    QVERIFY2(pointers.contains(busy), "the busy pointer was never seen during the run");
    for (const auto& seen : pointers) {
        QCOMPARE(seen.back(), Qt::ArrowCursor);
    }
    // After the run everything is back, the caption too.
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(form.TextPath()->cursor().shape(), Qt::IBeamCursor);
    // Regression: a window keeps WA_SetCursor after unsetCursor(), which once hid the pointer of every later
    // run.
    form.controls().setBusyPointer(true);
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    form.controls().setBusyPointer(false);
    QCOMPARE(form.windowTitle(), form.caption());
    QVERIFY2(
        std::any_of(captions.begin(), captions.end(), [](const QString& c) { return c.contains(" 項目 "); }),
        "the walk's progress never reached the caption");
}

void SurveyInWindowTest::initGridAfterAFortyRowSurveyLeavesTheHeaderAndOneRow() {
    test::TempTree tree;
    for (int i = 0; i < 37; ++i) {
        tree.write("d" + std::to_string(100 + i) + "/f", "x");
    }
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QCOMPARE(form.gridModel()->rowCount(), 39);  // 40 grid rows, the header included
    QCOMPARE(form.gridModel()->text(39 - 1, 0), QStringLiteral("d136"));

    form.sink().clearRows();
    const ui::GridModel& grid = *form.gridModel();
    QCOMPARE(grid.rowCount(), 1);
    for (int column = 0; column < ui::GridModel::kColumns; ++column) {
        QVERIFY(grid.text(0, column).isEmpty());
    }
    const QStringList headers = {"Directory Name      ", "Size(bytes)     ", "Total%   ", "Used%   ",
                                 "Files      ",          "Dirs      "};
    const QFontMetrics metrics(form.gridList()->font());
    for (int column = 0; column < ui::GridModel::kColumns; ++column) {
        QCOMPARE(grid.column(column).header, headers[column]);
        QCOMPARE(grid.column(column).alignment, column == 0 ? Qt::AlignLeft : Qt::AlignRight);
        QCOMPARE(form.gridList()->columnWidth(column), metrics.horizontalAdvance(headers[column]) + 7);
    }
    // A fixed-pitch font: widths follow the character counts, blanks included.
    QCOMPARE(metrics.horizontalAdvance(headers[0]),
             2 * metrics.horizontalAdvance(headers[4]) - 2 * metrics.horizontalAdvance(" "));
}

void SurveyInWindowTest::exitButtonStopsAWalkAndThenQuits() {
    test::WindowFixture window(*m_big / "big");
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    QElapsedTimer clock;
    qint64 stoppedAt = -1;
    duringRun(&form, [&] {
        QTest::mouseClick(form.cmdMain(0), Qt::LeftButton);
        stoppedAt = clock.elapsed();
    });
    clock.start();
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QVERIFY(stoppedAt >= 0);
    QVERIFY2(clock.elapsed() - stoppedAt < 2000, "the run went on long after the stop");
    QCOMPARE(window.quits, 0);
    QVERIFY(!window.state.flagRunning);
    QCOMPARE(form.cmdMain(0)->text(), QStringLiteral("終了"));
    QVERIFY(form.cmdMain(1)->isEnabled());
    // The stopped run's figures say they are partial, or no sub-directory row was started.
    const ui::GridModel& grid = *form.gridModel();
    QVERIFY(grid.text(0, 1).endsWith('+') || grid.text(2, 0).isEmpty());

    // Idle, the same button ends the program.
    QTest::mouseClick(form.cmdMain(0), Qt::LeftButton);
    QCOMPARE(window.quits, 1);
}

void SurveyInWindowTest::closingTheWindowDuringARunEndsTheRun() {
    test::WindowFixture window(*m_big / "big");
    ui::frmMain& form = *window.form;
    form.show();
    bool closed = false;
    bool runEnded = false;
    // As in the program: the run starts from the event loop, and the close arrives inside one of its yields.
    QTimer::singleShot(0, &form, [&] {
        duringRun(&form, [&] { closed = form.close(); });
        QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
        runEnded = !form.engine().running();
    });
    QTimer::singleShot(60000, qApp, [] { QCoreApplication::exit(2); });
    // With its last window gone the application leaves its loop, once the run has returned.
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(closed);
    QVERIFY(runEnded);
    QVERIFY(form.isHidden());
    QVERIFY(!window.state.flagRunning);
    QCOMPARE(window.quits, 0);
}

void SurveyInWindowTest::aDirectoryThatVanishedBeforeTheCheckIsNamedInAMessage() {
    test::TempTree tree;
    tree.write("kept/file", "x");
    tree.mkdir("gone");
    test::WindowFixture window(tree / "kept");
    ui::frmMain& form = *window.form;
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);  // a first survey leaves its rows
    QCOMPARE(form.gridModel()->text(0, 0), QStringLiteral("ALL FILES"));
    QVERIFY(form.dirData()->assignPath(QString::fromStdString(tree / "gone")));
    tree.removeAll(tree / "gone");
    ::rmdir((tree / "gone").c_str());

    QString message;
    std::function<void()> answer = [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->accept();
            return;
        }
        QTimer::singleShot(10, &form, answer);
    };
    QTimer::singleShot(0, &form, answer);
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QCOMPARE(message, QStringLiteral("ディレクトリを開けません「") + QString::fromStdString(tree / "gone") +
                          QStringLiteral("」\n見つかりません"));
    QVERIFY(!window.state.flagRunning);
    QVERIFY(form.cmdMain(1)->isEnabled());
    QCOMPARE(form.cmdMain(0)->text(), QStringLiteral("終了"));
}

QTEST_MAIN(SurveyInWindowTest)
#include "SurveyInWindowTest.moc"
