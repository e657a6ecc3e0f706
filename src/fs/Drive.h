// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "util/Result.h"

namespace trelmark::fs {

class Folder;

// A drive is the mounted file system that holds a path.
// Thread: the thread that owns the component. Errors: as values.
class Drive {
public:
    virtual ~Drive() = default;

    // The capacity in bytes (df -B1's size).
    [[nodiscard]] virtual util::Result<std::uint64_t> TotalSize() const = 0;
    // The bytes an unprivileged user may still write (df -B1's available).
    [[nodiscard]] virtual util::Result<std::uint64_t> AvailableSpace() const = 0;
    // The folder at the mount point.
    [[nodiscard]] virtual util::Result<std::unique_ptr<Folder>> RootFolder() const = 0;
};

}  // namespace trelmark::fs
