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
#include <QTest>

#include "WindowFixture.h"
#include "support/SlowMount.h"
#include "support/TempTree.h"
#include "ui/DirectoryList.h"
#include "ui/DriveList.h"
#include "ui/LateAnswers.h"

namespace trelmark {

// The window beside a FUSE server that never answers. Where FUSE is missing the case says why and is
// skipped.
class DeadMountWindowTest : public QObject {
    Q_OBJECT

private slots:
    void opensAndOffersTheDeadMountWithoutWaitingForIt();
    void opensBesideAHeldLookupAndAnswersAClick();
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

}  // namespace trelmark

QTEST_MAIN(trelmark::DeadMountWindowTest)
#include "DeadMountWindowTest.moc"
