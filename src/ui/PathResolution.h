// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace trelmark::ui {

// How the window's lists read a path they are given: as the file system resolves it, relative paths
// against the process's current directory. Free functions; any thread; failures are nullopt.

// The canonical path (symbolic links and ".." resolved) of an existing directory, raw bytes; nullopt for
// anything else: a half-typed path, a file, a directory that vanished, an empty text.
[[nodiscard]] std::optional<std::string> canonicalDirectory(const std::string& raw);

// The canonical path of what exists, or, for a path that does not (yet) exist, its absolute form with
// "." and repeated "/" removed; nullopt for an empty text.
[[nodiscard]] std::optional<std::string> absolutePath(const std::string& raw);

// The process's current directory, "/" when it cannot be read.
[[nodiscard]] std::string processDirectory();

}  // namespace trelmark::ui
