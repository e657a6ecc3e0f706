// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "fs/NameArena.h"
#include "fs/NodeStore.h"
#include "fs/Problem.h"

namespace trelmark::fs {

// What one walk saw of a tree: a node per directory (index 0 is the walk's root) and nothing per file.
// Filled by the Scanner's workers, then summed once and read-only: any thread may read a finished snapshot.
class Snapshot {
public:
    explicit Snapshot(std::string rootPath) : m_rootPath(std::move(rootPath)) {}

    static constexpr std::uint32_t kRoot = 0;

    // The normalised absolute path the walk started from.
    [[nodiscard]] const std::string& rootPath() const noexcept { return m_rootPath; }
    [[nodiscard]] NodeStore& nodes() noexcept { return m_nodes; }
    [[nodiscard]] const NodeStore& nodes() const noexcept { return m_nodes; }
    [[nodiscard]] const DirNode& node(std::uint32_t index) const noexcept { return m_nodes[index]; }

    // The walk was stopped before it had read everything.
    [[nodiscard]] bool stopped() const noexcept { return m_stopped; }
    // Why the walk could not go on at all (out of memory, no threads), or empty.
    [[nodiscard]] std::error_code failure() const noexcept { return m_failure; }

    [[nodiscard]] std::string pathOf(std::uint32_t index) const;

    enum class Lookup { Found, Absent, Unknown };
    struct Match {
        Lookup lookup;
        std::uint32_t index;
    };
    // Finds a normalised absolute path in this tree. Unknown: outside it, or below a directory the walk did
    // not list, or with a ".." component that only the file system can resolve.
    [[nodiscard]] Match find(std::string_view path) const;
    [[nodiscard]] Match findChild(std::uint32_t parent, std::string_view name) const;

    // Directories below `index` that could not be read completely, at most `limit` of them.
    [[nodiscard]] std::vector<Problem> problems(std::uint32_t index, std::size_t limit) const;

    // Written by the walk. A worker's own arena for the names of the nodes it makes; the address stays.
    [[nodiscard]] NameArena& newNameArena();
    // The first entry of a directory that was listed but could not be measured, named by the problems.
    void noteUnmeasured(std::uint32_t index, std::string_view name);
    void markStopped() noexcept { m_stopped = true; }
    void markFailed(std::error_code error) noexcept { m_failure = error; }
    // Sums every tree bottom-up and decides which figures are complete. Once, after the walk.
    void summarise() noexcept;

private:
    // The directory's path, or the path of the entry in it that could not be measured.
    [[nodiscard]] std::string problemPath(std::uint32_t index) const;

    std::string m_rootPath;
    NodeStore m_nodes;
    std::mutex m_namesMutex;
    std::deque<NameArena> m_names;
    std::vector<std::pair<std::uint32_t, std::string>> m_unmeasured;  // rare: guarded by m_namesMutex
    bool m_stopped = false;
    std::error_code m_failure;
};

}  // namespace trelmark::fs
