// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "fs/DirNode.h"
#include "util/UniqueFd.h"

namespace trelmark::fs::detail {

// The descriptor a directory lends its sub-directories to open against (`DirNode::fd`), and the number of
// them that still hold a lease on it (`DirNode::pendingOpens`), both reached through std::atomic_ref.
// The whole protocol:
// - The worker that has listed a directory with sub-directories to read lend()s it its descriptor, if the
//   budget of kept descriptors allows, before the sub-directories are queued (the queue's lock publishes
//   both): every queued sub-directory holds one lease.
// - A sub-directory borrow()s the descriptor to open itself. When the parent's was not kept, it opens the
//   parent again from the walk's root and adopt()s that one for its siblings, if there is room now.
// - Every lease is returned exactly once, by release(): after the open, or for a sub-directory that is never
//   opened (a stop drains the queue). Whoever returns the last one closes the descriptor.
// A worker abandoned in a call that never returns still holds its lease, and returns it if the call ever
// does, so a descriptor is never closed under a call that uses it. Bounding kept descriptors bounds open
// ones: at most the budget, plus one directory being listed and one being reopened per worker.
// Thread: any; one instance per walk.
class ParentDescriptors {
public:
    explicit ParentDescriptors(std::size_t budget) noexcept : m_budget(budget) {}

    void lend(DirNode& parent, util::UniqueFd& directory, std::uint32_t leases) noexcept;
    // The parent's descriptor, or -1 when it was not kept.
    [[nodiscard]] static int borrow(DirNode& parent) noexcept;
    void adopt(DirNode& parent, util::UniqueFd& reopened) noexcept;
    void release(DirNode& parent) noexcept;

private:
    [[nodiscard]] bool reserve() noexcept;

    std::size_t m_budget;
    std::atomic<std::size_t> m_kept{0};
};

}  // namespace trelmark::fs::detail
