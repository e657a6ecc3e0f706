// SPDX-License-Identifier: MIT
// Saves a picture of the map window after a survey, for the README: trelmark-map-screenshot DIR OUT.png.
// Run it under a real X server (script/screenshot-map uses Xvfb) to see what a user sees.
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "fs/LinuxFileSystem.h"
#include "ui/MapView.h"
#include "ui/MapWindow.h"
#include "ui/frmMain.h"

int main(int argc, char* argv[]) {
    using namespace trelmark;
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR OUT.png\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    survey::ProgramState state;
    state.fsoSystem = fs::createFileSystem();
    state.pathStart = argv[1];
    ui::frmMain window(state, argv[1], [] { QApplication::quit(); });
    window.show();
    QTimer::singleShot(300, &window, [&] {
        window.cmdMain(1)->click();
        // How long the map takes to open, from the key to the first finished picture, on stderr.
        QElapsedTimer opening;
        opening.start();
        window.openMap();
        ui::MapWindow* map = window.mapWindow();
        if (map == nullptr) {
            QApplication::exit(1);
            return;
        }
        map->resize(900, 640);
        QObject::connect(
            map->view(), &ui::MapView::pictureShown, map,
            [map, opening, out = QString::fromLocal8Bit(argv[2])] {
                if (!map->view()->current()) {
                    return;
                }
                std::fprintf(stderr, "map shown after %lld ms\n", static_cast<long long>(opening.elapsed()));
                // Hover the largest block of files, so the picture shows the outline and the line describing
                // it.
                const survey::TreemapLayout::Tile* largest = nullptr;
                for (const auto& tile : map->view()->picture().tiles) {
                    if (tile.kind == survey::TreemapLayout::Kind::OwnFiles &&
                        (largest == nullptr ||
                         tile.rect.width * tile.rect.height > largest->rect.width * largest->rect.height)) {
                        largest = &tile;
                    }
                }
                if (largest != nullptr) {
                    QTest::mouseMove(map->view(), QPointF(largest->rect.x + largest->rect.width / 2,
                                                          largest->rect.y + largest->rect.height / 2)
                                                      .toPoint());
                }
                QTimer::singleShot(200, map,
                                   [map, out] { QApplication::exit(map->grab().save(out) ? 0 : 1); });
            });
    });
    return QApplication::exec();
}
