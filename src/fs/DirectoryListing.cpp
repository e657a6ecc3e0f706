// SPDX-License-Identifier: MIT
#include "fs/DirectoryListing.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fs/NameOrder.h"
#include "util/UniqueFd.h"

namespace trelmark::fs {

namespace {

// Owns the stream of fdopendir, which owns the descriptor it was given.
struct DirCloser {
    void operator()(DIR* stream) const noexcept { ::closedir(stream); }
};
using DirStream = std::unique_ptr<DIR, DirCloser>;

bool isDotOrDotDot(const char* name) noexcept {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// DT_UNKNOWN (some file systems never fill d_type) and links need a stat; everything else is decided
// from the directory entry alone.
std::optional<EntryKind> kindOf(int dirFd, const dirent& entry) noexcept {
    unsigned char type = entry.d_type;
    struct stat info {};
    if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return std::nullopt;  // gone since the listing
        }
        type = S_ISDIR(info.st_mode) ? DT_DIR : (S_ISLNK(info.st_mode) ? DT_LNK : DT_REG);
    }
    if (type == DT_DIR) {
        return EntryKind::Directory;
    }
    if (type == DT_LNK && ::fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode)) {
        return EntryKind::Directory;
    }
    return EntryKind::File;
}

}  // namespace

util::Result<DirectoryListing> DirectoryListing::read(const std::string& path) {
    util::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        return util::lastSystemError();
    }
    const int dirFd = fd.get();
    DirStream stream(::fdopendir(fd.get()));
    if (!stream) {
        return util::lastSystemError();
    }
    static_cast<void>(fd.release());

    DirectoryListing listing;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(stream.get());
        if (entry == nullptr) {
            if (errno != 0) {
                return util::lastSystemError();
            }
            break;
        }
        if (isDotOrDotDot(entry->d_name)) {
            continue;
        }
        if (const auto kind = kindOf(dirFd, *entry)) {
            listing.m_entries.push_back({entry->d_name, *kind});
        }
    }
    std::sort(listing.m_entries.begin(), listing.m_entries.end(),
              [](const DirectoryEntry& left, const DirectoryEntry& right) {
                  return NameLess{}(left.name, right.name);
              });
    return listing;
}

std::vector<std::string> DirectoryListing::names(EntryKind kind) const {
    std::vector<std::string> selected;
    for (const DirectoryEntry& entry : m_entries) {
        if (entry.kind == kind) {
            selected.push_back(entry.name);
        }
    }
    return selected;
}

}  // namespace trelmark::fs
