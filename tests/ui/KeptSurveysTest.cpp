// SPDX-License-Identifier: MIT
// Survey files in the window: a survey saved and opened again shows the grid the walk showed, drills down
// inside the file, names its time and host in the note line, and moves the path controls only to a
// directory that exists here; a file that cannot be read or written is said in one message box.
#include <fstream>

#include <sys/mount.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "store/ReportFacts.h"
#include "store/SurveyOpening.h"
#include "support/TempTree.h"
#include "survey/SurveyEngine.h"
#include "ui/DirectoryList.h"
#include "ui/GridExplorer.h"
#include "ui/GridModel.h"
#include "ui/KeptSurveys.h"
#include "ui/MapWindow.h"
#include "ui/PathField.h"

using namespace trelmark;

namespace {

// Every cell of the grid, row by row.
QStringList gridTexts(const ui::frmMain& form) {
    QStringList cells;
    const ui::GridModel& grid = *form.gridModel();
    for (int row = 0; row < grid.rowCount(); ++row) {
        for (int column = 0; column < ui::GridModel::kColumns; ++column) {
            cells << grid.text(row, column);
        }
    }
    return cells;
}

// Closes the next message box the window shows and keeps its text.
class BoxCatcher : public QObject {
public:
    BoxCatcher() {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                titles << box->windowTitle();
                box->accept();
            }
        });
        timer->start(10);
    }
    QStringList texts;
    QStringList titles;
};

// Saves the window's survey to `file` and waits for the save to end: its problem, empty when written.
QString saveAndWait(ui::frmMain& form, const std::string& file) {
    QSignalSpy ended(&form.keptSurveys(), &ui::KeptSurveys::saveEnded);
    form.keptSurveys().saveTo(QString::fromStdString(file));
    if (!ended.wait(10000)) {
        return QStringLiteral("no answer");
    }
    return ended.first().at(1).toString();
}

}  // namespace

class KeptSurveysTest : public QObject {
    Q_OBJECT

private slots:
    void savedSurveyOpensToTheFreshGridAndDrillsDownInside();
    void exportOfADirectoryNotHereLeavesThePathControlsAndShowsNoDrive();
    void unreadableFilesAreSaidAndTheGridStays();
    void failedSaveSaysWhyAndKeepsTheEarlierFile();
    void stoppedSurveyIsSavedAsStoppedWithTheRowsItReached();
};

void KeptSurveysTest::savedSurveyOpensToTheFreshGridAndDrillsDownInside() {
    test::TempTree tree;
    test::makeGridTree(tree);
    const test::TempTree files;
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    form.checkFiles()->setChecked(true);
    ui::KeptSurveys& kept = form.keptSurveys();
    QVERIFY(!kept.canSave());
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QVERIFY(kept.canSave());
    const QStringList fresh = gridTexts(form);
    const std::string root = test::canonical(tree.path());
    const std::string file = files / "week1.db";
    // Ctrl+S and Ctrl+O ask for the file in Qt's own dialogs.
    const auto answerDialog = [&](const char* name, const std::string& chosen) {
        QTimer::singleShot(0, &form, [name, chosen] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr && dialog->objectName() == QLatin1String(name));
            QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
            dialog->selectFile(QString::fromStdString(chosen));
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    QSignalSpy saved(&kept, &ui::KeptSurveys::saveEnded);
    answerDialog("surveySaveDialog", file);
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(saved.wait(10000));
    QCOMPARE(saved.first().at(1).toString(), QString());

    // What changes on disk afterwards is not in the file.
    tree.write("alpha/a1", std::string(5000, 'x'));
    QSignalSpy shown(&kept, &ui::KeptSurveys::shown);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    answerDialog("surveyOpenDialog", file);
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(shown.count(), 1);
    QVERIFY(kept.opened() && !kept.canSave());
    QCOMPARE(gridTexts(form), fresh);
    // The menu offers no save of an opened survey (it is in its file); opening another stays offered.
    const std::unique_ptr<QMenu> menu(form.gridExplorer()->createMenu(-1, &form));
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("saveSurvey"))->isEnabled());
    QVERIFY(menu->findChild<QAction*>(QStringLiteral("openSurvey"))->isEnabled());
    QCOMPARE(form.dirData()->rawPath(), root);
    const QString note = form.labelFromWalk()->text();
    const QRegularExpression when(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d の調査（(.+)）$"));
    QVERIFY2(when.match(note).hasMatch(), qPrintable(note));
    QCOMPARE(when.match(note).captured(1), QString::fromStdString(store::hostName()));
    QVERIFY(form.labelFromWalk()->width() >= form.labelFromWalk()->fontMetrics().horizontalAdvance(note));

    // Drill-down and back up read the file; above its root nothing moves.
    QTableView& view = *form.gridList();
    view.setFocus();
    view.setCurrentIndex(view.model()->index(2, 0));
    QCOMPARE(form.gridModel()->text(2, 0), QStringLiteral("alpha"));
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(form.gridModel()->text(0, 1), QStringLiteral("1,000"));
    QCOMPARE(form.gridModel()->text(1, 1), QStringLiteral("300"));
    QCOMPARE(form.dirData()->rawPath(), root + "/alpha");
    QCOMPARE(form.labelFromWalk()->text(), note);
    QVERIFY(form.formCanvas()->findChild<QLabel*>(QStringLiteral("labelSurveyRoot")) == nullptr);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(gridTexts(form), fresh);
    QCOMPARE(form.dirData()->rawPath(), root);

    // The map of the opened survey, from the file.
    form.openMap();
    QVERIFY(form.mapWindow() != nullptr);
    form.mapWindow()->close();

    // "チェック" surveys this machine again: the new figures, and the walk can be saved.
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QVERIFY(!kept.opened() && kept.canSave());
    QVERIFY(!form.labelFromWalk()->isVisible());
    QCOMPARE(form.gridModel()->text(2, 1), QStringLiteral("5,700"));
}

void KeptSurveysTest::exportOfADirectoryNotHereLeavesThePathControlsAndShowsNoDrive() {
    test::TempTree tree;
    test::makeGridTree(tree);
    const std::string absent = "/nonexistent-trelmark-share";
    tree.write("export.json",
               R"([1,2,{"progname":"ncdu","progver":"2.3","timestamp":1700000000},)"
               R"([{"name":")" +
                   absent +
                   R"("},{"name":"f","asize":100},)"
                   R"([{"name":"d"},{"name":"g","asize":50},[{"name":"e"},{"name":"h","asize":7}]]]])");
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    const std::string start = form.dirData()->rawPath();
    ui::KeptSurveys& kept = form.keptSurveys();
    kept.open(QString::fromStdString(tree / "export.json"));
    QVERIFY(kept.opened());
    const ui::GridModel& grid = *form.gridModel();
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.text(0, 1), QStringLiteral("157"));
    QCOMPARE(grid.text(2, 0), QStringLiteral("d"));
    QCOMPARE(grid.text(0, 2), QString());  // no drive, no share of one
    QVERIFY(!grid.text(2, 3).isEmpty());
    QCOMPARE(form.dirData()->rawPath(), start);
    QCOMPARE(form.TextPath()->text(), QString::fromStdString(start));
    QVERIFY(form.labelDriveTotalSize()->text().isEmpty());
    // Its csv knows no drive either.
    const QString csv = QString::fromStdString(tree / "export.csv");
    QVERIFY(form.gridExplorer()->save(csv, ui::GridExplorer::Format::Csv));
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    QVERIFY2(!text.contains("drive_total,,0"), text.constData());
    const QString stamp =
        QDateTime::fromSecsSinceEpoch(1700000000).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QCOMPARE(form.labelFromWalk()->text(), stamp + QStringLiteral(" の調査"));
    // The survey's root under the note, whole for a screen reader, and clear of the count option.
    const auto* rootLine = form.formCanvas()->findChild<QLabel*>(QStringLiteral("labelSurveyRoot"));
    QVERIFY(rootLine != nullptr && rootLine->isVisible());
    QCOMPARE(rootLine->accessibleName(), QString::fromStdString(absent));
    QVERIFY(rootLine->text().startsWith(u'/'));
    QVERIFY(rootLine->width() >= rootLine->fontMetrics().horizontalAdvance(rootLine->text()));
    QVERIFY(rootLine->geometry().left() >
            form.checkFiles()->geometry().left() + form.checkFiles()->sizeHint().width());

    // Inside it the controls stay too, and the survey's root is still named.
    QTableView& view = *form.gridList();
    view.setFocus();
    view.setCurrentIndex(view.model()->index(2, 0));
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(grid.text(0, 1), QStringLiteral("57"));
    QCOMPARE(grid.text(2, 0), QStringLiteral("e"));
    QCOMPARE(form.dirData()->rawPath(), start);
    QVERIFY(rootLine->isVisible());
}

void KeptSurveysTest::unreadableFilesAreSaidAndTheGridStays() {
    test::TempTree tree;
    test::makeGridTree(tree);
    tree.write("notes.db", "hello, world\n");
    tree.write("cut.json", R"([1,2,{"progname":"ncdu"},[{"name":"/x"},{"name":"f","asize":)");
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    const QStringList before = gridTexts(form);
    ui::KeptSurveys& kept = form.keptSurveys();
    for (const char* name : {"notes.db", "cut.json", "absent.db"}) {
        const QString file = QString::fromStdString(tree / name);
        BoxCatcher boxes;
        kept.open(file);
        QVERIFY(QTest::qWaitFor([&] { return !boxes.texts.isEmpty(); }, 5000));
        QCOMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.titles.first(), QStringLiteral("Trelmark"));
        QVERIFY2(boxes.texts.first().contains(file), qPrintable(boxes.texts.first()));
        QVERIFY(!kept.opened());
        QCOMPARE(gridTexts(form), before);
        QVERIFY(kept.canSave());
    }
}

void KeptSurveysTest::failedSaveSaysWhyAndKeepsTheEarlierFile() {
    test::TempTree tree;
    test::makeGridTree(tree);
    test::WindowFixture window(tree.path());
    ui::frmMain& form = *window.form;
    form.show();
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    {
        BoxCatcher boxes;
        QVERIFY(saveAndWait(form, tree / "missing/survey.db").contains(QStringLiteral("No such file")));
        QVERIFY(QTest::qWaitFor([&] { return !boxes.texts.isEmpty(); }, 5000));
        QVERIFY(boxes.texts.first().contains(QStringLiteral("missing/survey.db")));
        QVERIFY(boxes.texts.first().contains(QStringLiteral("No such file")));
    }
    if (::geteuid() != 0) {
        QSKIP("a read-only file system for the earlier file needs root to mount");
    }
    const test::TempTree small;
    const std::string mount = small / "fs";
    small.mkdir("fs");
    QVERIFY(::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=64k") == 0);
    const std::string file = mount + "/survey.db";
    { std::ofstream(file) << "an earlier survey"; }
    QVERIFY(::mount(nullptr, mount.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
    BoxCatcher boxes;
    const QString problem = saveAndWait(form, file);
    std::string earlier;
    std::getline(std::ifstream(file), earlier);
    const bool unmounted = ::umount(mount.c_str()) == 0;
    QVERIFY2(problem.contains(QStringLiteral("Read-only")), qPrintable(problem));
    QCOMPARE(earlier, std::string("an earlier survey"));
    QVERIFY(unmounted);
    QVERIFY(QTest::qWaitFor([&] { return !boxes.texts.isEmpty(); }, 5000));
    QVERIFY(form.keptSurveys().canSave());
}

void KeptSurveysTest::stoppedSurveyIsSavedAsStoppedWithTheRowsItReached() {
    const test::TempTree tree(test::TempTree::Storage::Memory);
    for (int i = 0; i < 20000; ++i) {
        tree.write("big/d" + std::to_string(i % 20) + "/e" + std::to_string(i) + "/f", "x");
    }
    const test::TempTree files;
    test::WindowFixture window(tree / "big");
    ui::frmMain& form = *window.form;
    form.show();
    // Stopped once the growing rows show a figure: the walk has directories to keep by then.
    bool stopped = false;
    QObject::connect(form.gridModel(), &QAbstractItemModel::dataChanged, &form, [&] {
        const survey::SurveyRow* all = form.gridModel()->figures(0);
        if (!stopped && all != nullptr && all->bytes && form.engine().running()) {
            stopped = true;
            QTimer::singleShot(0, &form, [&form] { QTest::mouseClick(form.cmdMain(0), Qt::LeftButton); });
        }
    });
    QTest::mouseClick(form.cmdMain(1), Qt::LeftButton);
    QVERIFY(stopped);
    QVERIFY(form.keptSurveys().canSave());
    const std::string file = files / "stopped.db";
    QCOMPARE(saveAndWait(form, file), QString());
    std::string reason;
    const auto kept = store::openSurvey(file, {}, reason);
    QVERIFY2(kept != nullptr, reason.c_str());
    QVERIFY(kept->facts().stopped);

    form.keptSurveys().open(QString::fromStdString(file));
    QVERIFY(form.keptSurveys().opened());
    QVERIFY2(form.gridModel()->text(0, 1).endsWith(u'+'), qPrintable(form.gridModel()->text(0, 1)));
}

QTEST_MAIN(KeptSurveysTest)
#include "KeptSurveysTest.moc"
