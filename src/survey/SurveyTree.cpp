// SPDX-License-Identifier: MIT
#include "survey/SurveyTree.h"

#include <algorithm>
#include <utility>

#include "survey/NumberFormat.h"

namespace trelmark::survey {

SurveyTree::SurveyTree(fs::WalkedTree tree, std::string path, fs::Figure driveTotal)
    : m_tree(std::move(tree)), m_path(std::move(path)), m_driveTotal(driveTotal) {
    if (m_tree.snapshot) {
        const fs::DirNode& root = m_tree.snapshot->node(m_tree.node);
        m_measured = fs::Figure{root.totalBytes, root.complete()};
    }
}

template <typename Visit>
void SurveyTree::walkDown(std::size_t maxDepth, Visit&& visit) const {
    if (!m_tree.snapshot) {
        return;
    }
    const fs::Snapshot& snapshot = *m_tree.snapshot;
    // A stack of its own, children pushed last first so they come out by name: any depth is fine.
    std::vector<std::pair<std::uint32_t, std::size_t>> stack{{m_tree.node, 0}};
    while (!stack.empty()) {
        const auto [index, depth] = stack.back();
        stack.pop_back();
        visit(index, depth);
        const fs::DirNode& node = snapshot.node(index);
        if (depth == maxDepth || node.state != fs::NodeState::Read) {
            continue;
        }
        for (std::uint32_t child = node.firstChild + node.childCount; child > node.firstChild; --child) {
            if (snapshot.node(child - 1).state != fs::NodeState::Vanished) {
                stack.emplace_back(child - 1, depth + 1);
            }
        }
    }
}

TreeRow SurveyTree::rowOf(std::uint32_t index, std::size_t depth) const {
    const fs::Snapshot& snapshot = *m_tree.snapshot;
    TreeRow tree;
    tree.depth = depth;
    std::vector<std::string_view> names;
    for (std::uint32_t at = index; at != m_tree.node; at = snapshot.node(at).parent) {
        names.push_back(snapshot.node(at).nameView());
    }
    tree.path = m_path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (tree.path.empty() || tree.path.back() != '/') {
            tree.path.push_back('/');
        }
        tree.path.append(*name);
    }
    const fs::DirNode& node = snapshot.node(index);
    SurveyRow& row = tree.row;
    row.kind = index == m_tree.node ? RowKind::AllFiles : RowKind::SubDirectory;
    row.name = index == m_tree.node ? m_path : std::string(node.nameView());
    const bool complete = node.complete();
    row.bytes = fs::Figure{node.totalBytes, complete};
    row.totalShare = shareBetween(*row.bytes, m_driveTotal);
    row.usedShare = shareBetween(*row.bytes, m_measured);
    row.files = fs::Figure{node.totalFiles, complete};
    row.dirs = fs::Figure{node.totalDirs, complete};
    return tree;
}

std::vector<TreeRow> SurveyTree::down(std::size_t depth) const {
    std::vector<TreeRow> rows;
    walkDown(depth, [&](std::uint32_t index, std::size_t level) { rows.push_back(rowOf(index, level)); });
    return rows;
}

std::vector<TreeRow> SurveyTree::largest(std::size_t count) const {
    if (count == 0 || !m_tree.snapshot) {
        return {};
    }
    struct Candidate {
        std::uint64_t bytes;
        std::uint32_t index;
        std::size_t depth;
    };
    // In the component's order, so that a stable ordering by size keeps it among equals.
    std::vector<Candidate> candidates;
    walkDown(SIZE_MAX, [&](std::uint32_t index, std::size_t depth) {
        if (depth > 0) {
            candidates.push_back({m_tree.snapshot->node(index).totalBytes, index, depth});
        }
    });
    const auto larger = [](const Candidate& a, const Candidate& b) { return a.bytes > b.bytes; };
    std::stable_sort(candidates.begin(), candidates.end(), larger);
    candidates.resize(std::min(count, candidates.size()));
    std::vector<TreeRow> rows;
    rows.reserve(candidates.size());
    for (const Candidate& candidate : candidates) {
        rows.push_back(rowOf(candidate.index, candidate.depth));
    }
    return rows;
}

}  // namespace trelmark::survey
