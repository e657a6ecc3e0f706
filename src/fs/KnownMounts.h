// SPDX-License-Identifier: MIT
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "fs/MountTable.h"

namespace trelmark::fs::detail {

// The mounts below a walk's root, known from the mount table before the walk, so that the walk counts them
// as directories without a single call on them: a dead network mount beside the surveyed tree costs
// nothing. Paths are relative to the root ("a/b"; the root itself is ""). A value; read-only during the walk,
// so any thread may ask it.
class KnownMounts {
public:
    KnownMounts() = default;
    // `canonicalRoot`: the root's path with every symbolic link resolved, as the mount table spells it.
    KnownMounts(const MountTable& table, std::string_view canonicalRoot);

    [[nodiscard]] bool empty() const noexcept { return m_mounts.empty(); }
    // A mount point, and a directory with mount points somewhere below it.
    [[nodiscard]] bool isMount(std::string_view relative) const { return m_mounts.contains(relative); }
    [[nodiscard]] bool leadsToMount(std::string_view relative) const { return m_leading.contains(relative); }

private:
    std::set<std::string, std::less<>> m_mounts;
    std::set<std::string, std::less<>> m_leading;
};

}  // namespace trelmark::fs::detail
