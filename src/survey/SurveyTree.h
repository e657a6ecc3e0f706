// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fs/Figure.h"
#include "fs/WalkedTree.h"
#include "survey/SurveyRow.h"

namespace trelmark::survey {

// One directory in a listing of the tree below a surveyed directory.
struct TreeRow {
    std::string path;       // raw bytes: the surveyed directory's path, then the names down to this one
    std::size_t depth = 0;  // levels below the surveyed directory, which is 0
    // Kind AllFiles for the surveyed directory, SubDirectory below it; its name is the last component of
    // `path` (the whole path for the surveyed directory). Every figure is set: the size and the counts of
    // everything below, the share of the drive's total size and of the surveyed directory's measured size.
    SurveyRow row;
};

// The tree below a surveyed directory as the walk left it, read without any I/O: the directories down to
// a depth, or the largest ones anywhere below. Directories come in the component's order (a directory
// before its sub-directories, siblings by name); one that vanished during the walk is left out, the root
// of another mount is listed with nothing below it.
// Owns its share of the snapshot. Thread: any. Errors: none; a tree never walked lists nothing.
class SurveyTree {
public:
    // `path` is what the surveyed directory is called in the rows; `driveTotal` the base of the total share.
    SurveyTree(fs::WalkedTree tree, std::string path, fs::Figure driveTotal);

    // The surveyed directory and every directory at most `depth` levels below it.
    [[nodiscard]] std::vector<TreeRow> down(std::size_t depth) const;
    // The `count` directories below the surveyed one with the most bytes; ties in the component's order.
    [[nodiscard]] std::vector<TreeRow> largest(std::size_t count) const;

private:
    // Calls `visit(node, depth)` in the component's order, not below `maxDepth`.
    template <typename Visit>
    void walkDown(std::size_t maxDepth, Visit&& visit) const;
    [[nodiscard]] TreeRow rowOf(std::uint32_t node, std::size_t depth) const;

    fs::WalkedTree m_tree;
    std::string m_path;
    fs::Figure m_driveTotal;
    fs::Figure m_measured;
};

}  // namespace trelmark::survey
