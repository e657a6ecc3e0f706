// SPDX-License-Identifier: MIT
// The window as it opens: its controls, their places and texts, the keyboard order, the state after the
// load handler, and the switching of the inputs around a survey.
#include <map>

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
#include "survey/SurveyEngine.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/GridModel.h"
#include "ui/PathField.h"
#include "ui/PathResolution.h"
#include "ui/WindowLayout.h"
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

struct Expected {
    const char* className;
    const char* text;
    bool gothic;
};

// What each control of the layout table is; where it sits comes from the table itself.
Expected expected(std::string_view name) {
    static const std::map<std::string_view, Expected> kinds = {
        {"driveData", {"trelmark::ui::DriveList", "", true}},
        {"dirData", {"trelmark::ui::DirectoryList", "", true}},
        {"fileData", {"trelmark::ui::FileList", "", true}},
        {"cmdMain_1", {"QPushButton", "チェック", false}},
        {"gridList", {"QTableView", "", true}},
        {"cmdMain_0", {"QPushButton", "終了", false}},
        {"Label1", {"QLabel", "DriveTotalSize", false}},
        {"labelDriveTotalSize", {"QLabel", "", false}},
        {"Label2", {"QLabel", "bytes", false}},
        {"Label3", {"QLabel", "bytes", false}},
        {"labelDriveAvailableSpace", {"QLabel", "", false}},
        {"Label5", {"QLabel", "DriveAvailableSpace", false}},
        {"TextPath", {"trelmark::ui::PathField", "/", false}},
        {"cmdRefer", {"QPushButton", "参照...", false}},
        {"checkFiles", {"QCheckBox", "ファイル数を数える", false}},
    };
    return kinds.at(name);
}

}  // namespace

void frmMainLayoutTest::controlsSitWhereTheTableSays_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QCOMPARE(ui::kWindowLayout.size(), std::size_t{15});
    for (const ui::ControlPlace& place : ui::kWindowLayout) {
        const QString name =
            QString::fromLatin1(place.name.data(), static_cast<qsizetype>(place.name.size()));
        QTest::newRow(qPrintable(name)) << name << place.pixels();
    }
}

void frmMainLayoutTest::controlsSitWhereTheTableSays() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    const Expected kind = expected(name.toStdString());
    test::WindowFixture window("/");
    auto* control = window.form->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget(), window.form->formCanvas());
    QCOMPARE(control->metaObject()->className(), kind.className);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->property("text").toString(), QString::fromUtf8(kind.text));
    if (kind.gothic) {
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
    QCOMPARE(form.size(), QSize(ui::kFormWidth / 15, ui::kFormHeight / 15));
    QCOMPARE(form.formCanvas()->size(), form.size());
    // Centred with its frame, which the window manager adds around it (an allowance for a title bar
    // before the real frame is known).
    form.show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(form.frameGeometry()));
    QVERIFY((form.frameGeometry().center() - screen.center()).manhattanLength() <= 20);
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
             QStringLiteral("1,234,567 項目 12.3 GB — T"));
    QCOMPARE(ui::shortByteCount(999), QStringLiteral("999 B"));
    // A walk's progress leads the caption while a run lasts; the end of the run puts the caption back.
    window.form->controls().EnableControls(false);
    window.form->sink().walkProgress({5000, 40, 2500000});
    QCOMPARE(window.form->windowTitle(), QStringLiteral("5,000 項目 2.5 MB — ") + window.form->caption());
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
    {
        // The window opens and runs a survey without ever making the dummy form.
        test::TempTree tree;
        tree.write("sub/file", "x");
        test::WindowFixture window(tree.path());
        window.form->show();
        window.form->cmdMain_Click(1);
        for (QWidget* widget : QApplication::allWidgets()) {
            QVERIFY2(qobject_cast<ui::frmDummy*>(widget) == nullptr, "a frmDummy exists");
        }
    }
    // What it would be, were it shown.
    ui::frmDummy dummy;
    QCOMPARE(dummy.windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(dummy.size(), QSize(249, 124));
    QVERIFY(dummy.findChildren<QWidget*>().isEmpty());
    QVERIFY(!dummy.windowIcon().isNull());
}

QTEST_MAIN(frmMainLayoutTest)
#include "frmMainLayoutTest.moc"
