// SPDX-License-Identifier: MIT
#include "fs/Snapshot.h"

#include <algorithm>

#include "fs/Figure.h"
#include "fs/NameOrder.h"

namespace trelmark::fs {

std::string Snapshot::pathOf(std::uint32_t index) const {
    std::vector<std::string_view> names;
    std::size_t length = m_rootPath.size();
    for (std::uint32_t at = index; at != kRoot; at = m_nodes[at].parent) {
        names.push_back(m_nodes[at].nameView());
        length += names.back().size() + 1;
    }
    std::string path;
    path.reserve(length);
    path = m_rootPath;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (path.empty() || path.back() != '/') {
            path.push_back('/');
        }
        path.append(*name);
    }
    return path;
}

Snapshot::Match Snapshot::findChild(std::uint32_t parent, std::string_view name) const {
    const DirNode& directory = m_nodes[parent];
    if (directory.state != NodeState::Read) {
        return {directory.state == NodeState::OtherMount ? Lookup::Absent : Lookup::Unknown, 0};
    }
    // Children are sorted by compareNames, which orders exact bytes totally: a binary search finds the one.
    std::uint32_t low = directory.firstChild;
    std::uint32_t high = directory.firstChild + directory.childCount;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const int order = compareNames(m_nodes[middle].nameView(), name);
        if (order == 0) {
            return {m_nodes[middle].state == NodeState::Vanished ? Lookup::Absent : Lookup::Found, middle};
        }
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    // Stopped while listing: the name may be among what was not reached.
    return {(directory.flags & kStoppedInside) != 0 ? Lookup::Unknown : Lookup::Absent, 0};
}

Snapshot::Match Snapshot::find(std::string_view path) const {
    if (path.empty() || path.front() != '/') {
        return {Lookup::Unknown, 0};
    }
    std::string_view rest;
    if (path == m_rootPath) {
        return {Lookup::Found, kRoot};
    }
    if (m_rootPath == "/") {
        rest = path.substr(1);
    } else if (path.size() > m_rootPath.size() && path.substr(0, m_rootPath.size()) == m_rootPath &&
               path[m_rootPath.size()] == '/') {
        rest = path.substr(m_rootPath.size() + 1);
    } else {
        return {Lookup::Unknown, 0};
    }
    std::uint32_t at = kRoot;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view component = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (component.empty() || component == "." || component == "..") {
            return {Lookup::Unknown, 0};
        }
        const Match child = findChild(at, component);
        if (child.lookup != Lookup::Found) {
            return child;
        }
        at = child.index;
    }
    return {Lookup::Found, at};
}

std::vector<Problem> Snapshot::problems(std::uint32_t index, std::size_t limit) const {
    std::vector<Problem> found;
    std::vector<std::uint32_t> stack{index};
    while (!stack.empty() && found.size() < limit) {
        const std::uint32_t at = stack.back();
        stack.pop_back();
        const DirNode& node = m_nodes[at];
        if (node.complete()) {
            continue;
        }
        if (node.state == NodeState::Unreadable || (node.flags & kEntriesUnmeasured) != 0) {
            found.push_back({problemPath(at), std::error_code(node.error, std::generic_category())});
        }
        if (node.state == NodeState::Read) {
            for (std::uint32_t child = node.firstChild + node.childCount; child-- > node.firstChild;) {
                stack.push_back(child);
            }
        }
    }
    return found;
}

void Snapshot::summarise() noexcept {
    const auto settle = [](DirNode& node) {
        if (node.state == NodeState::Pending || node.state == NodeState::Unreadable ||
            (node.flags & (kEntriesUnmeasured | kStoppedInside | kSaturated)) != 0) {
            node.flags |= kSubtreeIncomplete;
        }
    };
    const std::uint32_t count = m_nodes.size();
    // Children have higher indices than their parents: walking backwards finishes each directory's
    // subtree before its own figures go up to its parent.
    for (std::uint32_t index = count; index-- > 1;) {
        DirNode& node = m_nodes[index];
        if (node.state == NodeState::Vanished) {
            continue;
        }
        settle(node);
        DirNode& parent = m_nodes[node.parent];
        parent.totalDirs += 1 + node.totalDirs;
        const bool filesFit = addSaturating(parent.totalFiles, node.totalFiles);
        const bool bytesFit = addSaturating(parent.totalBytes, node.totalBytes);
        if (!filesFit || !bytesFit) {
            parent.flags |= kSaturated;
        }
        if (!node.complete()) {
            parent.flags |= kSubtreeIncomplete;
        }
    }
    if (count > 0) {
        settle(m_nodes[kRoot]);
    }
}

NameArena& Snapshot::newNameArena() {
    const std::lock_guard lock(m_namesMutex);
    return m_names.emplace_back();
}

void Snapshot::noteUnmeasured(std::uint32_t index, std::string_view name) {
    const std::lock_guard lock(m_namesMutex);
    m_unmeasured.emplace_back(index, std::string(name));
}

std::string Snapshot::problemPath(std::uint32_t index) const {
    std::string path = pathOf(index);
    // Read after the walk, when no worker writes any more.
    for (const auto& [node, name] : m_unmeasured) {
        if (node == index) {
            if (path.empty() || path.back() != '/') {
                path.push_back('/');
            }
            path.append(name);
            break;
        }
    }
    return path;
}

}  // namespace trelmark::fs
