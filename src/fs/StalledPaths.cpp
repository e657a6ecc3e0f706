// SPDX-License-Identifier: MIT
#include "fs/StalledPaths.h"

namespace trelmark::fs {

StalledPaths& StalledPaths::process() {
    // Never destroyed: a worker left behind in a request may answer while the process exits.
    static auto* const paths = new StalledPaths;
    return *paths;
}

void StalledPaths::stalled(const std::string& path) {
    const std::lock_guard lock(m_mutex);
    ++m_late[path];
}

void StalledPaths::answered(const std::string& path) {
    const std::lock_guard lock(m_mutex);
    const auto found = m_late.find(path);
    if (found != m_late.end() && --found->second <= 0) {
        m_late.erase(found);
    }
}

bool StalledPaths::covers(std::string_view path) const {
    const std::lock_guard lock(m_mutex);
    for (const auto& [late, count] : m_late) {
        const bool below =
            late == "/" ? path.starts_with('/')
                        : path.starts_with(late) && (path.size() == late.size() || path[late.size()] == '/');
        if (below) {
            return true;
        }
    }
    return false;
}

}  // namespace trelmark::fs
