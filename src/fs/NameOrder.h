// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <string_view>

namespace trelmark::fs {

// The component's order of names: ASCII letters compared without case, then the exact bytes, so that
// equal-looking names still have one fixed order. A total order consistent with byte equality, so a
// sorted range can be searched for an exact name.
[[nodiscard]] inline int compareNames(std::string_view a, std::string_view b) noexcept {
    const auto fold = [](char c) -> unsigned char {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
    };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = fold(a[i]);
        const unsigned char y = fold(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    const int bytes = a.compare(b);
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

struct NameLess {
    [[nodiscard]] bool operator()(std::string_view a, std::string_view b) const noexcept {
        return compareNames(a, b) < 0;
    }
};

}  // namespace trelmark::fs
