#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "fs/Snapshot.h"
#include "fs/WalkProgress.h"

namespace trelmark::fs {

struct ScanOptions {
    unsigned workers = 0;              // a fixed number; 0: one per processor, more while calls wait
    unsigned maxWorkers = 0;           // with workers 0: the most it grows to; 0: from the processors
    std::size_t descriptorBudget = 0;  // directory descriptors kept open at once; 0: from RLIMIT_NOFILE
    std::chrono::milliseconds progressInterval{20};
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
