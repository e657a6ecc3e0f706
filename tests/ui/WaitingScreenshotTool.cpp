// SPDX-License-Identifier: MIT
// Saves a picture of the window opened on a directory whose file system does not answer, once the lists
// say that they wait, and prints how long the window took to show:
//   trelmark-waiting-screenshot DIR OUT.png [TYPED]
// TYPED, when given, is typed into the path field after the window shows (a path on the same share), so
// that the field's own wait shows too. Run it under a real X server (xvfb-run) beside a held request.
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "fs/LinuxFileSystem.h"
#include "ui/PathField.h"
#include "ui/frmMain.h"

int main(int argc, char* argv[]) {
    using namespace trelmark;
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: trelmark-waiting-screenshot DIR OUT.png [TYPED]\n");
        return 2;
    }
    QElapsedTimer opening;
    opening.start();
    survey::ProgramState state;
    state.fsoSystem = fs::createFileSystem();
    state.pathStart = arguments.at(1).toStdString();
    ui::frmMain window(state, "/", [] { QApplication::quit(); });
    window.show();
    static_cast<void>(QTest::qWaitForWindowExposed(&window));
    std::printf("window shown after %lld ms\n", static_cast<long long>(opening.elapsed()));
    if (arguments.size() > 3) {
        window.TextPath()->setFocus();
        window.TextPath()->selectAll();
        QTest::keyClicks(window.TextPath(), arguments.at(3));
    }
    QTest::qWait(500);
    const bool saved = window.grab().save(arguments.at(2));
    std::printf("%s\n", saved ? "saved" : "not saved");
    std::fflush(stdout);
    // The workers held behind the share stay where they are: the process ends without them.
    std::_Exit(saved ? 0 : 1);
}
