// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "util/UniqueFd.h"

namespace trelmark::fs {

// Opens an absolute path with open(2) `flags`, following symbolic links on the way as open() does. A path
// longer than the system's PATH_MAX is opened component by component, so every directory the walk can
// reach can also be named. On failure the descriptor is invalid and errno says why.
[[nodiscard]] util::UniqueFd openPath(std::string_view absolutePath, int flags) noexcept;

// The path of an open descriptor with every symbolic link and ".." resolved, as the mount table spells
// paths, read from /proc without touching the file system; empty when /proc does not say.
[[nodiscard]] std::string canonicalPath(int descriptor);

}  // namespace trelmark::fs
