// SPDX-License-Identifier: MIT
#include "fs/HardLinkSet.h"

namespace trelmark::fs::detail {

std::size_t HardLinkSet::KeyHash::operator()(const Key& key) const noexcept {
    // Inodes of one file system are mostly consecutive: a multiplicative mix spreads them over the shards
    // and the buckets alike.
    const std::uint64_t mixed = (key.inode ^ (key.device * 0x9E3779B97F4A7C15ULL)) * 0xBF58476D1CE4E5B9ULL;
    return static_cast<std::size_t>(mixed ^ (mixed >> 31));
}

bool HardLinkSet::firstSight(dev_t device, ino_t inode) {
    const Key key{static_cast<std::uint64_t>(device), static_cast<std::uint64_t>(inode)};
    Shard& shard = m_shards[KeyHash{}(key) % kShards];
    const std::lock_guard lock(shard.mutex);
    return shard.seen.insert(key).second;
}

}  // namespace trelmark::fs::detail
