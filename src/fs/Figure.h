// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace trelmark::fs {

// A byte count or an entry count as the component measured it.
// `complete` is false when the number is only a lower bound: part of the tree could not be read, the walk
// was stopped before it got there, or the sum reached 2^64 - 1 and stayed there instead of wrapping.
struct Figure {
    std::uint64_t value = 0;
    bool complete = true;

    friend bool operator==(const Figure&, const Figure&) = default;
};

// Adds without wrapping: a sum past 2^64 - 1 stays at the maximum, and the caller marks the figure.
[[nodiscard]] constexpr bool addSaturating(std::uint64_t& sum, std::uint64_t addend) noexcept {
    if (__builtin_add_overflow(sum, addend, &sum)) {
        sum = UINT64_MAX;
        return false;
    }
    return true;
}

}  // namespace trelmark::fs
