// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace trelmark::fs {

// One member of a folder's Files: every entry that is not a directory (links are not followed).
class File {
public:
    File(std::string name, std::uint64_t size) : m_name(std::move(name)), m_size(size) {}

    // The raw name bytes, as the system gives them.
    [[nodiscard]] const std::string& Name() const noexcept { return m_name; }
    // The apparent size in bytes (lstat's st_size).
    [[nodiscard]] std::uint64_t Size() const noexcept { return m_size; }

private:
    std::string m_name;
    std::uint64_t m_size;
};

}  // namespace trelmark::fs
