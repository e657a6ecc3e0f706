// Saves a picture of the window after a survey, for the README: trelmark-screenshot DIR OUT.png [count].
// Run it under a real X server (script/screenshot uses Xvfb) to see what a user sees.
#include <cstdio>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include "fs/LinuxFileSystem.h"
#include "ui/frmMain.h"

int main(int argc, char* argv[]) {
    using namespace trelmark;
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR OUT.png [count]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    survey::ProgramState state;
    state.fsoSystem = fs::createFileSystem();
    state.pathStart = argv[1];
    ui::frmMain window(state, argv[1], [] { QApplication::quit(); });
    window.checkFiles()->setChecked(argc > 3);
    window.show();
    QTimer::singleShot(300, &window, [&] {
        window.cmdMain(1)->click();
        QTimer::singleShot(300, &window, [&] {
            const bool saved = window.grab().save(QString::fromLocal8Bit(argv[2]));
            QApplication::exit(saved ? 0 : 1);
        });
    });
    return QApplication::exec();
}
