// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace trelmark::fs {

// Keeps the names of a walk's directories in large blocks, so a node holds a pointer and no allocation of
// its own. Addresses stay valid until the arena goes. Thread: one owner at a time.
class NameArena {
public:
    // Copies the name and a terminating zero, so the copy can go to system calls as it is.
    [[nodiscard]] const char* store(std::string_view name);
    [[nodiscard]] std::uint64_t bytes() const noexcept { return m_blocks.size() * kBlockSize; }

private:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_cursor = nullptr;
    std::size_t m_left = 0;
};

inline const char* NameArena::store(std::string_view name) {
    const std::size_t needed = name.size() + 1;
    if (needed > m_left) {
        const std::size_t size = needed > kBlockSize ? needed : kBlockSize;
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_cursor = m_blocks.back().get();
        m_left = size;
    }
    char* const stored = m_cursor;
    name.copy(stored, name.size());
    stored[name.size()] = '\0';
    m_cursor += needed;
    m_left -= needed;
    return stored;
}

}  // namespace trelmark::fs
