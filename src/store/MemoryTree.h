// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "store/StoredTree.h"

namespace trelmark::store {

// A survey held in memory, as an export is read into it: a record per directory (never per file) and the
// indices of its children. Built by one reader, then read-only. Thread: one at a time.
class MemoryTree final : public StoredTree {
public:
    explicit MemoryTree(std::string fileName) : m_fileName(std::move(fileName)) {}

    [[nodiscard]] const std::string& fileName() const noexcept override { return m_fileName; }
    [[nodiscard]] const SurveyFacts& facts() const noexcept override { return m_facts; }
    [[nodiscard]] std::uint64_t rootId() const noexcept override { return 0; }
    [[nodiscard]] util::Result<DirRecord> record(std::uint64_t id) override;
    [[nodiscard]] util::Result<std::vector<DirRecord>> children(std::uint64_t id) override;
    [[nodiscard]] const std::string& damage() const noexcept override { return m_damage; }

    // For the reader that builds it.
    [[nodiscard]] SurveyFacts& mutableFacts() noexcept { return m_facts; }
    // A new directory below `parent` (the first one made is the root, its own parent); its index.
    std::uint32_t add(std::uint32_t parent, std::string name);
    [[nodiscard]] DirRecord& at(std::uint32_t index) noexcept { return m_nodes[index].record; }
    // Puts the children of `index` in the component's order; false when two of them share a name.
    [[nodiscard]] bool sortChildren(std::uint32_t index);

private:
    struct Node {
        DirRecord record;
        std::vector<std::uint32_t> children;
    };

    std::string m_fileName;
    SurveyFacts m_facts;
    std::vector<Node> m_nodes;
    std::string m_damage;
};

}  // namespace trelmark::store
