// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include <dirent.h>

#include "util/Result.h"

namespace trelmark::fs {

// Lists an open directory in large batches with getdents64(): one system call for hundreds of entries, and
// each entry's type without a stat where the file system provides it. Owns its buffer.
// Thread: one user at a time. Errors: a failed read is returned; the entries before it have been handed out.
class DirectoryReader {
public:
    DirectoryReader() : m_buffer(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

    // Hands every entry of the next batch but "." and ".." to onEntry(const char* name, std::size_t length,
    // unsigned char type), the name terminated. False when the directory has no more entries.
    template <class OnEntry>
    [[nodiscard]] util::Result<bool> readBatch(int directory, OnEntry&& onEntry);

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    std::unique_ptr<char[]> m_buffer;
};

template <class OnEntry>
util::Result<bool> DirectoryReader::readBatch(int directory, OnEntry&& onEntry) {
    ssize_t got = 0;
    do {
        got = ::getdents64(directory, m_buffer.get(), kBufferSize);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return util::lastSystemError();
    }
    for (ssize_t offset = 0; offset < got;) {
        const auto* entry = reinterpret_cast<const dirent64*>(m_buffer.get() + offset);
        offset += entry->d_reclen;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        onEntry(name, std::strlen(name), entry->d_type);
    }
    return got > 0;
}

}  // namespace trelmark::fs
