// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "store/StoredTree.h"
#include "store/SurveyOpening.h"

namespace trelmark::store {

// Reads ncdu's JSON export format (major version 1, minor 0 to 2: what `ncdu -o` and `gdu -o` write) from
// `fd` as a stream, into a record per directory: files are summed into their directory as they pass, so
// memory grows with the directories, not the files. Names stay the bytes they stand for. Sizes are `asize`,
// or `dsize` with choice.diskUsage; with choice.hardLinksOnce a file of several names (`ino` with `nlink`
// above 1 or `hlnkc`) counts under the first name met only. Entries excluded by a pattern are left out (the
// directory is marked), those on another file system are counted as directories and not entered, and read
// errors leave their directory's figures lower bounds.
// Anything it cannot trust (truncated, not JSON, another version, a name that is not one path component,
// two entries of one name, a size past 2^62) gives nullptr and `reason`. Thread: any.
[[nodiscard]] std::shared_ptr<StoredTree> readNcduExport(int fd, const std::string& fileName,
                                                         const ImportChoice& choice, std::string& reason);

}  // namespace trelmark::store
