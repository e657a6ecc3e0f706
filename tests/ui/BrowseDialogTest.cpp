// SPDX-License-Identifier: MIT
// The browse button: Qt's own file dialog used as a directory chooser, answered here as a user would answer
// it, what the path controls do with the choice, and the current directory the dialog leaves behind.
#include <functional>
#include <memory>

#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "support/TempTree.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/PathField.h"
#include "ui/PathResolution.h"

using namespace trelmark;

namespace {

QString text(const std::string& raw) {
    return QString::fromStdString(raw);
}

// What the dialog looked like when it came up.
struct Seen {
    bool shown = false;
    QString title;
    QString directory;
    QString name;
    QString filterShown;
    QStringList filters;
    QFileDialog::Options options;
    QFileDialog::FileMode mode = QFileDialog::ExistingFile;
};

// Clicks the browse button and answers the dialog it opens: `answer` may move the dialog and type a name,
// and says whether to confirm (true) or cancel. Returns when the click has been handled.
Seen browse(ui::frmMain& form, const std::function<bool(QFileDialog&)>& answer) {
    auto seen = std::make_shared<Seen>();
    auto clicked = std::make_shared<bool>(false);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [seen, clicked, poll, answer] {
        if (*clicked) {
            return;  // the click is over: a later dialog is another test's
        }
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, *poll);
            return;
        }
        seen->shown = true;
        seen->title = dialog->windowTitle();
        seen->directory = dialog->directory().absolutePath();
        seen->name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        seen->filterShown = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
        seen->filters = dialog->nameFilters();
        seen->options = dialog->options();
        seen->mode = dialog->fileMode();
        if (answer(*dialog)) {
            static_cast<QDialog*>(dialog)
                ->accept();  // QFileDialog's own, which checks the name as the button does
        } else {
            dialog->reject();
        }
    };
    QTimer::singleShot(0, *poll);
    form.cmdRefer()->click();
    *clicked = true;
    *poll = nullptr;  // the polling closure held itself
    return *seen;
}

std::function<bool(QFileDialog&)> confirmIn(const std::string& directory, const QString& name = {}) {
    return [directory, name](QFileDialog& dialog) {
        dialog.setDirectory(text(directory));
        if (!name.isEmpty()) {
            dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
        }
        return true;
    };
}

bool cancel(QFileDialog&) {
    return false;
}

// Puts the process back where it was, whatever a test made current.
struct KeepCurrentDirectory {
    ~KeepCurrentDirectory() { static_cast<void>(::chdir(before.c_str())); }
    std::string before = ui::processDirectory();
};

// A tree with two directories, a and b (which holds sub), and the window opened on a.
struct Browsing {
    Browsing() {
        tree.mkdir("a");
        tree.mkdir("b/sub");
        tree.write("b/file.txt");
        root = test::canonical(tree.path());
    }
    KeepCurrentDirectory keep;
    test::TempTree tree;
    std::string root;
};

}  // namespace

class BrowseDialogTest : public QObject {
    Q_OBJECT

private slots:
    void confirmingSelectsTheDirectoryShown();
    void confirmingInTheRootSelectsTheRoot();
    void cancellingChangesNothing();
    void aTypedNameWithADirectoryPartSelectsThatPart();
    void opensOnThePathFieldTrimmedAndWithoutItsSeparator();
    void aStartDirectoryThatVanishedStillLetsTheChoiceStand();
    void aRelativeStartDirectoryIsReturnedToEveryTime();
};

void BrowseDialogTest::confirmingSelectsTheDirectoryShown() {
    Browsing b;
    test::WindowFixture window(b.root + "/a");
    ui::frmMain& form = *window.form;
    const std::string files = form.fileData()->rawPath();
    const int drive = form.driveData()->currentIndex();
    QVERIFY(::chdir("/") == 0);

    const Seen seen = browse(form, confirmIn(b.root + "/b"));
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("ディレクトリ指定"));
    QCOMPARE(seen.directory, text(b.root + "/a"));
    QCOMPARE(seen.name, QStringLiteral("入力不要"));
    QCOMPARE(seen.filterShown, QStringLiteral("入力不要"));
    QCOMPARE(seen.filters.size(), 1);
    QVERIFY(seen.options.testFlag(QFileDialog::DontUseNativeDialog));
    QVERIFY(!seen.options.testFlag(QFileDialog::ReadOnly));
    QCOMPARE(seen.mode, QFileDialog::AnyFile);

    QCOMPARE(form.TextPath()->text(), text(b.root + "/b"));
    QCOMPARE(form.dirData()->rawPath(), b.root + "/b");
    QCOMPARE(form.driveData()->currentIndex(), drive);
    QCOMPARE(form.fileData()->rawPath(), files);
    QCOMPARE(ui::processDirectory(), b.root + "/a");
    QVERIFY(!form.flagChanging());
}

void BrowseDialogTest::confirmingInTheRootSelectsTheRoot() {
    Browsing b;
    test::WindowFixture window(b.root + "/a");
    ui::frmMain& form = *window.form;
    browse(form, confirmIn("/"));
    QCOMPARE(form.TextPath()->text(), QStringLiteral("/"));
    QCOMPARE(form.dirData()->rawPath(), std::string("/"));
}

void BrowseDialogTest::cancellingChangesNothing() {
    Browsing b;
    test::WindowFixture window(b.root + "/a");
    ui::frmMain& form = *window.form;
    form.fileData()->setPath(text(b.root + "/b"));
    QSignalSpy typed(form.TextPath(), &QLineEdit::textChanged);
    QSignalSpy dirMoves(form.dirData(), &ui::DirectoryList::PathChanged);
    QSignalSpy driveMoves(form.driveData(), &ui::DriveList::DriveChanged);
    QVERIFY(::chdir((b.root + "/b/sub").c_str()) == 0);

    QVERIFY(browse(form, cancel).shown);
    QCOMPARE(typed.count(), 0);
    QCOMPARE(dirMoves.count(), 0);
    QCOMPARE(driveMoves.count(), 0);
    QCOMPARE(form.TextPath()->text(), text(b.root + "/a"));
    QCOMPARE(form.fileData()->rawPath(), b.root + "/b");
    QCOMPARE(ui::processDirectory(), b.root + "/a");
}

void BrowseDialogTest::aTypedNameWithADirectoryPartSelectsThatPart() {
    Browsing b;
    test::WindowFixture window(b.root + "/a");
    ui::frmMain& form = *window.form;
    browse(form, confirmIn(b.root, QStringLiteral("b/sub/新しい名前.txt")));
    QCOMPARE(form.TextPath()->text(), text(b.root + "/b/sub"));
    QCOMPARE(form.dirData()->rawPath(), b.root + "/b/sub");

    // An existing file confirms its directory too.
    browse(form, confirmIn(b.root + "/b", QStringLiteral("file.txt")));
    QCOMPARE(form.dirData()->rawPath(), b.root + "/b");

    // A directory part that does not exist reaches the field; the lists cannot take it and stay.
    browse(form, confirmIn(b.root, QStringLiteral("nowhere/x")));
    QCOMPARE(form.TextPath()->text(), text(b.root + "/nowhere"));
    QCOMPARE(form.dirData()->rawPath(), b.root + "/b");
    QVERIFY(!form.flagChanging());
}

void BrowseDialogTest::opensOnThePathFieldTrimmedAndWithoutItsSeparator() {
    Browsing b;
    test::WindowFixture window(b.root + "/a");
    ui::frmMain& form = *window.form;
    form.TextPath()->setText(text("  " + b.root + "/b/  "));
    QCOMPARE(browse(form, cancel).directory, text(b.root + "/b"));

    // Nothing usable to open on: the current directory.
    QVERIFY(::chdir((b.root + "/b/sub").c_str()) == 0);
    form.TextPath()->setText(text(b.root + "/missing"));
    QCOMPARE(browse(form, cancel).directory, text(b.root + "/b/sub"));
    form.TextPath()->clear();
    QVERIFY(::chdir((b.root + "/b/sub").c_str()) == 0);
    QCOMPARE(browse(form, cancel).directory, text(b.root + "/b/sub"));
}

void BrowseDialogTest::aStartDirectoryThatVanishedStillLetsTheChoiceStand() {
    Browsing b;
    b.tree.mkdir("start");
    test::WindowFixture window(b.root + "/start");
    ui::frmMain& form = *window.form;
    QVERIFY(::chdir((b.root + "/b").c_str()) == 0);
    QVERIFY(::rmdir((b.root + "/start").c_str()) == 0);

    browse(form, confirmIn(b.root + "/a"));
    QCOMPARE(form.TextPath()->text(), text(b.root + "/a"));
    QCOMPARE(form.dirData()->rawPath(), b.root + "/a");
    QCOMPARE(ui::processDirectory(), b.root + "/b");
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(form.cmdRefer()->isEnabled());
    QVERIFY(!form.flagChanging());

    // A start directory that was never a path at all (quotes from the command line) behaves the same.
    test::WindowFixture quoted("\"" + b.root + "/a\"");
    browse(*quoted.form, confirmIn(b.root + "/b"));
    QCOMPARE(quoted.form->dirData()->rawPath(), b.root + "/b");
    QCOMPARE(ui::processDirectory(), b.root + "/b");
}

// Regression: going back to a relative start directory from wherever the last return went walks one level
// deeper each time (start, start/start, ...).
void BrowseDialogTest::aRelativeStartDirectoryIsReturnedToEveryTime() {
    Browsing b;
    b.tree.mkdir("start/start");
    QVERIFY(::chdir(b.root.c_str()) == 0);
    test::WindowFixture window("start");
    ui::frmMain& form = *window.form;
    QCOMPARE(form.dirData()->rawPath(), b.root + "/start");
    QVERIFY(::chdir("/") == 0);
    browse(form, cancel);
    QCOMPARE(ui::processDirectory(), b.root + "/start");
    browse(form, cancel);
    QCOMPARE(ui::processDirectory(), b.root + "/start");
}

QTEST_MAIN(BrowseDialogTest)
#include "BrowseDialogTest.moc"
