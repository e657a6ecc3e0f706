// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "fs/Snapshot.h"
#include "fs/WalkProgress.h"

namespace trelmark::fs {

// What a file adds to the bytes of its directory: its apparent size (st_size), or the room it takes on the
// disk (st_blocks * 512, less for a sparse file, more for a small one on a large block).
enum class SizeMeasure { Apparent, Allocated };
// How a file with several names (hard links) counts: under every name, or under the first name the walk
// measures and not at all under the others. Which name comes first depends on the workers, so a link
// shared between two directories may count in either; the sum over the whole walk does not change.
enum class HardLinks { Every, Once };

struct ScanOptions {
    unsigned workers = 0;              // a fixed number; 0: one per processor, more while calls wait
    unsigned maxWorkers = 0;           // with workers 0: the most it grows to; 0: from the processors
    std::size_t descriptorBudget = 0;  // directory descriptors kept open at once; 0: from RLIMIT_NOFILE
    std::chrono::milliseconds progressInterval{20};
    SizeMeasure sizeMeasure = SizeMeasure::Apparent;
    HardLinks hardLinks = HardLinks::Every;
    // fnmatch() patterns of entries (files and whole directories) the walk leaves out as if they were not
    // there. A trailing "/" is dropped; then a pattern without "/" is matched against an entry's name
    // ("*.o" anywhere), one with "/" against its path relative to the walk's root ("src/*.o", "/build": a
    // leading "/" only anchors it), "*" never crossing a "/".
    std::vector<std::string> exclude{};
};

// The parallel walk. Reads every directory below a root once, on worker threads, with descriptors only:
// openat() relative to the parent, getdents64(), one fstatat()/statx() per non-directory and per
// sub-directory (to tell mounts apart), never chdir() and never a full path, so any depth and any path
// length works. Keeps per directory only the aggregates of a DirNode.
// The calling thread waits and calls the progress handler every `progressInterval`; a Stop from it ends
// the walk within milliseconds and leaves a snapshot that says it was stopped, even while workers sit in
// calls that never return (they are left behind, owning what they use). Mounts below the root that the
// mount table shows are counted as directories without any call on them.
// Unreadable, vanishing and strange entries are recorded in the snapshot; nothing throws out of a walk.
class Scanner {
public:
    // `root` is an open directory that stays the caller's; `rootPath` is what the snapshot calls it.
    [[nodiscard]] static std::shared_ptr<Snapshot> walk(int root, std::string rootPath,
                                                        const ProgressHandler& handler,
                                                        const ScanOptions& options = {});

    // Workers at the start of a walk, and how many it may grow to while they wait in calls.
    [[nodiscard]] static unsigned defaultWorkers() noexcept;
    [[nodiscard]] static unsigned maxWorkers() noexcept;
};

}  // namespace trelmark::fs
