// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "util/Result.h"

namespace trelmark::fs {

// What an entry is to someone browsing: a directory can be opened, anything else is a file.
enum class EntryKind { Directory, File };

struct DirectoryEntry {
    std::string name;  // raw bytes, as the system gives them
    EntryKind kind = EntryKind::File;

    friend bool operator==(const DirectoryEntry&, const DirectoryEntry&) = default;
};

// The entries of one directory, read once, for the window's directory and file lists: "." and ".." left out,
// sorted as the component enumerates (by name, case-insensitive for ASCII letters, ties by the exact bytes).
// A symbolic link to a directory is a directory here, since browsing follows it; the survey never does.
// Owns only its names. Thread: any. Errors: read() fails when the directory cannot be opened or read; an
// entry that vanishes between the listing and its stat is left out.
class DirectoryListing {
public:
    [[nodiscard]] static util::Result<DirectoryListing> read(const std::string& path);

    [[nodiscard]] const std::vector<DirectoryEntry>& entries() const noexcept { return m_entries; }
    // The names of one kind, in the listing's order.
    [[nodiscard]] std::vector<std::string> names(EntryKind kind) const;

private:
    std::vector<DirectoryEntry> m_entries;
};

}  // namespace trelmark::fs
