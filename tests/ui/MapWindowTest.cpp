// SPDX-License-Identifier: MIT
// The map window driven through real events: hover describes a block, a click announces its directory, a
// double-click zooms and Backspace goes back; a resize shows only the newest layout; frmMain opens the map
// of its last survey with Ctrl+M and says so when there is none.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "support/TempTree.h"
#include "survey/MapTree.h"
#include "ui/DirectoryList.h"
#include "ui/GridModel.h"
#include "ui/MapView.h"
#include "ui/MapWindow.h"
#include "util/Version.h"

using namespace trelmark;
using Kind = survey::TreemapLayout::Kind;

namespace {

// /top: 1,000 bytes of its own; "big" (1,234,567 bytes, one child), a name that is not UTF-8 (500,000).
std::shared_ptr<const survey::MapTree> sampleTree() {
    auto tree = std::make_shared<survey::MapTree>("/top");
    tree->add(survey::MapTree::kNone, "top", 1000, 1000 + 1'234'567 + 500'000);
    tree->add(0, "big", 234'567, 1'234'567);
    tree->add(0, "odd\xff", 500'000, 500'000);
    tree->add(1, "inner", 1'000'000, 1'000'000);
    return tree;
}

bool waitForPicture(ui::MapView* view) {
    return QTest::qWaitFor([view] { return view->current() && !view->picture().image.isNull(); }, 5000);
}

QPoint centreOf(const ui::MapView* view, std::uint32_t node, Kind kind) {
    for (const auto& tile : view->picture().tiles) {
        if (tile.node == node && tile.kind == kind) {
            if (kind == Kind::Directory && !view->picture().tiles.empty()) {
                // A directory's own area is its frame and label strip: point just inside its corner.
                return QPoint(static_cast<int>(tile.rect.x) + 1, static_cast<int>(tile.rect.y) + 1);
            }
            return QPointF(tile.rect.x + tile.rect.width / 2, tile.rect.y + tile.rect.height / 2).toPoint();
        }
    }
    return {-1, -1};
}

// Answers the next message box with OK and keeps its text and its title.
void answerMessage(QString& text, QString* title = nullptr) {
    QTimer::singleShot(0, [&text, title] {
        static_cast<void>(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000));
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            if (title != nullptr) {
                *title = box->windowTitle();
            }
            box->accept();
        }
    });
}

}  // namespace

class MapWindowTest : public QObject {
    Q_OBJECT

private slots:
    void hoverClickZoomAndBackThroughEvents();
    void aResizeShowsTheNewestLayoutOnly();
    void ctrlMOpensTheLastSurveyAndSaysWhenThereIsNone();
};

void MapWindowTest::hoverClickZoomAndBackThroughEvents() {
    ui::MapWindow window(sampleTree(), QTime(12, 34, 56));
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(640, 480);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::MapView* view = window.view();
    QVERIFY(waitForPicture(view));
    QVERIFY(window.windowTitle().contains(QStringLiteral("12:34:56")));

    QTest::mouseMove(view, centreOf(view, 1, Kind::OwnFiles));
    QCOMPARE(window.hoverLabel()->text(),
             QStringLiteral(
                 "/top/big のファイル\nサイズ: 234,567 バイト (234.6 kB)    調査したディレクトリの 13.52 %"));
    QTest::mouseMove(view, centreOf(view, 3, Kind::Directory));
    QVERIFY(window.hoverLabel()->text().startsWith(
        QStringLiteral("/top/big/inner\nサイズ: 1,000,000 バイト (1.0 MB)")));

    QSignalSpy activated(&window, &ui::MapWindow::directoryActivated);
    QTest::mouseClick(view, Qt::LeftButton, {}, centreOf(view, 2, Kind::OwnFiles));
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.at(0).at(0).toByteArray(), QByteArray("/top/odd\xff"));
    QCOMPARE(activated.at(0).at(1).value<std::uint32_t>(), 2U);

    QVERIFY(!window.upButton()->isEnabled());
    QTest::mouseDClick(view, Qt::LeftButton, {}, centreOf(view, 1, Kind::Directory));
    QCOMPARE(view->root(), 1U);
    QVERIFY(waitForPicture(view));
    QCOMPARE(view->picture().root, 1U);
    QVERIFY(window.upButton()->isEnabled());
    QCOMPARE(window.pathLabel()->text(), QStringLiteral("/top/big"));
    // Inside the zoom, "inner" fills 1,000,000 / 1,234,567 of the map.
    const auto& tiles = view->picture().tiles;
    const auto inner = std::find_if(tiles.begin(), tiles.end(), [](const auto& t) { return t.node == 3; });
    QVERIFY(inner != tiles.end());
    QVERIFY(inner->rect.width * inner->rect.height > 0.6 * view->width() * view->height());

    view->setFocus();
    QTest::keyClick(view, Qt::Key_Backspace);
    QCOMPARE(view->root(), 0U);
    QVERIFY(!window.upButton()->isEnabled());
    QTest::keyClick(view, Qt::Key_Backspace);
    QCOMPARE(view->root(), 0U);
}

void MapWindowTest::aResizeShowsTheNewestLayoutOnly() {
    ui::MapWindow window(sampleTree(), QTime(1, 2, 3));
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(400, 300);
    window.show();
    QVERIFY(waitForPicture(window.view()));
    QSignalSpy shown(window.view(), &ui::MapView::pictureShown);
    for (int width = 500; width <= 900; width += 100) {
        window.resize(width, 600);
        QCoreApplication::processEvents();
    }
    QVERIFY(QTest::qWaitFor([&] { return window.view()->current(); }, 5000));
    QCOMPARE(window.view()->picture().size, window.view()->size());
    QVERIFY(shown.count() <= 2);
}

void MapWindowTest::ctrlMOpensTheLastSurveyAndSaysWhenThereIsNone() {
    test::TempTree tree;
    tree.sparse("a/f", 3000);
    tree.sparse("a/b/g", 5000);
    tree.sparse("h", 700);
    test::WindowFixture fixture(test::canonical(tree.path()));
    ui::frmMain& form = *fixture.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QString message;
    QString title;
    answerMessage(message, &title);
    QTest::keyClick(&form, Qt::Key_M, Qt::ControlModifier);
    QVERIFY(message.contains(QStringLiteral("調査がまだありません")));
    // Titled like the window's one message box: the program's title, not the version caption.
    QCOMPARE(title, QString::fromUtf8(util::kProgramTitle));
    QCOMPARE(form.mapWindow(), nullptr);

    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.cmdMain(1)->click();
    QTest::keyClick(&form, Qt::Key_M, Qt::ControlModifier);
    ui::MapWindow* map = form.mapWindow();
    QVERIFY(map != nullptr);
    const survey::MapTree& walked = map->view()->tree();
    QCOMPARE(walked.size(), 3U);
    QCOMPARE(walked.node(0).totalBytes, 8700U);
    QCOMPARE(walked.node(0).ownBytes, 700U);
    QVERIFY(waitForPicture(map->view()));
    QSignalSpy activated(&form, &ui::frmMain::mapDirectoryActivated);
    QTest::mouseClick(map->view(), Qt::LeftButton, {}, centreOf(map->view(), 2, Kind::OwnFiles));
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.at(0).at(0).toByteArray(), QByteArray::fromStdString(test::canonical(tree / "a/b")));
    // The click drills the grid down to that directory, from the walk.
    QCOMPARE(form.dirData()->rawPath(), test::canonical(tree / "a/b"));
    QCOMPARE(form.gridModel()->text(0, 1), QStringLiteral("5,000"));

    // The map holds the walk only until the next check, which walks afresh (here a/b, where the grid is).
    tree.sparse("a/b/new", 1'000'000);
    form.cmdMain(1)->click();
    form.openMap();
    QVERIFY(form.mapWindow() != nullptr);
    QVERIFY(form.mapWindow() != map);
    QCOMPARE(form.mapWindow()->view()->tree().node(0).totalBytes, 1'005'000U);

    // Closing the main window closes the map too, or the program would go on running for it.
    QPointer<ui::MapWindow> last = form.mapWindow();
    QVERIFY(last->isVisible());
    form.close();
    QVERIFY(last.isNull() || !last->isVisible());
}

QTEST_MAIN(MapWindowTest)
#include "MapWindowTest.moc"
