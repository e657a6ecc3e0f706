// SPDX-License-Identifier: MIT
#include "fs/KnownMounts.h"

namespace trelmark::fs::detail {

KnownMounts::KnownMounts(const MountTable& table, std::string_view canonicalRoot) {
    const std::string prefix = canonicalRoot == "/" ? "/" : std::string(canonicalRoot) + "/";
    for (const MountEntry& entry : table.entries()) {
        if (entry.mountPoint.size() <= prefix.size() || !entry.mountPoint.starts_with(prefix)) {
            continue;
        }
        std::string relative = entry.mountPoint.substr(prefix.size());
        for (auto slash = relative.find('/'); slash != std::string::npos;
             slash = relative.find('/', slash + 1)) {
            m_leading.insert(relative.substr(0, slash));
        }
        m_mounts.insert(std::move(relative));
    }
    if (!m_mounts.empty()) {
        m_leading.insert("");
    }
}

}  // namespace trelmark::fs::detail
