// SPDX-License-Identifier: MIT
// Start-up and shutdown: the start directory taken from the command line, the component that must exist
// before a window is shown, and the two ways out.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/Program.h"
#include "app/StartDirectory.h"
#include "fs/LinuxFileSystem.h"
#include "ui/DirectoryList.h"
#include "ui/PathField.h"
#include "ui/frmMain.h"

using namespace trelmark;

namespace {

app::Program::FileSystemFactory realComponent() {
    return [] { return fs::createFileSystem(); };
}

}  // namespace

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void startDirectoryIsTheArgumentTextAsGiven_data();
    void startDirectoryIsTheArgumentTextAsGiven();
    void executableDirectoryHoldsThisProgram();
    void mainShowsTheWindowOnTheStartDirectory();
    void noComponentMeansNoWindow();
    void quitApplicationUnloadsTheWindowThenEndsTheLoop();
    void exitButtonWhileIdleEndsTheProgram();
    void theBrowseDialogSpeaksJapanese();
};

void StartUpTest::startDirectoryIsTheArgumentTextAsGiven_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no argument") << QStringList{} << "/opt/trelmark/bin";
    QTest::newRow("spaces only") << QStringList{"   "} << "/opt/trelmark/bin";
    QTest::newRow("empty arguments") << QStringList{"", ""} << "/opt/trelmark/bin";
    QTest::newRow("trailing spaces kept") << QStringList{"/data  "} << "/data  ";
    QTest::newRow("leading spaces kept") << QStringList{"  /data"} << "  /data";
    QTest::newRow("quotes kept") << QStringList{"\"/my data\""} << "\"/my data\"";
    QTest::newRow("two words, one string") << QStringList{"/a", "/b"} << "/a /b";
    QTest::newRow("tab is not a space") << QStringList{"\t"} << "\t";
}

void StartUpTest::startDirectoryIsTheArgumentTextAsGiven() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    std::vector<std::string> raw;
    for (const QString& argument : arguments) {
        raw.push_back(argument.toStdString());
    }
    QCOMPARE(QString::fromStdString(app::startDirectory(raw, "/opt/trelmark/bin")), expected);
}

void StartUpTest::executableDirectoryHoldsThisProgram() {
    QCOMPARE(QString::fromStdString(app::executableDirectory()), QCoreApplication::applicationDirPath());
}

void StartUpTest::mainShowsTheWindowOnTheStartDirectory() {
    app::Program program({"/"}, "/usr", realComponent());
    QVERIFY(program.window() == nullptr);
    QVERIFY(program.Main());
    QVERIFY(program.state().fsoSystem != nullptr);
    QCOMPARE(program.findCursor().handleFind(), -1);
    QCOMPARE(program.state().pathStart, std::string("/"));
    QVERIFY(program.window()->isVisible());
    QCOMPARE(program.window()->TextPath()->text(), QStringLiteral("/"));
    QCOMPARE(program.window()->dirData()->rawPath(), std::string("/"));
}

void StartUpTest::noComponentMeansNoWindow() {
    app::Program program({}, "/usr", [] { return std::unique_ptr<fs::FileSystem>(); });
    QVERIFY(!program.Main());
    QVERIFY(program.window() == nullptr);
}

void StartUpTest::quitApplicationUnloadsTheWindowThenEndsTheLoop() {
    app::Program program({}, "/", realComponent());
    QVERIFY(program.Main());
    bool unloadedFirst = false;
    QTimer::singleShot(0, qApp, [&] {
        program.state().flagRunning = true;  // as when the quit comes inside a run's yield
        program.QuitApplication();
        unloadedFirst = program.state().flagCancel && program.window()->isHidden();
        program.state().flagRunning = false;
    });
    QTimer::singleShot(30000, qApp, [] { QCoreApplication::exit(2); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(unloadedFirst);
}

void StartUpTest::exitButtonWhileIdleEndsTheProgram() {
    app::Program program({"/"}, "/", realComponent());
    QVERIFY(program.Main());
    QTimer::singleShot(0, qApp, [&] { program.window()->cmdMain(0)->click(); });
    QTimer::singleShot(30000, qApp, [] { QCoreApplication::exit(2); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(program.window()->isHidden());
}

void StartUpTest::theBrowseDialogSpeaksJapanese() {
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ja.qm")) {
        QSKIP("Qt's Japanese translations are not installed");
    }
    app::Program program({"/"}, "/", realComponent());
    QVERIFY(program.Main());
    QStringList buttons;
    QTimer::singleShot(0, qApp, [&buttons] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            for (const QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons()) {
                buttons << button->text();
            }
            dialog->reject();
        }
    });
    program.window()->cmdRefer()->click();
    QCOMPARE(buttons.size(), 2);
    QVERIFY2(buttons.contains(QStringLiteral("開く(&O)")), qPrintable(buttons.join(u' ')));
    QVERIFY2(buttons.contains(QStringLiteral("キャンセル")), qPrintable(buttons.join(u' ')));
}

QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
