// SPDX-License-Identifier: MIT
#include <QComboBox>
#include <QTest>

#include "WindowFixture.h"
#include "support/SlowMount.h"
#include "support/TempTree.h"
#include "ui/DriveList.h"

namespace trelmark {

// The window beside a FUSE server that never answers. Where FUSE is missing the case says why and is
// skipped.
class DeadMountWindowTest : public QObject {
    Q_OBJECT

private slots:
    void opensAndOffersTheDeadMountWithoutWaitingForIt();
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

}  // namespace trelmark

QTEST_MAIN(trelmark::DeadMountWindowTest)
#include "DeadMountWindowTest.moc"
