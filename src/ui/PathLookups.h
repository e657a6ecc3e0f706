// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fs/DirectoryListing.h"

namespace trelmark::ui {

// Every question the window's path controls ask of the file system, in one place, so that each runs on a
// worker with a deadline (LateAnswers) and a test can put a file system in its place that answers late.
// Implementations are stateless or thread-safe: a call may outlive the control that made it, on a worker
// left behind in a request that never ends. Errors: as the answers say; nothing throws.
class PathLookups {
public:
    // What a list learns when it is asked to show a directory.
    struct Directory {
        std::string path;                // canonical, raw bytes
        bool listed = false;             // false: the names were not read (the list shows this path already)
        std::vector<std::string> names;  // the entries of the kind asked for, in the component's order
    };

    virtual ~PathLookups() = default;

    // See PathResolution.h.
    [[nodiscard]] virtual std::optional<std::string> canonicalDirectory(const std::string& raw) const = 0;
    [[nodiscard]] virtual std::optional<std::string> absolutePath(const std::string& raw) const = 0;
    // The names of a directory's entries of one kind; none when it cannot be read.
    [[nodiscard]] virtual std::vector<std::string> names(const std::string& directory,
                                                         fs::EntryKind kind) const = 0;
    // Whether an existing path is a directory (a link to one included); nullopt when it cannot be examined.
    [[nodiscard]] virtual std::optional<bool> isDirectory(const std::string& path) const = 0;

    // The first of `candidates` that names a directory, with its names of `kind` unless it is `shown`;
    // nullopt when none does.
    [[nodiscard]] std::optional<Directory> openDirectory(const std::vector<std::string>& candidates,
                                                         fs::EntryKind kind, const std::string& shown) const;

    // The system's own answers.
    [[nodiscard]] static std::shared_ptr<const PathLookups> system();
};

}  // namespace trelmark::ui
