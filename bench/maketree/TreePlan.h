// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace trelmark::bench {

// One directory of a planned tree.
struct PlannedDirectory {
    std::uint32_t parent = 0;  // the root is its own parent
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
    std::uint32_t depth = 0;       // the root is 0
    std::uint32_t nameLength = 0;  // 0: any realistic name; otherwise exactly this many bytes
    std::uint64_t files = 0;
};

// The shape of a tree before anything is written: which directory holds which, and how many files each
// directory holds. Directory 0 is the destination itself and is not counted. The same arguments always give
// the same plan; names and sizes are left to the writer, which draws them per directory from the same seed.
//
// The shape imitates a real disk: fan-out grows by preferential attachment (most directories have no or
// few sub-directories, a few have hundreds); files are spread with Pareto weights (most directories hold a
// handful, a few thousands); one directory holds a tenth of the files (at most 100,000); and a few chains
// go deep, one of them past PATH_MAX.
// Owns its vectors. Thread: any, once made. Errors: none (the arguments are checked by the caller).
class TreePlan {
public:
    [[nodiscard]] static TreePlan make(std::uint64_t files, std::uint32_t directories, std::uint64_t seed);

    [[nodiscard]] const std::vector<PlannedDirectory>& directories() const noexcept { return m_directories; }
    [[nodiscard]] std::span<const std::uint32_t> children(std::uint32_t index) const noexcept;
    [[nodiscard]] std::uint64_t files() const noexcept { return m_files; }
    [[nodiscard]] std::uint32_t hugeDirectory() const noexcept { return m_huge; }
    // The bytes of the longest path below the destination that the plan promises (at least).
    [[nodiscard]] std::uint64_t longestChainBytes() const noexcept { return m_longestChainBytes; }

    static constexpr std::uint64_t kHugeDirectoryMax = 100'000;

private:
    void growOrdinary(std::uint32_t count, std::uint64_t seed);
    void addChains(std::uint32_t budget, std::uint64_t seed);
    void spreadFiles(std::uint64_t seed);
    void linkChildren();

    std::vector<PlannedDirectory> m_directories;
    std::vector<std::uint32_t> m_children;
    std::vector<std::uint32_t> m_chainEnds;
    std::uint64_t m_files = 0;
    std::uint32_t m_huge = 0;
    std::uint32_t m_ordinaryEnd = 1;  // directories [1, m_ordinaryEnd) are not part of a chain
    std::uint64_t m_longestChainBytes = 0;
};

}  // namespace trelmark::bench
