// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/Result.h"

namespace trelmark::fs {
class Folder;
}

namespace trelmark::survey {

// The directories of one walk as the map draws them: a flat copy of names and sizes, indexed from 0 (the
// surveyed directory), the children of each directory one contiguous index range after their parent.
// A copy, so that a layout on another thread never touches the component, whose objects belong to the
// front end's thread. Owns its names. Thread: built on the component's thread, then read-only (any thread).
// Errors: a directory whose sub-directories cannot be listed is kept as a leaf, its figure marked.
class MapTree {
public:
    static constexpr std::uint32_t kRoot = 0;
    static constexpr std::uint32_t kNone = UINT32_MAX;

    struct Node {
        std::uint64_t ownBytes;    // the files directly inside
        std::uint64_t totalBytes;  // ... and everything below
        std::uint32_t parent;      // kNone for the root
        std::uint32_t firstChild;
        std::uint32_t childCount;
        std::uint32_t depth;  // 0 for the root
        bool complete;        // false: a lower bound (unreadable parts, a stopped walk)
    };

    explicit MapTree(std::string rootPath);

    // Reads the tree below a walked folder through the component's interface (no I/O once it is walked).
    [[nodiscard]] static util::Result<MapTree> fromFolder(fs::Folder& folder);

    // Adds a directory. Children must arrive parent by parent, in breadth-first order: a node's children
    // directly follow each other. The root is added first with parent kNone. Returns the new index, or kNone
    // when the order is broken.
    std::uint32_t add(std::uint32_t parent, std::string_view name, std::uint64_t ownBytes,
                      std::uint64_t totalBytes, bool complete = true);

    [[nodiscard]] std::uint32_t size() const noexcept { return static_cast<std::uint32_t>(m_nodes.size()); }
    [[nodiscard]] const Node& node(std::uint32_t index) const { return m_nodes[index]; }
    [[nodiscard]] std::string_view name(std::uint32_t index) const;
    // The raw path of a node: the root's path, then the names below it, joined by "/".
    [[nodiscard]] std::string pathOf(std::uint32_t index) const;
    [[nodiscard]] const std::string& rootPath() const noexcept { return m_rootPath; }

private:
    std::string m_rootPath;
    std::vector<Node> m_nodes;
    std::vector<std::uint32_t> m_nameStart;  // into m_names, one past the last for the end
    std::string m_names;
};

}  // namespace trelmark::survey
