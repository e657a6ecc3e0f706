// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>

#include "fs/Snapshot.h"

namespace trelmark::fs {

// A folder's place in the walk that answered for it: the finished snapshot, read-only, and the folder's
// node in it. Holding it keeps the snapshot alive (and findable by the component). A plain value.
struct WalkedTree {
    std::shared_ptr<const Snapshot> snapshot;  // empty: the folder was never walked
    std::uint32_t node = Snapshot::kRoot;
};

}  // namespace trelmark::fs
