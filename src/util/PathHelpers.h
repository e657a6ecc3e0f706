// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace trelmark::util {

// Path strings taken apart and joined by their text alone: nothing here touches the file system, nothing
// fails, and any thread may call. Strings hold UTF-8 or raw name bytes; where a rule counts characters,
// a valid UTF-8 sequence is one character and every other byte is one (separators are ASCII, so they are
// never found inside a character).
//
// Backslash: the drive-letter style. "\" is the only separator, a root is the first two characters
// ("C:") or "\\server\share", and nothing protects a root from being cut ("C:\" has the parent "C:").
// Posix: "/" is the separator and "/" the only root; it is never cut away, so the parent of "/x" and of
// "/" is "/".
enum class PathStyle {
    Backslash,
    Posix,
    Native = Posix,
};

// Everything before the last separator; empty when there is none (Posix: "/" when that separator is
// the root).
[[nodiscard]] std::string GetParentPath(std::string_view path, PathStyle style = PathStyle::Native);

// Backslash: "\\server\share" of a network path (empty when the server or share is missing), otherwise
// the first two characters. Posix: "/" for an absolute path, empty for a relative one.
[[nodiscard]] std::string GetPathRoot(std::string_view path, PathStyle style = PathStyle::Native);

// `directory`, one separator and `name`, after one separator is taken off the end of `directory` (never
// the Posix root), off the end of `name` and then off its front; only one at each place, so doubled
// separators stay. With an empty name: the directory, followed by a separator when `trailing` is set.
[[nodiscard]] std::string JoinPath(std::string_view directory, std::string_view name, bool trailing,
                                   PathStyle style = PathStyle::Native);

// An absolute "/" path naming what `path` names: relative paths are taken against `currentDirectory`,
// repeated "/" become one, "." components and a trailing "/" go (the root "/" stays). ".." is kept: only
// the file system knows where it leads once a symbolic link is on the way.
[[nodiscard]] std::string normalizePosixPath(std::string_view path, std::string_view currentDirectory);

}  // namespace trelmark::util
