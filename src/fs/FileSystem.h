// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "fs/WalkProgress.h"
#include "util/Result.h"

namespace trelmark::fs {

class Drive;
class Folder;

// The file-system component: the one way in which the program measures folders, files and drives.
// Thread: one owner thread calls it; walks run on worker threads of their own while that thread waits in the
// progress handler. Errors: every failure is an error value; nothing throws across this interface.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Fails for a path that names no reachable directory.
    [[nodiscard]] virtual util::Result<std::unique_ptr<Folder>> GetFolder(std::string_view path) = 0;
    // Takes a mount point or any existing path on it; fails for a path that does not exist.
    [[nodiscard]] virtual util::Result<std::unique_ptr<Drive>> GetDrive(std::string_view spec) = 0;

    // Observes, and may stop, the walks that answer later questions. Empty: walks run to their end.
    virtual void setProgressHandler(ProgressHandler handler) = 0;

    // The two lookups as calls that may run on another thread and outlive this object when their caller
    // gives up on them: each holds what it needs. Empty where the component's lookups must stay on its
    // owner's thread.
    struct DetachedLookups {
        std::function<util::Result<std::unique_ptr<Folder>>(const std::string&)> folder;
        std::function<util::Result<std::unique_ptr<Drive>>(const std::string&)> drive;
    };
    [[nodiscard]] virtual DetachedLookups detachedLookups() const { return {}; }
};

}  // namespace trelmark::fs
