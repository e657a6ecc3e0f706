// SPDX-License-Identifier: MIT
// How long the map of a survey takes to open: trelmark-map-bench [DIR] [WIDTHxHEIGHT].
// With DIR, walks it through the file-system component as a survey does, then times the copy the map
// makes of the walk (on the window's thread in the program), the layout and the painting (on a worker).
// Without DIR, times the same on 100,000 directories made in memory. Prints one line per step, in ms.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include <QGuiApplication>

#include "fs/Folder.h"
#include "fs/LinuxFileSystem.h"
#include "survey/MapTree.h"
#include "ui/MapPicture.h"
#include "ui/WindowLook.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace trelmark;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Directories with one to three children each, level by level; sizes skewed as real trees are.
survey::MapTree syntheticTree(std::uint32_t count) {
    std::mt19937_64 random(1);
    survey::MapTree shape("/synthetic");
    shape.add(survey::MapTree::kNone, "synthetic", 0, 0);
    for (std::uint32_t parent = 0; parent < shape.size() && shape.size() < count; ++parent) {
        for (auto children = 1 + random() % 3; children > 0 && shape.size() < count; --children) {
            shape.add(parent, "directory", 0, 0);
        }
    }
    std::vector<std::uint64_t> own(shape.size());
    std::vector<std::uint64_t> total(shape.size());
    std::lognormal_distribution<double> sizes(10, 3);
    for (std::uint32_t index = shape.size(); index-- > 0;) {
        own[index] = static_cast<std::uint64_t>(sizes(random));
        total[index] += own[index];
        if (index != 0) {
            total[shape.node(index).parent] += total[index];
        }
    }
    survey::MapTree tree("/synthetic");
    for (std::uint32_t index = 0; index < shape.size(); ++index) {
        tree.add(shape.node(index).parent, "directory", own[index], total[index]);
    }
    return tree;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QGuiApplication application(argc, argv);
    const std::string dir = argc > 1 ? argv[1] : "";
    int width = 1280;
    int height = 800;
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "usage: %s [DIR] [WIDTHxHEIGHT]\n", argv[0]);
        return 2;
    }

    std::unique_ptr<survey::MapTree> tree;
    auto start = Clock::now();
    if (dir.empty()) {
        tree = std::make_unique<survey::MapTree>(syntheticTree(100'000));
        std::printf("synthetic tree  %9.1f ms  %u directories\n", msSince(start), tree->size());
    } else {
        auto system = fs::createFileSystem();
        auto folder = system ? system->GetFolder(dir)
                             : util::Result<std::unique_ptr<fs::Folder>>(
                                   std::make_error_code(std::errc::not_enough_memory));
        if (!folder || !(*folder)->Size()) {
            std::fprintf(stderr, "%s: cannot walk %s\n", argv[0], dir.c_str());
            return 1;
        }
        std::printf("walk            %9.1f ms  (the survey's, not the map's)\n", msSince(start));
        start = Clock::now();
        auto copied = survey::MapTree::fromFolder(**folder);
        if (!copied) {
            std::fprintf(stderr, "%s: cannot read the walk of %s\n", argv[0], dir.c_str());
            return 1;
        }
        tree = std::make_unique<survey::MapTree>(std::move(copied.value()));
        std::printf("copy of walk    %9.1f ms  %u directories (window's thread)\n", msSince(start),
                    tree->size());
    }
    const double copy = msSince(start);
    start = Clock::now();
    const ui::MapPicture picture = ui::MapPicture::make(*tree, survey::MapTree::kRoot, QSize(width, height),
                                                        1.0, ui::windowFont(), nullptr);
    const double make = msSince(start);
    std::printf("layout + paint  %9.1f ms  %zu rectangles at %dx%d (worker thread)\n", make,
                picture.tiles.size(), width, height);
    std::printf("map open        %9.1f ms\n", (dir.empty() ? 0 : copy) + make);
    return 0;
}
