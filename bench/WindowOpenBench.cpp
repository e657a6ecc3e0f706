// SPDX-License-Identifier: MIT
// How soon the window shows a kept survey: trelmark-window-open-bench FILE [TIMES].
// Opens FILE in the main window (offscreen unless QT_QPA_PLATFORM says otherwise) TIMES times (default 5),
// as "調査を開く..." does after its dialog, and prints per opening the ms to the first row with a figure, to
// every row of the root, and then to the map's copy of the survey read from the file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <QApplication>

#include "fs/LinuxFileSystem.h"
#include "survey/MapTree.h"
#include "ui/GridModel.h"
#include "ui/KeptSurveys.h"
#include "ui/frmMain.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace trelmark;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [TIMES]\n", argv[0]);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int times = argc > 2 ? std::atoi(argv[2]) : 5;
    survey::ProgramState state;
    state.fsoSystem = fs::createFileSystem();
    state.pathStart.assign(1, '/');
    ui::frmMain form(state, "/", [] {});
    form.show();
    QApplication::processEvents();

    ui::GridModel& grid = *form.gridModel();
    for (int time = 0; time < times; ++time) {
        // Leaves the opened survey, as "チェック" does, so that every opening starts from this machine.
        form.keptSurveys().leave();
        std::optional<double> firstRow;
        const auto start = Clock::now();
        const auto connection = QObject::connect(&grid, &QAbstractItemModel::dataChanged, [&] {
            if (!firstRow && grid.figures(0) != nullptr && grid.figures(0)->bytes) {
                firstRow = msSince(start);
            }
        });
        form.keptSurveys().open(file);
        const double allRows = msSince(start);
        QObject::disconnect(connection);
        if (!form.keptSurveys().opened()) {
            std::fprintf(stderr, "cannot open %s\n", argv[1]);
            return 1;
        }
        const auto mapStart = Clock::now();
        const auto map = form.keptSurveys().map();
        const double mapCopy = msSince(mapStart);
        std::printf("first row %7.1f ms   all %d rows %7.1f ms   map copy (%u directories) %7.1f ms\n",
                    firstRow.value_or(-1), grid.rowCount(), allRows, map ? map->size() : 0U, mapCopy);
    }
    return 0;
}
