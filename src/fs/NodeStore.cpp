// SPDX-License-Identifier: MIT
#include "fs/NodeStore.h"

#include <bit>
#include <cstring>

#include <sys/mman.h>

namespace trelmark::fs {

NodeStore::~NodeStore() {
    for (unsigned segment = 0; segment < kSegments; ++segment) {
        if (DirNode* nodes = m_segments[segment].load(std::memory_order_acquire)) {
            ::munmap(nodes, segmentLength(segment) * sizeof(DirNode));
        }
    }
}

NodeStore::Location NodeStore::locate(std::uint64_t index) noexcept {
    const auto segment = static_cast<unsigned>(std::bit_width((index >> kFirstBits) + 1) - 1);
    return {segment, index - segmentStart(segment)};
}

bool NodeStore::ensureSegment(unsigned segment) noexcept {
    if (m_segments[segment].load(std::memory_order_acquire) != nullptr) {
        return true;
    }
    // Anonymous memory comes zero-filled and is only backed once touched, so the last, largest segment
    // costs what is used of it.
    const std::size_t bytes = segmentLength(segment) * sizeof(DirNode);
    void* memory =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED) {
        return false;
    }
    DirNode* expected = nullptr;
    if (!m_segments[segment].compare_exchange_strong(expected, static_cast<DirNode*>(memory),
                                                     std::memory_order_acq_rel)) {
        ::munmap(memory, bytes);
    }
    return true;
}

std::optional<std::uint32_t> NodeStore::allocate(std::uint32_t count) noexcept {
    std::uint64_t first = m_size.load(std::memory_order_acquire);
    while (true) {
        const std::uint64_t end = first + count;
        if (end > UINT32_MAX) {
            return std::nullopt;
        }
        if (count > 0) {
            const unsigned lastSegment = locate(end - 1).segment;
            for (unsigned segment = locate(first).segment; segment <= lastSegment; ++segment) {
                if (!ensureSegment(segment)) {
                    return std::nullopt;
                }
            }
        }
        // Published only once its memory is there, so size() never covers an unmapped index.
        if (m_size.compare_exchange_weak(first, end, std::memory_order_acq_rel)) {
            return static_cast<std::uint32_t>(first);
        }
    }
}

}  // namespace trelmark::fs
