// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "store/StoredTree.h"

namespace trelmark::store {

// How another tool's export is to be read: its sizes as the disk holds them or apparent, and whether a
// file of several names counts once.
struct ImportChoice {
    bool diskUsage = false;
    bool hardLinksOnce = false;
};

// Opens a kept survey or another tool's export, told apart by their content, not their names. A file that
// cannot be read, is neither, or cannot be trusted gives nullptr, and `reason` says what is wrong (without
// the file's name). Thread: any; the tree is then used by one thread at a time.
[[nodiscard]] std::shared_ptr<StoredTree> openSurvey(const std::string& fileName, const ImportChoice& choice,
                                                     std::string& reason);

}  // namespace trelmark::store
