// SPDX-License-Identifier: MIT
#include "TreePlan.h"

#include <algorithm>

#include "Random.h"

namespace trelmark::bench {

namespace {

// Separate streams for the separate decisions, so that changing one does not reshuffle the others.
enum Stream : std::uint64_t { kShape = 1, kChains = 2, kFiles = 3 };

// The chain that goes past PATH_MAX: enough levels to be deep, names long enough for > 4096 bytes.
constexpr std::uint64_t kChainPathBytes = 4200;
constexpr std::uint32_t kLongChainMin = 17;  // 17 names of 247 bytes: the fewest levels that get past 4096
constexpr std::uint32_t kLongChainMax = 128;

// Pareto weights with tail index 1.2: half the directories get under 1.8 times the smallest share, one in
// ten thousand over two thousand times it. The cap keeps any one of them from rivalling the huge directory.
constexpr double kFileWeightAlpha = 1.2;
constexpr double kFileWeightCap = 10000.0;

}  // namespace

TreePlan TreePlan::make(std::uint64_t files, std::uint32_t directories, std::uint64_t seed) {
    TreePlan plan;
    plan.m_files = files;
    plan.m_directories.reserve(std::size_t{directories} + 1);
    plan.m_directories.push_back(PlannedDirectory{});

    std::uint32_t longChain = 0;
    if (directories >= 20) {
        longChain = std::clamp(directories / 20, kLongChainMin, kLongChainMax);
    }
    const std::uint32_t midChain = directories / 25 >= 2 ? std::min(48u, directories / 25) : 0;
    const std::uint32_t shortChain = directories / 50 >= 2 ? std::min(24u, directories / 50) : 0;
    const std::uint32_t chainDirectories = longChain + midChain + shortChain;

    plan.growOrdinary(directories - chainDirectories, seed);
    plan.addChains(longChain, seed);
    plan.addChains(midChain, seed + 1);
    plan.addChains(shortChain, seed + 2);
    plan.spreadFiles(seed);
    plan.linkChildren();
    return plan;
}

std::span<const std::uint32_t> TreePlan::children(std::uint32_t index) const noexcept {
    const PlannedDirectory& directory = m_directories[index];
    return {m_children.data() + directory.firstChild, directory.childCount};
}

void TreePlan::growOrdinary(std::uint32_t count, std::uint64_t seed) {
    // Preferential attachment: a directory is picked as a parent with a chance proportional to its number of
    // sub-directories plus one. The urn holds every directory once, and once more for each child.
    Random random = Random::forItem(seed, kShape);
    std::vector<std::uint32_t> urn;
    urn.reserve(std::size_t{count} * 2 + 1);
    urn.push_back(0);
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto index = static_cast<std::uint32_t>(m_directories.size());
        const std::uint32_t parent = urn[random.below(urn.size())];
        m_directories.push_back(PlannedDirectory{.parent = parent, .depth = m_directories[parent].depth + 1});
        urn.push_back(parent);
        urn.push_back(index);
    }
    m_ordinaryEnd = static_cast<std::uint32_t>(m_directories.size());
}

void TreePlan::addChains(std::uint32_t length, std::uint64_t seed) {
    if (length == 0) {
        return;
    }
    Random random = Random::forItem(seed, kChains);
    // Chains hang below an ordinary directory, as a deep package tree would; the root when there is none.
    const std::uint32_t parentCandidates = m_ordinaryEnd;
    std::uint32_t parent =
        parentCandidates > 1 ? static_cast<std::uint32_t>(random.between(1, parentCandidates - 1)) : 0;

    // Only the first chain is the long one; its names are sized so that the chain alone passes 4096 bytes.
    std::uint32_t nameLength = 0;
    if (m_chainEnds.empty()) {
        nameLength = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(250, (kChainPathBytes + length - 1) / length - 1));
        m_longestChainBytes = std::uint64_t{length} * (nameLength + 1);
    }
    for (std::uint32_t level = 0; level < length; ++level) {
        const auto index = static_cast<std::uint32_t>(m_directories.size());
        m_directories.push_back(PlannedDirectory{
            .parent = parent, .depth = m_directories[parent].depth + 1, .nameLength = nameLength});
        parent = index;
    }
    m_chainEnds.push_back(parent);
}

void TreePlan::spreadFiles(std::uint64_t seed) {
    std::uint64_t left = m_files;
    Random random = Random::forItem(seed, kFiles);

    // The huge directory: an ordinary one picked at random.
    m_huge = m_ordinaryEnd > 1 ? static_cast<std::uint32_t>(random.between(1, m_ordinaryEnd - 1)) : 0;
    const std::uint64_t huge = std::min(kHugeDirectoryMax, m_files / 10);
    m_directories[m_huge].files += huge;
    left -= huge;

    // A walker that gives up past PATH_MAX should visibly miss something.
    for (const std::uint32_t end : m_chainEnds) {
        const std::uint64_t reserved = std::min<std::uint64_t>(2, left);
        m_directories[end].files += reserved;
        left -= reserved;
    }

    // The rest by weight. Each directory gets the difference of the rounded cumulative shares, so the counts
    // add up to exactly `left` whatever the rounding.
    std::vector<double> cumulative(m_directories.size());
    double total = 0;
    for (std::size_t i = 0; i < m_directories.size(); ++i) {
        total += std::min(random.pareto(kFileWeightAlpha), kFileWeightCap);
        cumulative[i] = total;
    }
    std::uint64_t given = 0;
    for (std::size_t i = 0; i < m_directories.size(); ++i) {
        std::uint64_t upTo =
            i + 1 == m_directories.size()
                ? left
                : static_cast<std::uint64_t>(static_cast<long double>(left) * cumulative[i] / total);
        upTo = std::clamp(upTo, given, left);
        m_directories[i].files += upTo - given;
        given = upTo;
    }
}

void TreePlan::linkChildren() {
    for (std::size_t i = 1; i < m_directories.size(); ++i) {
        ++m_directories[m_directories[i].parent].childCount;
    }
    std::uint32_t next = 0;
    for (PlannedDirectory& directory : m_directories) {
        directory.firstChild = next;
        next += directory.childCount;
        directory.childCount = 0;
    }
    m_children.resize(next);
    for (std::size_t i = 1; i < m_directories.size(); ++i) {
        PlannedDirectory& parent = m_directories[m_directories[i].parent];
        m_children[parent.firstChild + parent.childCount++] = static_cast<std::uint32_t>(i);
    }
}

}  // namespace trelmark::bench
