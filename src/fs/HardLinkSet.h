// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

#include <sys/types.h>

namespace trelmark::fs::detail {

// The files with more than one name that a walk has counted, so that it counts each of them once. Holds
// only such files (st_nlink > 1), never one per file of the tree: memory stays that of the links.
// Thread: any; the set is split into shards, each under a mutex of its own, so workers seldom wait on each
// other. Errors: an allocation that fails throws std::bad_alloc, which ends the walk as a failure.
class HardLinkSet {
public:
    // True the first time a file (device, inode) is offered, false every later time.
    [[nodiscard]] bool firstSight(dev_t device, ino_t inode);

private:
    struct Key {
        std::uint64_t device;
        std::uint64_t inode;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        [[nodiscard]] std::size_t operator()(const Key& key) const noexcept;
    };
    struct alignas(64) Shard {
        std::mutex mutex;
        std::unordered_set<Key, KeyHash> seen;
    };
    static constexpr std::size_t kShards = 16;

    std::array<Shard, kShards> m_shards;
};

}  // namespace trelmark::fs::detail
