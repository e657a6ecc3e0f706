// SPDX-License-Identifier: MIT
// Saves a picture of the window after a survey, for the README and docs/:
//   trelmark-screenshot DIR OUT.png [count] [dark] [screen]
// "count" ticks the count option, "dark" gives the application a dark palette, "screen" saves the whole
// screen (to see where the window was placed) instead of the window alone. Run it under a real X server
// (script/screenshot uses Xvfb) to see what a user sees; QT_SCALE_FACTOR scales it as a desktop would.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QCheckBox>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "fs/LinuxFileSystem.h"
#include "survey/SurveyEngine.h"
#include "ui/frmMain.h"

namespace {

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(60, 60, 64));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(130, 130, 130));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(130, 130, 130));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(130, 130, 130));
    return dark;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace trelmark;
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR OUT.png [count] [dark] [screen]\n", argv[0]);
        return 2;
    }
    bool count = false;
    bool dark = false;
    bool screen = false;
    for (int i = 3; i < argc; ++i) {
        count = count || std::strcmp(argv[i], "count") == 0;
        dark = dark || std::strcmp(argv[i], "dark") == 0;
        screen = screen || std::strcmp(argv[i], "screen") == 0;
    }
    QApplication application(argc, argv);
    if (dark) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkPalette());
    }
    survey::ProgramState state;
    state.fsoSystem = fs::createFileSystem();
    state.pathStart = argv[1];
    ui::frmMain window(state, argv[1], [] { QApplication::quit(); });
    window.checkFiles()->setChecked(count);
    window.show();
    QTimer::singleShot(300, &window, [&] {
        window.cmdMain_Click(1);
        QTimer::singleShot(300, &window, [&] {
            const QPixmap picture = screen ? window.screen()->grabWindow(0) : window.grab();
            const bool saved = picture.save(QString::fromLocal8Bit(argv[2]));
            QApplication::exit(saved ? 0 : 1);
        });
    });
    return QApplication::exec();
}
