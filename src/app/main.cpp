// SPDX-License-Identifier: MIT
#include <cstdio>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <QApplication>

#include "app/Program.h"
#include "app/StartDirectory.h"
#include "fs/LinuxFileSystem.h"
#include "util/Version.h"

namespace {

// The scanner keeps a descriptor open per directory level it is inside; deep trees need more than the
// usual soft limit of 1024.
void raiseOpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        static_cast<void>(::setrlimit(RLIMIT_NOFILE, &limit));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace trelmark;
    raiseOpenFileLimit();
    // Every argument is the start directory's text; Qt is given none, so "-style" or "-platform" in a
    // directory name stays part of it. Qt's environment variables still apply.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QString::fromLatin1(util::kProgramTitle));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(util::kVersionMajor)
                                            .arg(util::kVersionMinor)
                                            .arg(util::kVersionRevision));
    // Names the installed desktop file, so that a Wayland compositor or a dock ties the window to its menu
    // entry and themed icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(util::kApplicationId));

    app::Program program(arguments, app::executableDirectory(), [] { return fs::createFileSystem(); });
    if (!program.Main()) {
        return 1;
    }
    return QApplication::exec();
}
