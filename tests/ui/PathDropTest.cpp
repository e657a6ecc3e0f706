// SPDX-License-Identifier: MIT
// Drops onto the path field, sent as the drag-and-drop events a file manager's drop produces; and that the
// field is no drag source.
#include <optional>

#include <sys/stat.h>

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "WindowFixture.h"
#include "fs/DirectoryListing.h"
#include "support/TempTree.h"
#include "ui/DirectoryList.h"
#include "ui/FileList.h"
#include "ui/PathDrop.h"
#include "ui/PathField.h"

using namespace trelmark;

namespace {

QString text(const std::string& raw) {
    return QString::fromStdString(raw);
}

// A URI list as a file manager puts it on the wire: raw bytes percent-encoded, CRLF after each line.
QByteArray uriList(std::initializer_list<std::string> paths) {
    QByteArray list;
    for (const std::string& path : paths) {
        list += "file://" + QByteArray::fromStdString(path).toPercentEncoding("/") + "\r\n";
    }
    return list;
}

std::unique_ptr<QMimeData> files(std::initializer_list<std::string> paths) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("text/uri-list"), uriList(paths));
    return data;
}

struct Dropped {
    bool entered;
    bool dropped;
    Qt::DropAction action;
};

// A drag that enters the field and is dropped on it.
Dropped drop(ui::PathField& field, const QMimeData& data,
             Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
    const QPoint at = field.rect().center();
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(&field, &enter);
    QDropEvent dropped(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
    dropped.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(&field, &dropped);
    return {enter.isAccepted(), dropped.isAccepted(), dropped.dropAction()};
}

// Some file directly in "/", if the machine has one.
std::optional<std::string> fileInTheRoot() {
    if (const auto root = fs::DirectoryListing::read("/")) {
        for (const std::string& name : root->names(fs::EntryKind::File)) {
            struct stat info {};
            if (::stat(("/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
                return "/" + name;
            }
        }
    }
    return std::nullopt;
}

// The window on a tree with directories a and b, a file in a and a directory whose name is not UTF-8.
struct Dropping {
    Dropping() {
        tree.mkdir("a");
        tree.mkdir("b");
        tree.write("a/file.txt");
        tree.mkdir("caf\xE9");
        root = test::canonical(tree.path());
        window = std::make_unique<test::WindowFixture>(root + "/b");
        filesBefore = form().fileData()->rawPath();
    }
    [[nodiscard]] ui::frmMain& form() const { return *window->form; }
    [[nodiscard]] ui::PathField& field() const { return *form().TextPath(); }

    test::TempTree tree;
    std::string root;
    std::unique_ptr<test::WindowFixture> window;
    std::string filesBefore;
};

}  // namespace

class PathDropTest : public QObject {
    Q_OBJECT

private slots:
    void aDirectorySelectsItselfAndMovesTheLists();
    void aFileSelectsTheDirectoryHoldingIt();
    void onlyTheFirstLocalPathCounts();
    void aFileInTheRootSelectsTheRoot();
    void textAndRemoteUrlsAreRefused();
    void aVanishedEntryChangesNothing();
    void aNameThatIsNotUtf8Survives();
    void aDropIsNeverAMove();
    void aDropOfTheFolderTheFieldAlreadySpellsMovesTheLists();
    void pressingOnTheSelectionAndMovingSelects();
    void aClickOnTheSelectionIsStillAClick();
};

void PathDropTest::aDirectorySelectsItselfAndMovesTheLists() {
    Dropping d;
    const Dropped result = drop(d.field(), *files({d.root + "/a"}));
    QVERIFY(result.entered);
    QVERIFY(result.dropped);
    QCOMPARE(d.field().text(), text(d.root + "/a"));
    QCOMPARE(d.form().dirData()->rawPath(), d.root + "/a");
    QCOMPARE(d.form().fileData()->rawPath(), d.filesBefore);
    QVERIFY(!d.form().flagChanging());

    drop(d.field(), *files({"/"}));
    QCOMPARE(d.field().text(), QStringLiteral("/"));
    QCOMPARE(d.form().dirData()->rawPath(), std::string("/"));
}

void PathDropTest::aFileSelectsTheDirectoryHoldingIt() {
    Dropping d;
    QVERIFY(drop(d.field(), *files({d.root + "/a/file.txt"})).dropped);
    QCOMPARE(d.field().text(), text(d.root + "/a"));
    QCOMPARE(d.form().dirData()->rawPath(), d.root + "/a");
}

void PathDropTest::onlyTheFirstLocalPathCounts() {
    Dropping d;
    drop(d.field(), *files({d.root + "/a/file.txt", d.root + "/b", "/"}));
    QCOMPARE(d.field().text(), text(d.root + "/a"));

    // What is not a local path is no entry of a file list: a remote URL in front is passed over.
    auto mixed = std::make_unique<QMimeData>();
    mixed->setData(QStringLiteral("text/uri-list"),
                   "https://example.org/x\r\nfile://otherhost/tmp\r\n" + uriList({d.root + "/b"}));
    drop(d.field(), *mixed);
    QCOMPARE(d.field().text(), text(d.root + "/b"));
}

void PathDropTest::aFileInTheRootSelectsTheRoot() {
    const auto file = fileInTheRoot();
    if (!file) {
        QSKIP("no file directly in /");
    }
    Dropping d;
    QVERIFY(drop(d.field(), *files({*file})).dropped);
    QCOMPARE(d.field().text(), QStringLiteral("/"));
    QCOMPARE(d.form().dirData()->rawPath(), std::string("/"));
}

void PathDropTest::textAndRemoteUrlsAreRefused() {
    Dropping d;
    QSignalSpy changes(&d.field(), &QLineEdit::textChanged);
    QMimeData plain;
    plain.setText(text(d.root + "/a"));
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.org/a")), QUrl(QStringLiteral("file://host/tmp"))});
    for (const QMimeData* data : {&plain, &remote}) {
        const Dropped result = drop(d.field(), *data);
        QVERIFY(!result.entered);
        QVERIFY(!result.dropped);
    }
    QCOMPARE(changes.count(), 0);
    QCOMPARE(d.field().text(), text(d.root + "/b"));
    QCOMPARE(d.form().dirData()->rawPath(), d.root + "/b");
}

void PathDropTest::aVanishedEntryChangesNothing() {
    Dropping d;
    d.tree.write("a/gone.txt");
    const auto data = files({d.root + "/a/gone.txt"});
    const QPoint at = d.field().rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&d.field(), &enter);
    QVERIFY(enter.isAccepted());
    QVERIFY(::unlink((d.root + "/a/gone.txt").c_str()) == 0);  // between entering and dropping

    QSignalSpy changes(&d.field(), &QLineEdit::textChanged);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&d.field(), &dropped);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(d.form().dirData()->rawPath(), d.root + "/b");
}

void PathDropTest::aNameThatIsNotUtf8Survives() {
    Dropping d;
    const std::string raw = d.root + "/caf\xE9";
    QVERIFY(drop(d.field(), *files({raw})).dropped);
    QCOMPARE(d.field().text(), text(d.root) + QStringLiteral("/caf\\xE9"));
    QCOMPARE(d.form().dirData()->rawPath(), raw);

    // And out again: the URL keeps the byte, and reads back as it was.
    const QUrl url = ui::fileUrl(raw);
    QVERIFY(url.toEncoded().endsWith("/caf%E9"));
    QCOMPARE(ui::localPath(url), std::optional<std::string>(raw));
    QCOMPARE(ui::localPath(QUrl::fromEncoded(url.toEncoded())), std::optional<std::string>(raw));
    QCOMPARE(ui::localPath(ui::fileUrl("/a b/日本語#?%")), std::optional<std::string>("/a b/日本語#?%"));
}

// A source told that its data was moved deletes it: a file manager its files, a line edit its text.
void PathDropTest::aDropIsNeverAMove() {
    Dropping d;
    const auto data = files({d.root + "/a"});
    const Dropped copied = drop(d.field(), *data);
    QCOMPARE(copied.action, Qt::CopyAction);
    QCOMPARE(drop(d.field(), *data, Qt::MoveAction | Qt::LinkAction).action, Qt::LinkAction);

    d.field().setText(text(d.root + "/b"));
    const Dropped moveOnly = drop(d.field(), *data, Qt::MoveAction);
    QVERIFY(!moveOnly.dropped);
    QCOMPARE(d.field().text(), text(d.root + "/b"));
}

void PathDropTest::aDropOfTheFolderTheFieldAlreadySpellsMovesTheLists() {
    Dropping d;
    // Typed before the folder existed: the lists stayed where they were.
    const std::string later = d.root + "/later";
    d.field().setText(text(later));
    QCOMPARE(d.field().text(), text(later));
    QCOMPARE(d.form().dirData()->rawPath(), d.root + "/b");
    QVERIFY(!d.field().namesDirectory());
    QCOMPARE(d.field().toolTip(), ui::PathField::kNoDirectoryToolTip);
    QVERIFY(d.field().palette().color(QPalette::Base) != d.form().palette().color(QPalette::Base));

    d.tree.mkdir("later");
    QSignalSpy changes(&d.field(), &QLineEdit::textChanged);
    QVERIFY(drop(d.field(), *files({later})).dropped);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(d.form().dirData()->rawPath(), later);
    QVERIFY(d.field().namesDirectory());
    QCOMPARE(d.field().toolTip(), ui::PathField::kToolTip);
    QCOMPARE(d.field().palette().color(QPalette::Base), d.form().palette().color(QPalette::Base));
    QVERIFY(!d.form().flagChanging());
}

void PathDropTest::pressingOnTheSelectionAndMovingSelects() {
    Dropping d;
    ui::PathField& field = d.field();
    d.form().show();
    QVERIFY(QTest::qWaitForWindowActive(&d.form()));
    field.setFocus();
    field.selectAll();
    const QPoint from(field.width() / 2, field.height() / 2);
    QVERIFY(field.cursorPositionAt(from) > 0);
    QTest::mousePress(&field, Qt::LeftButton, Qt::NoModifier, from);
    const QPoint to(2, field.height() / 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), field.mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &move);
    QTest::mouseRelease(&field, Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(field.findChildren<QDrag*>().isEmpty());
    QCOMPARE(field.selectionStart(), field.cursorPositionAt(to));
    QCOMPARE(field.selectedText(),
             field.text().mid(field.cursorPositionAt(to),
                              field.cursorPositionAt(from) - field.cursorPositionAt(to)));
    QCOMPARE(field.text(), text(d.root + "/b"));
}

void PathDropTest::aClickOnTheSelectionIsStillAClick() {
    Dropping d;
    ui::PathField& field = d.field();
    d.form().show();
    QVERIFY(QTest::qWaitForWindowActive(&d.form()));
    field.setFocus();
    field.selectAll();
    const QPoint at(field.width() / 4, field.height() / 2);
    const int position = field.cursorPositionAt(at);
    QVERIFY(position > 0 && position < field.text().size());
    QTest::mouseClick(&field, Qt::LeftButton, Qt::NoModifier, at);
    QVERIFY(!field.hasSelectedText());
    QCOMPARE(field.cursorPosition(), position);
    QVERIFY(field.findChildren<QDrag*>().isEmpty());
}

QTEST_MAIN(PathDropTest)
#include "PathDropTest.moc"
