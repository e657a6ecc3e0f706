// The window as it opens: its controls, their places and texts, the keyboard order, the state after the
// load handler, and the switching of the inputs around a survey.
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "WindowFixture.h"
#include "support/TempTree.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridModel.h"
#include "ui/PathField.h"
#include "ui/PathResolution.h"
#include "ui/WindowLook.h"
#include "ui/frmDummy.h"
#include "util/Version.h"

using namespace trelmark;

class frmMainLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void controlsSitWhereTheTableSays_data();
    void controlsSitWhereTheTableSays();
    void windowIsFixedAndTitled();
    void tabVisitsTheControlsInOrderAndSkipsDisabledOnes();
    void loadFillsThePathControlsWithoutRunningTheirHandlers();
    void loadFallsBackToTheProgramDirectory();
    void captionCarriesTheVersion();
    void enableControlsLeavesExitAndGridAlone();
    void unloadStopsARunButLeavesAnIdleWindowAlone();
    void dummyFormIsNeverShown();
};

namespace {

QRect twips(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

}  // namespace

void frmMainLayoutTest::controlsSitWhereTheTableSays_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("gothic");
    QTest::newRow("driveData") << "driveData"
                               << "trelmark::ui::DriveList" << twips(180, 450, 3570, 300) << "" << true;
    QTest::newRow("dirData") << "dirData"
                             << "trelmark::ui::DirectoryList" << twips(180, 810, 3570, 3030) << "" << true;
    QTest::newRow("fileData") << "fileData"
                              << "trelmark::ui::FileList" << twips(3825, 810, 2310, 2970) << "" << true;
    QTest::newRow("cmdMain(1)") << "cmdMain_1"
                                << "QPushButton" << twips(6660, 720, 1185, 555) << "チェック" << false;
    QTest::newRow("gridList") << "gridList"
                              << "QTableView" << twips(180, 4425, 7575, 3165) << "" << true;
    QTest::newRow("cmdMain(0)") << "cmdMain_0"
                                << "QPushButton" << twips(6660, 45, 1185, 555) << "終了" << false;
    QTest::newRow("Label1") << "Label1"
                            << "QLabel" << twips(225, 3930, 1590, 195) << "DriveTotalSize" << false;
    QTest::newRow("labelDriveTotalSize") << "labelDriveTotalSize"
                                         << "QLabel" << twips(1935, 3930, 1770, 195) << "" << false;
    QTest::newRow("Label2") << "Label2"
                            << "QLabel" << twips(3780, 3930, 645, 195) << "bytes" << false;
    QTest::newRow("Label3") << "Label3"
                            << "QLabel" << twips(3780, 4200, 645, 195) << "bytes" << false;
    QTest::newRow("labelDriveAvailableSpace") << "labelDriveAvailableSpace"
                                              << "QLabel" << twips(1935, 4200, 1770, 195) << "" << false;
    QTest::newRow("Label5") << "Label5"
                            << "QLabel" << twips(225, 4200, 1590, 195) << "DriveAvailableSpace" << false;
    QTest::newRow("TextPath") << "TextPath"
                              << "trelmark::ui::PathField" << twips(180, 90, 3975, 270) << "/" << false;
    QTest::newRow("cmdRefer") << "cmdRefer"
                              << "QPushButton" << twips(4230, 105, 855, 255) << "参照..." << false;
    QTest::newRow("checkFiles") << "checkFiles"
                                << "QCheckBox" << twips(4590, 4155, 1950, 180) << "ファイル数を数える"
                                << false;
}

void frmMainLayoutTest::controlsSitWhereTheTableSays() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, gothic);
    test::WindowFixture window("/");
    auto* control = window.form->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    QCOMPARE(control->geometry(), geometry);
    QVariant shown = control->property("text");
    QCOMPARE(shown.toString(), text);
    if (gothic) {
        QCOMPARE(control->font().families(), ui::gothicFont().families());
        QCOMPARE(control->font().pointSize(), 9);
    }
    const QString tip = name == "TextPath" ? QStringLiteral("ディレクトリを入力してください")
                        : name == "cmdRefer" ? QStringLiteral("ディレクトリがダイアログで選択できます")
                                             : QString();
    QCOMPARE(control->toolTip(), tip);
    // Only the exit button keeps a pointer of its own, the arrow (the path field's I-beam is Qt's).
    QCOMPARE(control->testAttribute(Qt::WA_SetCursor), name == "cmdMain_0" || name == "TextPath");
}

void frmMainLayoutTest::windowIsFixedAndTitled() {
    test::WindowFixture window("/");
    ui::frmMain& form = *window.form;
    QCOMPARE(form.size(), QSize(531, 515));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY((form.geometry().center() - screen.center()).manhattanLength() <= 2);
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.cmdMain(0)->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!form.windowIcon().isNull());
    QVERIFY(form.windowIcon().availableSizes().contains(QSize(16, 16)));
    QVERIFY(form.windowIcon().availableSizes().contains(QSize(32, 32)));
    QVERIFY(!form.cmdMain(0)->isDefault() && !form.cmdMain(1)->isDefault() &&
            !form.cmdMain(1)->autoDefault());
    // The grid's header is the dark green one, in the grid's font.
    QVERIFY(form.gridList()->styleSheet().contains("rgb(0, 64, 0)"));
    QVERIFY(form.gridList()->verticalHeader()->isHidden());
}

void frmMainLayoutTest::tabVisitsTheControlsInOrderAndSkipsDisabledOnes() {
    test::WindowFixture window("/");
    ui::frmMain& form = *window.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), form.driveData());
    const QList<QWidget*> order = {form.dirData(),  form.fileData(),   form.cmdMain(1),
                                   form.gridList(), form.cmdMain(0),   form.TextPath(),
                                   form.cmdRefer(), form.checkFiles(), form.driveData()};
    for (QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
    form.controls().EnableControls(false);
    form.gridList()->setFocus();
    QTest::keyClick(form.gridList(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.cmdMain(0));
    QTest::keyClick(form.cmdMain(0), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.gridList());
}

void frmMainLayoutTest::loadFillsThePathControlsWithoutRunningTheirHandlers() {
    test::TempTree tree;
    tree.mkdir("start here  ");
    const std::string start = test::canonical(tree.path()) + "/start here  ";
    test::WindowFixture window(start);
    ui::frmMain& form = *window.form;
    QVERIFY(!form.flagChanging());
    QVERIFY(!window.state.flagRunning && !window.state.flagCancel);
    QCOMPARE(form.TextPath()->text(), QString::fromStdString(start));
    QCOMPARE(form.dirData()->rawPath(), start);
    QVERIFY(form.driveData()->Drive().startsWith("/  ["));
    // The file list was not told: it still shows the directory it was created on.
    QCOMPARE(form.fileData()->rawPath(), ui::processDirectory());
    QVERIFY(form.labelDriveTotalSize()->text().isEmpty() &&
            form.labelDriveAvailableSpace()->text().isEmpty());
    QVERIFY(!form.checkFiles()->isChecked());
    QCOMPARE(form.gridModel()->rowCount(), 1);
    QCOMPARE(form.gridModel()->column(0).header, QStringLiteral("Directory Name      "));
}

void frmMainLayoutTest::loadFallsBackToTheProgramDirectory() {
    test::TempTree tree;
    tree.mkdir("bin");
    const std::string program = test::canonical(tree / "bin");
    test::WindowFixture window("  \"/no such directory\"", program);
    QCOMPARE(window.state.pathStart, std::string("  \"/no such directory\""));
    QCOMPARE(window.form->dirData()->rawPath(), program);
    QCOMPARE(window.form->TextPath()->text(), QString::fromStdString(program));
    QVERIFY(!window.form->flagChanging());
}

void frmMainLayoutTest::captionCarriesTheVersion() {
    test::WindowFixture window("/");
    QCOMPARE(window.form->windowTitle(),
             QStringLiteral("Trelmark Version 1.1.13 ") + QString::fromUtf8(util::kLegalNotice));
    QCOMPARE(QString::fromLatin1(util::kFileVersion), QStringLiteral("1.01.0013"));
    QCOMPARE(ui::versionCaption(2, 0, 5, {}), QStringLiteral("Trelmark Version 2.0.5 "));
    QCOMPARE(ui::progressCaption("T", {1234567, 10, 12345678901}),
             QStringLiteral("1,234,567 entries, 12.3 GB — T"));
    QCOMPARE(ui::shortByteCount(999), QStringLiteral("999 B"));
    // A walk's progress leads the caption while a run lasts; the end of the run puts the caption back.
    window.form->controls().EnableControls(false);
    window.form->sink().walkProgress({5000, 40, 2500000});
    QCOMPARE(window.form->windowTitle(), QStringLiteral("5,000 entries, 2.5 MB — ") + window.form->caption());
    window.form->controls().EnableControls(true);
    QCOMPARE(window.form->windowTitle(), window.form->caption());
    QCOMPARE(ui::shortByteCount(999960), QStringLiteral("1.0 MB"));
}

void frmMainLayoutTest::enableControlsLeavesExitAndGridAlone() {
    test::WindowFixture window("/");
    ui::frmMain& form = *window.form;
    const QList<QWidget*> inputs = {form.TextPath(), form.cmdRefer(),   form.driveData(), form.dirData(),
                                    form.fileData(), form.checkFiles(), form.cmdMain(1)};
    form.controls().EnableControls(false);
    for (QWidget* input : inputs) {
        QVERIFY2(!input->isEnabled(), qPrintable(input->objectName()));
    }
    QVERIFY(form.cmdMain(0)->isEnabled() && form.gridList()->isEnabled());
    form.controls().EnableControls(true);
    for (QWidget* input : inputs) {
        QVERIFY2(input->isEnabled(), qPrintable(input->objectName()));
    }
}

void frmMainLayoutTest::unloadStopsARunButLeavesAnIdleWindowAlone() {
    test::WindowFixture idle("/");
    idle.form->show();
    QVERIFY(idle.form->close());
    QVERIFY(!idle.state.flagCancel);
    QVERIFY(idle.form->isHidden());

    test::WindowFixture busy("/");
    busy.form->show();
    busy.state.flagRunning = true;  // as when the close comes inside a run's yield
    QVERIFY(!busy.state.flagCancel);
    QVERIFY(busy.form->close());
    QVERIFY(busy.state.flagCancel);
    QVERIFY(busy.form->isHidden());
    busy.state.flagRunning = false;
}

void frmMainLayoutTest::dummyFormIsNeverShown() {
    ui::frmDummy dummy;
    QCOMPARE(dummy.windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(dummy.size(), QSize(249, 124));
    QVERIFY(dummy.findChildren<QWidget*>().isEmpty());
    QVERIFY(!dummy.windowIcon().isNull());
    QVERIFY(dummy.isHidden());
}

QTEST_MAIN(frmMainLayoutTest)
#include "frmMainLayoutTest.moc"
