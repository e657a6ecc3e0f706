// SPDX-License-Identifier: MIT
#include "survey/MapTree.h"

#include <memory>
#include <utility>

#include "fs/Folder.h"
#include "fs/FolderCollection.h"

namespace trelmark::survey {

MapTree::MapTree(std::string rootPath) : m_rootPath(std::move(rootPath)) {}

std::uint32_t MapTree::add(std::uint32_t parent, std::string_view name, std::uint64_t ownBytes,
                           std::uint64_t totalBytes, bool complete) {
    const auto index = static_cast<std::uint32_t>(m_nodes.size());
    std::uint32_t depth = 0;
    if (parent == kNone) {
        if (index != kRoot) {
            return kNone;
        }
    } else {
        if (parent >= index || index == kNone) {
            return kNone;
        }
        Node& up = m_nodes[parent];
        if (up.childCount == 0) {
            up.firstChild = index;
        } else if (up.firstChild + up.childCount != index) {
            return kNone;
        }
        ++up.childCount;
        depth = up.depth + 1;
    }
    m_nodes.push_back(Node{ownBytes, totalBytes, parent, 0, 0, depth, complete});
    m_nameStart.push_back(static_cast<std::uint32_t>(m_names.size()));
    m_names.append(name);
    return index;
}

std::string_view MapTree::name(std::uint32_t index) const {
    const std::uint32_t start = m_nameStart[index];
    const std::size_t end = index + 1 < m_nameStart.size() ? m_nameStart[index + 1] : m_names.size();
    return std::string_view(m_names).substr(start, end - start);
}

std::string MapTree::pathOf(std::uint32_t index) const {
    std::vector<std::string_view> names;
    for (std::uint32_t at = index; at != kRoot && at < m_nodes.size(); at = m_nodes[at].parent) {
        names.push_back(name(at));
    }
    std::string path = m_rootPath;
    for (auto part = names.rbegin(); part != names.rend(); ++part) {
        if (path.empty() || path.back() != '/') {
            path.push_back('/');
        }
        path.append(*part);
    }
    return path;
}

util::Result<MapTree> MapTree::fromFolder(fs::Folder& folder) {
    const auto rootSize = folder.Size();
    if (!rootSize) {
        return rootSize.error();
    }
    MapTree tree(folder.Path());
    // Breadth first, so that each directory's children land next to each other. The folder objects of one
    // level are held until their children are read: a level costs memory, the depth does not.
    std::vector<std::pair<std::unique_ptr<fs::Folder>, std::uint32_t>> level;
    std::vector<std::pair<std::unique_ptr<fs::Folder>, std::uint32_t>> below;
    tree.add(kNone, folder.Name(), 0, rootSize->value, rootSize->complete);
    auto readChildren = [&tree, &below](fs::Folder& directory, std::uint32_t index) {
        std::uint64_t childBytes = 0;
        auto children = directory.SubFolders();
        if (!children) {
            tree.m_nodes[index].complete = false;
        } else {
            while (true) {
                auto child = children.value()->next();
                if (!child || child.value() == nullptr) {
                    tree.m_nodes[index].complete = tree.m_nodes[index].complete && child.ok();
                    break;
                }
                const auto size = child.value()->Size();
                const std::uint64_t bytes = size ? size->value : 0;
                const std::uint32_t at =
                    tree.add(index, child.value()->Name(), 0, bytes, size && size->complete);
                childBytes = bytes > UINT64_MAX - childBytes ? UINT64_MAX : childBytes + bytes;
                below.emplace_back(std::move(child.value()), at);
            }
        }
        Node& node = tree.m_nodes[index];
        node.ownBytes = node.totalBytes > childBytes ? node.totalBytes - childBytes : 0;
    };
    readChildren(folder, kRoot);
    while (!below.empty()) {
        level.swap(below);
        below.clear();
        for (auto& [directory, index] : level) {
            readChildren(*directory, index);
        }
        level.clear();
    }
    return tree;
}

}  // namespace trelmark::survey
