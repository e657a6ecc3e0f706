// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

#include "fs/DirNode.h"

namespace trelmark::fs {

// The directory nodes of one walk, indexed by 32-bit numbers. Workers reserve contiguous ranges
// concurrently; memory grows in segments of doubling size (1024, 2048, ... nodes) that are never moved,
// so a node's address is stable and reading it needs no lock. Untouched segment pages cost no memory.
// Thread: allocate() from any thread; a node is written only by the worker that reserved or reads it.
class NodeStore {
public:
    NodeStore() = default;
    NodeStore(const NodeStore&) = delete;
    NodeStore& operator=(const NodeStore&) = delete;
    ~NodeStore();

    // Reserves `count` consecutive nodes, zero-filled; nullopt when 2^32 nodes would be passed or memory
    // runs out.
    [[nodiscard]] std::optional<std::uint32_t> allocate(std::uint32_t count) noexcept;
    [[nodiscard]] std::uint32_t size() const noexcept {
        return static_cast<std::uint32_t>(m_size.load(std::memory_order_acquire));
    }

    [[nodiscard]] DirNode& operator[](std::uint32_t index) noexcept {
        const auto [segment, offset] = locate(index);
        return m_segments[segment].load(std::memory_order_acquire)[offset];
    }
    [[nodiscard]] const DirNode& operator[](std::uint32_t index) const noexcept {
        const auto [segment, offset] = locate(index);
        return m_segments[segment].load(std::memory_order_acquire)[offset];
    }

private:
    static constexpr unsigned kFirstBits = 10;
    static constexpr unsigned kSegments = 23;

    struct Location {
        unsigned segment;
        std::uint64_t offset;
    };
    [[nodiscard]] static Location locate(std::uint64_t index) noexcept;
    [[nodiscard]] static std::uint64_t segmentStart(unsigned segment) noexcept {
        return ((std::uint64_t{1} << segment) - 1) << kFirstBits;
    }
    [[nodiscard]] static std::uint64_t segmentLength(unsigned segment) noexcept {
        return std::uint64_t{1} << (segment + kFirstBits);
    }
    [[nodiscard]] bool ensureSegment(unsigned segment) noexcept;

    std::array<std::atomic<DirNode*>, kSegments> m_segments{};
    std::atomic<std::uint64_t> m_size{0};
};

}  // namespace trelmark::fs
