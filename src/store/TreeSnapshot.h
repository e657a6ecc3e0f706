// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

#include "fs/WalkedTree.h"
#include "store/StoredTree.h"

namespace trelmark::store {

// The directories of a kept survey from `start` down to `maxDepth` levels below it, as a walk's snapshot
// whose root is `start` (named `path`), for the listings that read a tree (survey::SurveyTree). Only what
// is asked for is read: a listing of the largest directories needs every level, one to a depth no more.
// Fails as the tree's calls fail.
[[nodiscard]] util::Result<fs::WalkedTree> loadSnapshot(StoredTree& tree, const DirRecord& start,
                                                        const std::string& path, std::size_t maxDepth);

}  // namespace trelmark::store
