// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fs/Figure.h"
#include "fs/Problem.h"
#include "fs/WalkedTree.h"
#include "util/Result.h"

namespace trelmark::fs {

class Drive;
class FileCollection;
class FolderCollection;

// A directory as the component sees it.
// The first question that needs the tree below it (Size, SubFolders, Files) walks that tree once; every later
// question about it, and about any folder inside it, is answered from that walk while this object or one
// derived from it lives. Thread: the thread that owns the component. Errors: as values.
class Folder {
public:
    virtual ~Folder() = default;

    // The full path, raw bytes.
    [[nodiscard]] virtual std::string Path() const = 0;
    // The last path component, raw bytes; empty for the root.
    [[nodiscard]] virtual std::string Name() const = 0;
    [[nodiscard]] virtual util::Result<std::unique_ptr<fs::Drive>> Drive() const = 0;
    // The apparent size of every file below, at any depth.
    [[nodiscard]] virtual util::Result<Figure> Size() = 0;
    [[nodiscard]] virtual util::Result<std::unique_ptr<FolderCollection>> SubFolders() = 0;
    [[nodiscard]] virtual util::Result<std::unique_ptr<FileCollection>> Files() = 0;

    // The files and directories below, at any depth (this one not counted).
    struct TreeCount {
        std::uint64_t files = 0;
        std::uint64_t directories = 0;
        bool complete = true;  // false: lower bounds, what a stopped or hindered walk reached
    };
    // The counts below when a walk has them complete, without asking anything of the file system; empty
    // otherwise, and then only counting folder by folder tells (and finds what could not be read).
    [[nodiscard]] virtual std::optional<TreeCount> knownTreeCount() const { return std::nullopt; }
    // The counts below as far as a walk got, complete or not; empty when no walk listed this folder.
    [[nodiscard]] virtual std::optional<TreeCount> reachedTreeCount() const { return knownTreeCount(); }

    // The directories below that could not be read completely, at most `limit` of them.
    [[nodiscard]] virtual std::vector<Problem> problems(std::size_t limit) const {
        static_cast<void>(limit);
        return {};
    }
    // The walk behind this folder's figures, for reading the tree below it without any I/O; empty before
    // the first question that needed the tree, and for components that keep no snapshot.
    [[nodiscard]] virtual WalkedTree walkedTree() const { return {}; }
};

}  // namespace trelmark::fs
