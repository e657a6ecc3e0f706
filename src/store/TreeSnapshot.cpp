// SPDX-License-Identifier: MIT
#include "store/TreeSnapshot.h"

#include <algorithm>
#include <vector>

namespace trelmark::store {

namespace {

fs::NodeState stateOf(const DirRecord& record) {
    if ((record.marks & kMarkUnreadable) != 0) {
        return fs::NodeState::Unreadable;
    }
    if ((record.marks & kMarkNotRead) != 0) {
        return fs::NodeState::Pending;
    }
    return (record.marks & kMarkOtherMount) != 0 ? fs::NodeState::OtherMount : fs::NodeState::Read;
}

std::uint32_t narrow(std::uint64_t value) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, UINT32_MAX));
}

void fill(fs::DirNode& node, const DirRecord& record, fs::NameArena& names, std::uint32_t parent) {
    node.ownBytes = record.ownBytes;
    node.totalBytes = record.bytes;
    node.totalFiles = record.files;
    node.name = names.store(record.name);
    node.nameLength = static_cast<std::uint16_t>(std::min<std::size_t>(record.name.size(), UINT16_MAX));
    node.ownFiles = narrow(record.ownFiles);
    node.totalDirs = narrow(record.dirs);
    node.parent = parent;
    node.fd = -1;
    node.state = stateOf(record);
    node.flags = record.complete() ? 0 : fs::kSubtreeIncomplete;
    node.flags |= (record.marks & kMarkSaturated) != 0 ? fs::kSaturated : 0;
}

}  // namespace

util::Result<fs::WalkedTree> loadSnapshot(StoredTree& tree, const DirRecord& start, const std::string& path,
                                          std::size_t maxDepth) {
    auto snapshot = std::make_shared<fs::Snapshot>(path);
    fs::NameArena& names = snapshot->newNameArena();
    fs::NodeStore& nodes = snapshot->nodes();
    if (!nodes.allocate(1)) {
        return std::errc::not_enough_memory;
    }
    fill(nodes[fs::Snapshot::kRoot], start, names, fs::Snapshot::kRoot);
    // Breadth first: each directory's children get one contiguous range after it, as a walk lays them out.
    std::vector<std::uint64_t> ids{start.id};
    std::vector<std::uint32_t> depths{0};
    for (std::uint32_t index = 0; index < ids.size(); ++index) {
        if (depths[index] == maxDepth || nodes[index].state != fs::NodeState::Read) {
            continue;
        }
        auto children = tree.children(ids[index]);
        if (!children) {
            return children.error();
        }
        if (children->empty()) {
            continue;
        }
        const auto first = nodes.allocate(static_cast<std::uint32_t>(children->size()));
        if (!first) {
            return std::errc::not_enough_memory;
        }
        nodes[index].firstChild = *first;
        nodes[index].childCount = static_cast<std::uint32_t>(children->size());
        for (std::size_t i = 0; i < children->size(); ++i) {
            fill(nodes[*first + static_cast<std::uint32_t>(i)], (*children)[i], names, index);
            ids.push_back((*children)[i].id);
            depths.push_back(depths[index] + 1);
        }
    }
    return fs::WalkedTree{std::move(snapshot), fs::Snapshot::kRoot};
}

}  // namespace trelmark::store
