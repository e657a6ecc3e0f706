// SPDX-License-Identifier: MIT
// Saves a picture of the window after a survey, for the README and docs/, and times a drill-down:
//   trelmark-screenshot DIR OUT.png [count] [dark] [screen] [--drill] [--sort] [--menu] [--time N]
// "count" ticks the count option, "dark" gives the application a dark palette, "screen" saves the whole
// screen (to see where the window was placed) instead of the window alone; QT_SCALE_FACTOR scales it as a
// desktop would.
// --drill opens the largest sub-directory's row with a double-click, --sort clicks the size header (largest
// first), --menu opens the context menu of the first sub-directory's row; --time N drills down into the
// largest sub-directory and back up N times and prints how long each double-click took until its rows were
// on show. --stop MS presses "中止" MS milliseconds into the survey: the picture shows what the stop kept.
// --open FILE shows the survey file FILE instead of surveying DIR, as "調査を開く..." does.
// --compare OLD opens the survey file (or export) OLD in compare mode before the survey: the picture shows
// the change column.
// Run it under a real X server (script/screenshot uses Xvfb) to see what a user sees.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "DarkPalette.h"
#include "fs/LinuxFileSystem.h"
#include "survey/SurveyEngine.h"
#include "ui/CompareMode.h"
#include "ui/DirectoryList.h"
#include "ui/GridExplorer.h"
#include "ui/GridModel.h"
#include "ui/GridSortModel.h"
#include "ui/KeptSurveys.h"
#include "ui/frmMain.h"

namespace {

using namespace trelmark;

// The view row of the largest sub-directory, or -1.
int largestSubDirectory(const ui::frmMain& window) {
    const ui::GridSortModel& order = window.gridExplorer()->sortModel();
    int best = -1;
    std::uint64_t bestBytes = 0;
    for (int row = 0; row < order.rowCount(); ++row) {
        const survey::SurveyRow* figures = window.gridModel()->figures(order.surveyRow(row));
        if (figures != nullptr && figures->kind == survey::RowKind::SubDirectory && figures->bytes &&
            (best < 0 || figures->bytes->value > bestBytes)) {
            best = row;
            bestBytes = figures->bytes->value;
        }
    }
    return best;
}

void doubleClickRow(QTableView& grid, int row) {
    grid.scrollTo(grid.model()->index(row, 0));
    const QRect cell = grid.visualRect(grid.model()->index(row, 0));
    // A double-click as a mouse makes it: a click, then the second press that the system reports as double.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
}

double timedDrillDown(ui::frmMain& window, int rounds) {
    QTableView& grid = *window.gridList();
    std::vector<double> times;
    std::vector<double> gridTimes;
    std::vector<double> upTimes;
    for (int round = 0; round < rounds; ++round) {
        const int row = largestSubDirectory(window);
        if (row < 0) {
            break;
        }
        QElapsedTimer timer;
        timer.start();
        doubleClickRow(grid, row);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (std::getenv("TRELMARK_DEBUG")) {
            std::printf("%s rows %d\n", window.dirData()->rawPath().c_str(), grid.model()->rowCount());
        }
        // The grid's part alone: the same directory again from memory, without the path controls.
        timer.restart();
        window.engine().revisit(window.dirData()->rawPath(), {window.checkFiles()->isChecked()});
        gridTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        QTest::keyClick(&grid, Qt::Key_Backspace);
        upTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::sort(gridTimes.begin(), gridTimes.end());
    std::sort(upTimes.begin(), upTimes.end());
    if (times.empty()) {
        std::fprintf(stderr, "no sub-directory to drill into\n");
        return -1;
    }
    std::printf(
        "drill-down: %zu rounds, median %.1f ms, max %.1f ms (grid alone: median %.1f ms, max %.1f ms)\n",
        times.size(), times[times.size() / 2], times.back(), gridTimes[gridTimes.size() / 2],
        gridTimes.back());
    std::printf("back up (Backspace): median %.1f ms, max %.1f ms\n", upTimes[upTimes.size() / 2],
                upTimes.back());
    return times.back();
}

// Also draws the window as it stands during the run, at the yield after the largest figure so far has been
// written ("OUT-during.png"): the picture of figures that must be whole before the run ends.
void grabDuringTheRun(ui::frmMain& window, const QString& out) {
    auto widest = std::make_shared<qsizetype>(0);
    QObject::connect(
        window.gridModel(), &QAbstractItemModel::dataChanged, &window,
        [&window, out, widest](const QModelIndex& from) {
            const QString text = window.gridModel()->text(from.row(), from.column());
            if (from.column() == 0 || text.size() <= *widest || !window.engine().running()) {
                return;
            }
            *widest = text.size();
            QString path = out;
            path.replace(QStringLiteral(".png"), QStringLiteral("-during.png"));
            static_cast<void>(window.grab().save(path));
        },
        Qt::QueuedConnection);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s DIR OUT.png [count] [dark] [screen] [--during] [--drill] [--sort] [--menu] "
                     "[--time N] [--stop MS] [--open FILE] [--compare OLD]\n",
                     argv[0]);
        return 2;
    }
    bool count = false;
    bool dark = false;
    bool screen = false;
    bool drill = false;
    bool sort = false;
    bool menu = false;
    bool during = false;
    int rounds = 0;
    int stopAfter = -1;
    QString openFile;
    QString compared;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--open") == 0 && i + 1 < argc) {
            openFile = QString::fromLocal8Bit(argv[++i]);
        }
        if (std::strcmp(argv[i], "--compare") == 0 && i + 1 < argc) {
            compared = QString::fromLocal8Bit(argv[++i]);
        }
        if (std::strcmp(argv[i], "--stop") == 0 && i + 1 < argc) {
            stopAfter = std::atoi(argv[++i]);
        }
        count = count || std::strcmp(argv[i], "count") == 0;
        dark = dark || std::strcmp(argv[i], "dark") == 0;
        screen = screen || std::strcmp(argv[i], "screen") == 0;
        drill = drill || std::strcmp(argv[i], "--drill") == 0;
        sort = sort || std::strcmp(argv[i], "--sort") == 0;
        menu = menu || std::strcmp(argv[i], "--menu") == 0;
        during = during || std::strcmp(argv[i], "--during") == 0;
        if (std::strcmp(argv[i], "--time") == 0 && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        }
    }
    QApplication application(argc, argv);
    if (dark) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(trelmark::test::darkPalette());
    }
    survey::ProgramState state;
    state.fsoSystem = fs::createFileSystem();
    state.pathStart = argv[1];
    ui::frmMain window(state, argv[1], [] { QApplication::quit(); });
    window.checkFiles()->setChecked(count);
    window.show();
    if (during) {
        grabDuringTheRun(window, QString::fromLocal8Bit(argv[2]));
    }
    QTimer::singleShot(300, &window, [&] {
        if (!compared.isEmpty() && !window.compareMode()->open(compared)) {
            QApplication::exit(1);
            return;
        }
        if (stopAfter >= 0) {
            // Fires inside the survey's yields: the run goes on beneath it.
            QTimer::singleShot(stopAfter, &window, [&window] { window.cmdMain(0)->click(); });
        }
        if (openFile.isEmpty()) {
            window.cmdMain(1)->click();
        } else {
            window.keptSurveys().open(openFile);
        }
        if (rounds > 0) {
            QApplication::exit(timedDrillDown(window, rounds) < 0 ? 1 : 0);
            return;
        }
        QTableView& grid = *window.gridList();
        if (drill && largestSubDirectory(window) >= 0) {
            doubleClickRow(grid, largestSubDirectory(window));
        }
        if (sort) {
            const int size = static_cast<int>(survey::Column::Size);
            QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {},
                              {grid.horizontalHeader()->sectionViewportPosition(size) + 20, 5});
        }
        QMenu* popup = nullptr;
        if (menu) {
            const int row = std::min(2, grid.model()->rowCount() - 1);
            popup =
                window.gridExplorer()->createMenu(window.gridExplorer()->sortModel().surveyRow(row), &window);
            popup->popup(grid.viewport()->mapToGlobal(grid.visualRect(grid.model()->index(row, 0)).center()));
        }
        QTimer::singleShot(300, &window, [&window, popup, screen] {
            QPixmap picture = screen ? window.screen()->grabWindow(0) : window.grab();
            if (popup != nullptr) {
                // The menu is a window of its own: drawn onto the picture where it stands.
                QPainter painter(&picture);
                painter.drawPixmap(popup->geometry().topLeft() - window.geometry().topLeft(), popup->grab());
            }
            const bool saved = picture.save(QApplication::arguments().at(2));
            QApplication::exit(saved ? 0 : 1);
        });
    });
    return QApplication::exec();
}
