// SPDX-License-Identifier: MIT
#include "store/MemoryTree.h"

#include <algorithm>

#include "fs/NameOrder.h"

namespace trelmark::store {

util::Result<DirRecord> MemoryTree::record(std::uint64_t id) {
    if (id >= m_nodes.size()) {
        m_damage = "a directory that is missing";
        return std::errc::bad_message;
    }
    return m_nodes[id].record;
}

util::Result<std::vector<DirRecord>> MemoryTree::children(std::uint64_t id) {
    if (id >= m_nodes.size()) {
        m_damage = "a directory that is missing";
        return std::errc::bad_message;
    }
    std::vector<DirRecord> found;
    found.reserve(m_nodes[id].children.size());
    for (const std::uint32_t child : m_nodes[id].children) {
        found.push_back(m_nodes[child].record);
    }
    return found;
}

std::uint32_t MemoryTree::add(std::uint32_t parent, std::string name) {
    const auto index = static_cast<std::uint32_t>(m_nodes.size());
    Node& node = m_nodes.emplace_back();
    node.record.id = index;
    node.record.parent = m_nodes.size() == 1 ? index : parent;
    node.record.name = std::move(name);
    if (index != node.record.parent) {
        m_nodes[parent].children.push_back(index);
    }
    return index;
}

bool MemoryTree::sortChildren(std::uint32_t index) {
    std::vector<std::uint32_t>& children = m_nodes[index].children;
    const auto nameOf = [this](std::uint32_t child) -> const std::string& {
        return m_nodes[child].record.name;
    };
    std::sort(children.begin(), children.end(),
              [&](std::uint32_t a, std::uint32_t b) { return fs::compareNames(nameOf(a), nameOf(b)) < 0; });
    return std::adjacent_find(children.begin(), children.end(), [&](std::uint32_t a, std::uint32_t b) {
               return nameOf(a) == nameOf(b);
           }) == children.end();
}

}  // namespace trelmark::store
