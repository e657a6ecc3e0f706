// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>

#include "fs/LinuxFileSystem.h"
#include "support/TempTree.h"
#include "ui/DriveCatalog.h"
#include "ui/frmMain.h"

namespace trelmark::test {

// The canonical form of an existing path, as the window's lists show it.
inline std::string canonical(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

// A main window over the real file-system component, opened on `pathStart`. With `drives`, the drive list
// offers those instead of the machine's mounts, so that drive routes can be tested inside a temporary tree.
// A small tree whose every row is known: alpha (a1: 300, deeper/a2: 700), Beta (b1: 2000), gamma (empty),
// and 1000 bytes of the root's own in top.txt.
inline void makeGridTree(const TempTree& tree) {
    tree.write("top.txt", std::string(1000, 'x'));
    tree.write("alpha/a1", std::string(300, 'x'));
    tree.write("alpha/deeper/a2", std::string(700, 'x'));
    tree.write("Beta/b1", std::string(2000, 'x'));
    tree.mkdir("gamma");
}

struct WindowFixture {
    explicit WindowFixture(std::string pathStart, std::string programDirectory = "/",
                           std::vector<fs::MountedDrive> drives = {}) {
        state.fsoSystem = fs::createFileSystem();
        state.pathStart = std::move(pathStart);
        auto catalog = drives.empty()
                           ? std::make_unique<ui::DriveCatalog>(ui::DriveCatalog::fromSystem())
                           : std::make_unique<ui::DriveCatalog>(fs::MountedDrives(std::move(drives)));
        form = std::make_unique<ui::frmMain>(
            state, std::move(programDirectory), [this] { ++quits; }, std::move(catalog));
    }

    survey::ProgramState state;
    int quits = 0;
    std::unique_ptr<ui::frmMain> form;
};

}  // namespace trelmark::test
