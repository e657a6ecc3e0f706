// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "fs/HardLinkSet.h"
#include "fs/Scanner.h"

namespace trelmark::fs::detail {

// What the measuring step needs to know of a file beyond its type.
struct FileFacts {
    std::int64_t size = 0;     // st_size
    std::uint64_t blocks = 0;  // st_blocks, in units of 512 bytes
    std::uint64_t links = 1;   // st_nlink
    dev_t device = 0;
    ino_t inode = 0;
};

// The choices of one walk about what an entry adds (ScanOptions: sizes, hard links, excluded entries),
// made once before the walk. With the defaults every entry counts, every name of a file counts, and a file
// adds its apparent size: the walk's figures are those of a walk without rules.
// Owns the compiled patterns and, for HardLinks::Once, the set of files with several names. Thread: any,
// once made (the set locks itself). Errors: none; a pattern fnmatch() cannot read excludes nothing.
class EntryRules {
public:
    explicit EntryRules(const ScanOptions& options);

    // Whether excludes() needs the directory's path relative to the walk's root.
    [[nodiscard]] bool needsPaths() const noexcept { return !m_pathPatterns.empty(); }
    // Whether the entry `name` (terminated) of the directory at `directoryPath` (relative to the walk's root,
    // empty for the root itself) is left out of the walk.
    [[nodiscard]] bool excludes(std::string_view directoryPath, const char* name, std::size_t length) const;
    // What a file adds to the bytes of its directory, or nothing when another of its names counted already.
    [[nodiscard]] std::optional<std::uint64_t> bytesOf(const FileFacts& file) const;

private:
    SizeMeasure m_sizeMeasure;
    std::unique_ptr<HardLinkSet> m_links;  // only for HardLinks::Once
    std::vector<std::string> m_namePatterns;
    std::vector<std::string> m_pathPatterns;
};

}  // namespace trelmark::fs::detail
