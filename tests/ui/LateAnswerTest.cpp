// SPDX-License-Identifier: MIT
// The window's path controls when the file system answers after their deadline: each shows that it waits,
// stays usable, and fills in when the answer comes, unless the user moved on meanwhile.
#include <QApplication>
#include <QElapsedTimer>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include "GatedLookups.h"
#include "WindowFixture.h"
#include "support/TempTree.h"
#include "ui/LateAnswers.h"
#include "ui/NameListModel.h"

using namespace trelmark;

namespace {

QString text(const std::string& raw) {
    return QString::fromStdString(raw);
}

QStringList rows(const QAbstractItemView& list) {
    QStringList names;
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        names << list.model()->index(row, 0).data().toString();
    }
    return names;
}

const QString kWaitingRow = QString::fromUtf8(ui::kNoAnswer);

// A window on `a`, beside `slow`, whose questions wait at the gate until the test opens it. Opened at the
// end in any case, so that no worker is left waiting behind the test.
struct SlowShare {
    SlowShare() {
        tree.mkdir("a/in-a");
        tree.mkdir("slow/x");
        tree.mkdir("slow/y");
        tree.write("slow/file.txt");
        tree.write("a/file-in-a.txt");
        root = test::canonical(tree.path());
        window = std::make_unique<test::WindowFixture>(root + "/a");
        lookups = test::GatedLookups::install(form(), root + "/slow");
    }
    ~SlowShare() { lookups->gate().open(); }
    [[nodiscard]] ui::frmMain& form() const { return *window->form; }

    test::TempTree tree;
    std::string root;
    std::unique_ptr<test::WindowFixture> window;
    std::shared_ptr<test::GatedLookups> lookups;
};

}  // namespace

class LateAnswerTest : public QObject {
    Q_OBJECT

private slots:
    void typingAPathOnASlowShareMovesTheListsWhichFillInLater();
    void theDirectoryListStaysUsableWhileItWaits();
    void theDirectoryListDropsAStaleAnswerAndGoesBackOnALateRefusal();
    void theFileListWaitsAndFillsIn();
    void thePathFieldSaysItWaitsAndTintsWhenTheAnswerComes();
    void aLateDropFillsInUnlessTypedOver();
    void closingTheWindowWhileAListWaitsHidesItAtOnce();
};

// The same order of change handling as in time: the text moves the directory and drive lists, which raise
// their notifications inside the guard, and leaves the file list; the answer then only fills in.
void LateAnswerTest::typingAPathOnASlowShareMovesTheListsWhichFillInLater() {
    SlowShare s;
    ui::frmMain& form = s.form();
    ui::DirectoryList& list = *form.dirData();
    const std::string filesBefore = form.fileData()->rawPath();
    QSignalSpy moves(&list, &ui::DirectoryList::PathChanged);
    QElapsedTimer waited;
    waited.start();
    form.TextPath()->setText(text(s.root + "/slow"));
    QVERIFY2(waited.elapsed() < 1000, "one deadline, not one per question");
    QVERIFY(!form.flagChanging());
    QVERIFY(list.waiting());
    QCOMPARE(list.rawPath(), s.root + "/slow");
    QCOMPARE(rows(list).last(), kWaitingRow);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(form.TextPath()->text(), text(s.root + "/slow"));
    QCOMPARE(form.fileData()->rawPath(), filesBefore);
    QVERIFY(form.TextPath()->waiting());

    s.lookups->gate().open();
    QTRY_VERIFY(!list.waiting());
    QCOMPARE(list.rawPath(), s.root + "/slow");
    QCOMPARE(rows(list).mid(rows(list).size() - 2), (QStringList{"x", "y"}));
    QTRY_VERIFY(!form.TextPath()->waiting());
    QVERIFY(form.TextPath()->namesDirectory());
    QCOMPARE(form.TextPath()->text(), text(s.root + "/slow"));
    QCOMPARE(form.fileData()->rawPath(), filesBefore);
    QCOMPARE(moves.count(), 1);
}

// Opening rows while one waits: the list answers at once for a directory that answers, and the window
// follows each opening as in time.
void LateAnswerTest::theDirectoryListStaysUsableWhileItWaits() {
    SlowShare s;
    ui::DirectoryList& list = *s.form().dirData();
    list.setPath(text(s.root + "/slow"));
    QVERIFY(list.waiting());
    QCOMPARE(s.form().TextPath()->text(), text(s.root + "/slow"));
    QVERIFY(s.form().fileData()->waiting());
    list.setCurrentIndex(list.model()->index(rows(list).indexOf(kWaitingRow), 0));
    QTest::keyClick(&list, Qt::Key_Return);  // the waiting row opens nothing
    QCOMPARE(list.rawPath(), s.root + "/slow");
    list.setCurrentIndex(list.model()->index(rows(list).indexOf(QStringLiteral("slow")) - 1, 0));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.rawPath(), s.root);  // the parent of slow, opened
    QVERIFY(!list.waiting());
    QCOMPARE(s.form().TextPath()->text(), text(s.root));
    s.lookups->gate().open();
    QTRY_VERIFY(!s.form().fileData()->waiting());
    QCOMPARE(list.rawPath(), s.root);
}

void LateAnswerTest::theDirectoryListDropsAStaleAnswerAndGoesBackOnALateRefusal() {
    SlowShare s;
    ui::DirectoryList& list = *s.form().dirData();
    list.setPath(text(s.root + "/slow/x"));
    QVERIFY(list.waiting());
    list.setPath(text(s.root + "/a"));  // the user moved on
    QVERIFY(s.lookups->gate().awaitHeld(1));
    s.lookups->gate().open();
    QTest::qWait(100);
    QCOMPARE(list.rawPath(), s.root + "/a");
    QCOMPARE(rows(list).last(), QStringLiteral("in-a"));

    SlowShare again;
    ui::DirectoryList& other = *again.form().dirData();
    const QStringList before = rows(other);
    QSignalSpy moves(&other, &ui::DirectoryList::PathChanged);
    QVERIFY(other.assignPath(text(again.root + "/slow/missing")));  // taken while unknown
    QCOMPARE(other.rawPath(), again.root + "/slow/missing");
    again.lookups->gate().open();
    QTRY_VERIFY(!other.waiting());
    QCOMPARE(other.rawPath(), again.root + "/a");
    QCOMPARE(rows(other), before);
    QCOMPARE(moves.count(), 1);  // there; back unannounced, as a refusal in time never moved
    QCOMPARE(again.form().TextPath()->text(), text(again.root + "/slow/missing"));
}

void LateAnswerTest::theFileListWaitsAndFillsIn() {
    SlowShare s;
    ui::FileList& files = *s.form().fileData();
    QSignalSpy moves(&files, &ui::FileList::PathChanged);
    QVERIFY(files.assignPath(text(s.root + "/slow")));
    QVERIFY(files.waiting());
    QCOMPARE(rows(files), QStringList{kWaitingRow});
    QCOMPARE(moves.count(), 1);
    s.lookups->gate().open();
    QTRY_VERIFY(!files.waiting());
    QCOMPARE(rows(files), QStringList{"file.txt"});
    QCOMPARE(files.rawPath(), s.root + "/slow");
    QCOMPARE(moves.count(), 1);

    SlowShare refused;
    ui::FileList& list = *refused.form().fileData();
    const std::string before = list.rawPath();
    const QStringList beforeRows = rows(list);
    QVERIFY(list.assignPath(text(refused.root + "/slow/file.txt")));
    refused.lookups->gate().open();
    QTRY_VERIFY(!list.waiting());
    QCOMPARE(list.rawPath(), before);
    QCOMPARE(rows(list), beforeRows);
}

void LateAnswerTest::thePathFieldSaysItWaitsAndTintsWhenTheAnswerComes() {
    SlowShare s;
    ui::PathField& field = *s.form().TextPath();
    field.setText(text(s.root + "/slow/nothing-here"));
    QVERIFY(field.waiting());
    QVERIFY(field.namesDirectory());  // not tinted while nothing is known
    QCOMPARE(field.toolTip(), ui::PathField::kWaitingToolTip);
    QVERIFY(field.toolTip().contains(kWaitingRow));
    s.lookups->gate().open();
    QTRY_VERIFY(!field.waiting());
    QVERIFY(!field.namesDirectory());
    QCOMPARE(field.toolTip(), ui::PathField::kNoDirectoryToolTip);

    // An answer about a text typed over meanwhile is stale.
    SlowShare typed;
    ui::PathField& other = *typed.form().TextPath();
    other.setText(text(typed.root + "/slow/nothing-here"));
    QVERIFY(other.waiting());
    other.setText(text(typed.root + "/a"));
    QVERIFY(!other.waiting());
    typed.lookups->gate().open();
    QTest::qWait(100);
    QVERIFY(other.namesDirectory());
    QCOMPARE(other.toolTip(), ui::PathField::kToolTip);
}

namespace {

void dropFile(ui::PathField& field, const std::string& path) {
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"),
                 "file://" + QByteArray::fromStdString(path).toPercentEncoding("/") + "\r\n");
    const QPoint at = field.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &dropped);
}

}  // namespace

void LateAnswerTest::aLateDropFillsInUnlessTypedOver() {
    SlowShare s;
    ui::PathField& field = *s.form().TextPath();
    const QString before = field.text();
    dropFile(field, s.root + "/slow/file.txt");
    QCOMPARE(field.text(), before);
    QVERIFY(field.waiting());
    s.lookups->gate().open();
    QTRY_COMPARE(field.text(), text(s.root + "/slow"));
    QCOMPARE(s.form().dirData()->rawPath(), s.root + "/slow");
    QVERIFY(!s.form().flagChanging());

    SlowShare typed;
    ui::PathField& other = *typed.form().TextPath();
    dropFile(other, typed.root + "/slow/file.txt");
    other.setText(text(typed.root + "/a"));
    typed.lookups->gate().open();
    QTest::qWait(100);
    QCOMPARE(other.text(), text(typed.root + "/a"));
}

// The window's destruction waits for no worker: the one held at the gate finds the mailbox closed.
void LateAnswerTest::closingTheWindowWhileAListWaitsHidesItAtOnce() {
    SlowShare s;
    s.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.form()));
    s.form().dirData()->setPath(text(s.root + "/slow"));
    QVERIFY(s.form().dirData()->waiting());
    QElapsedTimer closing;
    closing.start();
    s.form().close();
    QVERIFY(!s.form().isVisible());
    s.window.reset();
    QVERIFY(closing.elapsed() < 100);
    QVERIFY(s.lookups->gate().held() >= 1);
    s.lookups->gate().open();
    QTest::qWait(100);  // the late answers arrive to nobody
}

QTEST_MAIN(LateAnswerTest)
#include "LateAnswerTest.moc"
