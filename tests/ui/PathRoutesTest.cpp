// SPDX-License-Identifier: MIT
// How the path field and the three lists follow each other, by the way the directory is chosen, and what
// the window does with a value a list cannot take.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "WindowFixture.h"
#include "support/TempTree.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/NameListModel.h"
#include "ui/PathField.h"
#include "ui/PathResolution.h"

using namespace trelmark;

namespace {

// Two drives inside a temporary tree: "a" holds a/one and a/one/two, "b" is mounted at a/one/b-mount,
// inside drive a (as /home sits inside /), and holds b-mount/deep.
struct Drives {
    Drives() {
        tree.mkdir("a/one/two");
        tree.mkdir("a/one/b-mount/deep");
        tree.write("a/one/file-in-one");
        tree.write("a/one/b-mount/file-in-b");
        a = test::canonical(tree / "a");
        b = a + "/one/b-mount";
    }
    [[nodiscard]] std::vector<fs::MountedDrive> list() const {
        return {{a, "/dev/a", "", "ext4"}, {b, "/dev/b", "Bee", "ext4"}};
    }
    test::TempTree tree;
    std::string a;
    std::string b;
};

QString text(const std::string& raw) {
    return QString::fromStdString(raw);
}

int rowOf(const ui::DirectoryList& list, const QString& name) {
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        if (list.model()->index(row, 0).data().toString() == name) {
            return row;
        }
    }
    return -1;
}

}  // namespace

class PathRoutesTest : public QObject {
    Q_OBJECT

private slots:
    void typingMovesDirectoryAndDriveListsButNotTheFileList();
    void openingADirectoryMovesFieldAndFileListButNotTheDriveList();
    void pickingADriveOpensItsCurrentDirectory();
    void aListThatCannotTakeAValueStaysAsItWas();
    void notificationsOnlyWhenTheValueMoves();
    void directoryListShowsAncestorsThenSubdirectories();
    void namesThatAreNotUtf8AreShownEscapedAndOpen();
    void gainingFocusSelectsTheWholeText();
};

void PathRoutesTest::typingMovesDirectoryAndDriveListsButNotTheFileList() {
    Drives drives;
    test::WindowFixture window(drives.a, "/", drives.list());
    ui::frmMain& form = *window.form;
    const std::string filesBefore = form.fileData()->rawPath();
    form.TextPath()->setFocus();
    form.TextPath()->selectAll();
    QTest::keyClicks(form.TextPath(), text(drives.b + "/deep"));
    QCOMPARE(form.dirData()->rawPath(), drives.b + "/deep");
    QCOMPARE(form.driveData()->currentIndex(), 1);
    QCOMPARE(form.fileData()->rawPath(), filesBefore);
    QCOMPARE(form.TextPath()->text(), text(drives.b + "/deep"));
    QVERIFY(!form.flagChanging());
}

void PathRoutesTest::openingADirectoryMovesFieldAndFileListButNotTheDriveList() {
    Drives drives;
    test::WindowFixture window(drives.a + "/one", "/", drives.list());
    ui::frmMain& form = *window.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    ui::DirectoryList& list = *form.dirData();
    QCOMPARE(form.driveData()->currentIndex(), 0);

    // Double-click on a sub-directory that is drive b's mount point: the drive list does not follow.
    const QRect row = list.visualRect(list.model()->index(rowOf(list, "b-mount"), 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(list.rawPath(), drives.a + "/one");  // a single click only selects
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(list.rawPath(), drives.b);
    QCOMPARE(form.TextPath()->text(), text(drives.b));
    QCOMPARE(form.fileData()->rawPath(), drives.b);
    QCOMPARE(form.driveData()->currentIndex(), 0);

    // Enter on an ancestor opens it too.
    list.setCurrentIndex(list.model()->index(rowOf(list, "one"), 0));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.rawPath(), drives.a + "/one");
    QCOMPARE(form.TextPath()->text(), text(drives.a + "/one"));
    QVERIFY(!form.flagChanging());
}

void PathRoutesTest::pickingADriveOpensItsCurrentDirectory() {
    Drives drives;
    test::WindowFixture window(drives.a + "/one/two", "/", drives.list());
    ui::frmMain& form = *window.form;
    QCOMPARE(form.driveData()->itemText(1), text(drives.b + "  [Bee]"));

    // Never visited: drive b opens at its mount point; the field shows the full path, not the drive's text.
    form.driveData()->setCurrentIndex(1);
    QCOMPARE(form.dirData()->rawPath(), drives.b);
    QCOMPARE(form.TextPath()->text(), text(drives.b));
    QCOMPARE(form.fileData()->rawPath(), drives.b);
    form.dirData()->setPath(text(drives.b + "/deep"));

    // Back to drive a: where the lists last were on it.
    form.driveData()->setCurrentIndex(0);
    QCOMPARE(form.dirData()->rawPath(), drives.a + "/one/two");
    QCOMPARE(form.TextPath()->text(), text(drives.a + "/one/two"));
    QCOMPARE(form.fileData()->rawPath(), drives.a + "/one/two");
    form.driveData()->setCurrentIndex(1);
    QCOMPARE(form.dirData()->rawPath(), drives.b + "/deep");

    // A remembered directory that vanished gives way to the mount point.
    drives.tree.removeAll(drives.b + "/deep");
    QVERIFY(::rmdir((drives.b + "/deep").c_str()) == 0);
    form.driveData()->setCurrentIndex(0);
    form.driveData()->setCurrentIndex(1);
    QCOMPARE(form.dirData()->rawPath(), drives.b);
    QVERIFY(!form.flagChanging());
}

void PathRoutesTest::aListThatCannotTakeAValueStaysAsItWas() {
    Drives drives;
    test::WindowFixture window(drives.a + "/one", "/", drives.list());
    ui::frmMain& form = *window.form;
    form.fileData()->setPath(text(drives.a));
    QSignalSpy dirMoves(form.dirData(), &ui::DirectoryList::PathChanged);
    QSignalSpy driveMoves(form.driveData(), &ui::DriveList::DriveChanged);

    // A path half typed, a file, a name with a blank typed after it: nothing moves, nothing is shown.
    for (const std::string& typed :
         {drives.a + "/on", drives.a + "/one/file-in-one", drives.a + "/one ", std::string()}) {
        form.TextPath()->setText(text(typed));
        QCOMPARE(form.dirData()->rawPath(), drives.a + "/one");
        QCOMPARE(form.fileData()->rawPath(), drives.a);
        QVERIFY(!form.flagChanging());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
    QCOMPARE(dirMoves.count(), 0);
    QCOMPARE(driveMoves.count(), 0);

    // A directory that vanished under the list.
    drives.tree.mkdir("a/one/gone");
    QVERIFY(::rmdir((drives.a + "/one/gone").c_str()) == 0);
    QVERIFY(!form.dirData()->assignPath(text(drives.a + "/one/gone")));
    QVERIFY(!form.fileData()->assignPath(text(drives.a + "/one/gone")));
    QCOMPARE(form.dirData()->rawPath(), drives.a + "/one");

    // A drive whose directory and mount point are both gone: the drive list returns to the lists' drive.
    drives.tree.removeAll(drives.b);
    QVERIFY(::rmdir(drives.b.c_str()) == 0);
    form.driveData()->setCurrentIndex(1);
    QCOMPARE(form.driveData()->currentIndex(), 0);
    QCOMPARE(form.dirData()->rawPath(), drives.a + "/one");
    QCOMPARE(form.TextPath()->text(), text(drives.a + "/one"));
    QVERIFY(!form.flagChanging());
}

void PathRoutesTest::notificationsOnlyWhenTheValueMoves() {
    Drives drives;
    test::WindowFixture window(drives.a, "/", drives.list());
    ui::frmMain& form = *window.form;
    QSignalSpy dirMoves(form.dirData(), &ui::DirectoryList::PathChanged);
    QSignalSpy driveMoves(form.driveData(), &ui::DriveList::DriveChanged);

    // Raised before the assignment returns, once, and not again for the same value in another spelling.
    form.dirData()->setPath(text(drives.a + "/one"));
    QCOMPARE(dirMoves.count(), 1);
    form.dirData()->setPath(text(drives.a + "//one/./"));
    form.dirData()->setPath(text(drives.a + "/one/two/.."));
    QCOMPARE(dirMoves.count(), 1);
    QSignalSpy fileMoves(form.fileData(), &ui::FileList::PathChanged);
    form.fileData()->setPath(text(drives.b));
    form.fileData()->setPath(text(drives.b + "/"));
    QCOMPARE(fileMoves.count(), 1);
    form.driveData()->setDrive(text(drives.b + "/deep/not-yet-there"));
    form.driveData()->setDrive(text(drives.b));
    form.driveData()->setDrive(form.driveData()->itemText(1));
    QCOMPARE(driveMoves.count(), 1);
    QCOMPARE(form.driveData()->Drive(), text(drives.b + "  [Bee]"));
}

void PathRoutesTest::directoryListShowsAncestorsThenSubdirectories() {
    Drives drives;
    test::WindowFixture window(drives.a + "/one", "/", drives.list());
    const ui::DirectoryList& list = *window.form->dirData();
    const QAbstractItemModel& model = *list.model();
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("/"));
    const int current = rowOf(list, "one");
    QCOMPARE(list.currentIndex().row(), current);
    QCOMPARE(model.index(current - 1, 0).data().toString(), QStringLiteral("a"));
    QCOMPARE(model.rowCount(), current + 3);
    QCOMPARE(model.index(current + 1, 0).data().toString(), QStringLiteral("b-mount"));
    QCOMPARE(model.index(current + 2, 0).data().toString(), QStringLiteral("two"));
    // Ancestors step in by one level each; sub-directories sit one level below the current directory.
    QCOMPARE(model.index(current, 0).data(ui::NameListModel::LevelRole).toInt(), current);
    QCOMPARE(model.index(current + 2, 0).data(ui::NameListModel::LevelRole).toInt(), current + 1);
}

void PathRoutesTest::namesThatAreNotUtf8AreShownEscapedAndOpen() {
    Drives drives;
    drives.tree.mkdir("a/caf\xe9");
    drives.tree.write("a/caf\xe9/\xff.txt");
    test::WindowFixture window(drives.a, "/", drives.list());
    ui::frmMain& form = *window.form;
    ui::DirectoryList& list = *form.dirData();
    const int row = rowOf(list, QStringLiteral("caf\\xE9"));
    QVERIFY(row > 0);
    list.setCurrentIndex(list.model()->index(row, 0));
    QTest::keyClick(&list, Qt::Key_Enter);
    QCOMPARE(list.rawPath(), drives.a + "/caf\xe9");
    QCOMPARE(form.TextPath()->text(), text(drives.a) + QStringLiteral("/caf\\xE9"));
    QCOMPARE(form.fileData()->model()->index(0, 0).data().toString(), QStringLiteral("\\xFF.txt"));
    // And typed back in its escaped form, it reaches the same directory.
    form.dirData()->setPath(text(drives.a));
    form.TextPath()->setText(text(drives.a) + QStringLiteral("/caf\\xe9"));
    QCOMPARE(list.rawPath(), drives.a + "/caf\xe9");
}

void PathRoutesTest::gainingFocusSelectsTheWholeText() {
    test::WindowFixture window("/");
    ui::frmMain& form = *window.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.TextPath()->setText(QStringLiteral("/usr/ローカル"));
    form.TextPath()->setCursorPosition(3);
    form.TextPath()->setFocus(Qt::OtherFocusReason);
    QCOMPARE(form.TextPath()->selectionStart(), 0);
    QCOMPARE(form.TextPath()->selectedText(), QStringLiteral("/usr/ローカル"));

    form.driveData()->setFocus();
    form.TextPath()->clear();
    form.TextPath()->setFocus(Qt::MouseFocusReason);
    QVERIFY(!form.TextPath()->hasSelectedText());
    QCOMPARE(form.TextPath()->cursorPosition(), 0);
}

QTEST_MAIN(PathRoutesTest)
#include "PathRoutesTest.moc"
