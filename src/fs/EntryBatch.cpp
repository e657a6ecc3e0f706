// SPDX-License-Identifier: MIT
#include "fs/EntryBatch.h"

#include <chrono>

#include <dirent.h>
#include <fcntl.h>

#include "fs/Figure.h"

namespace trelmark::fs::detail {

namespace {

constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

}  // namespace

void EntryTally::addFile(std::uint64_t size) noexcept {
    ++files;
    saturated |= !addSaturating(bytes, size);
}

void EntryTally::addDirectory(std::string_view name, NodeState state, std::uint8_t flags, int error) {
    found.push_back({static_cast<std::uint32_t>(foundNames.size()), static_cast<std::uint16_t>(name.size()),
                     state, flags, static_cast<std::uint16_t>(error)});
    foundNames.append(name);
}

void EntryTally::addUnmeasured(std::string_view name, int error) {
    ++files;
    if (unmeasured == 0) {
        unmeasured = error;
        unmeasuredName = name;
    }
}

void EntryTally::merge(const EntryTally& other) {
    files += other.files;
    saturated |= other.saturated || !addSaturating(bytes, other.bytes);
    if (unmeasured == 0 && other.unmeasured != 0) {
        unmeasured = other.unmeasured;
        unmeasuredName = other.unmeasuredName;
    }
    const auto base = static_cast<std::uint32_t>(foundNames.size());
    for (Found entry : other.found) {
        entry.nameOffset += base;
        found.push_back(entry);
    }
    foundNames += other.foundNames;
}

void EntryTally::clear() noexcept {
    files = bytes = 0;
    saturated = false;
    unmeasured = 0;
    unmeasuredName.clear();
    foundNames.clear();
    found.clear();
}

void ListedEntries::add(const char* name, std::size_t length, unsigned char type) {
    entries.push_back({static_cast<std::uint32_t>(names.size()), static_cast<std::uint16_t>(length), type});
    names.append(name, length + 1);
}

std::string EntryMeasure::childPath(std::string_view name) const {
    std::string path = relativePath;
    if (!path.empty()) {
        path.push_back('/');
    }
    path.append(name);
    return path;
}

void EntryMeasure::measure(const char* name, std::size_t length, unsigned char type,
                           EntryTally& tally) const {
    const std::string_view view(name, length);
    if (rules != nullptr && rules->excludes(relativePath, name, length)) {
        return;
    }
    if (mounts != nullptr) {
        const std::string path = childPath(view);
        if (mounts->isMount(path)) {
            tally.addDirectory(view, NodeState::OtherMount, 0, 0);
            return;
        }
        if (mounts->leadsToMount(path)) {
            tally.addDirectory(view, NodeState::Pending, kMountsBelow, 0);
            return;
        }
    }
    if (type == DT_DIR && deferDirectories) {
        tally.addDirectory(view, NodeState::Pending, kCheckMount, 0);
        return;
    }
    if (type == DT_DIR || type == DT_UNKNOWN) {
        examine(name, length, type == DT_DIR, tally);
        return;
    }
    struct stat status {};
    if (::fstatat(directory, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {  // else gone since it was listed
            tally.addUnmeasured(view, errno);
        }
        return;
    }
    if (S_ISDIR(status.st_mode)) {
        examine(name, length, true, tally);  // replaced by a directory since it was listed
        return;
    }
    addFile({status.st_size, static_cast<std::uint64_t>(status.st_blocks), status.st_nlink, status.st_dev,
             status.st_ino},
            tally);
}

void EntryMeasure::addFile(const FileFacts& file, EntryTally& tally) const {
    if (rules == nullptr) {
        tally.addFile(file.size > 0 ? static_cast<std::uint64_t>(file.size) : 0);
    } else if (const std::optional<std::uint64_t> bytes = rules->bytesOf(file)) {
        tally.addFile(*bytes);
    }
}

void EntryMeasure::examine(const char* name, std::size_t length, bool listedAsDirectory,
                           EntryTally& tally) const {
    const std::string_view view(name, length);
    struct statx status {};
    constexpr unsigned kWanted =
        STATX_TYPE | STATX_SIZE | STATX_MNT_ID | STATX_BLOCKS | STATX_NLINK | STATX_INO;
    if (::statx(directory, name, kStatxFlags, kWanted, &status) != 0) {
        if (errno == ENOENT) {
            return;
        }
        if (listedAsDirectory) {
            tally.addDirectory(view, NodeState::Unreadable, 0, errno);
        } else {
            tally.addUnmeasured(view, errno);
        }
        return;
    }
    if (!S_ISDIR(status.stx_mode)) {
        addFile({static_cast<std::int64_t>(status.stx_size), status.stx_blocks, status.stx_nlink,
                 makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_ino},
                tally);
        return;
    }
    // A mount made after the walk began, or one the mount table does not show (an automount).
    const bool mountRoot = (status.stx_attributes_mask & status.stx_attributes &
                            (STATX_ATTR_MOUNT_ROOT | STATX_ATTR_AUTOMOUNT)) != 0;
    const bool here = Mount::of(status).same(mount) && !mountRoot;
    tally.addDirectory(view, here ? NodeState::Pending : NodeState::OtherMount, 0, 0);
}

EntryBatch::EntryBatch(EntryMeasure measure, util::UniqueFd directory, ListedEntries entries)
    : m_measure(std::move(measure)), m_directory(std::move(directory)), m_entries(std::move(entries)) {
    m_measure.directory = m_directory.get();
}

bool EntryBatch::helpOnce(std::atomic<std::uint64_t>& entriesSeen,
                          std::atomic<std::uint64_t>& directoriesSeen) {
    const auto total = static_cast<std::uint32_t>(m_entries.entries.size());
    const std::uint32_t first = m_next.fetch_add(kChunk, std::memory_order_relaxed);
    if (first >= total) {
        return false;
    }
    const std::uint32_t end = std::min(total, first + kChunk);
    EntryTally chunk;
    for (std::uint32_t at = first; at < end; ++at) {
        const ListedEntries::Entry& entry = m_entries.entries[at];
        m_measure.measure(m_entries.name(entry), entry.length, entry.type, chunk);
    }
    entriesSeen.fetch_add(end - first, std::memory_order_relaxed);
    directoriesSeen.fetch_add(chunk.found.size(), std::memory_order_relaxed);
    bool all = false;
    {
        const std::lock_guard lock(m_mutex);
        m_tally.merge(chunk);
        m_measured += end - first;
        all = m_measured == total;
    }
    if (all) {
        m_measuredAll.notify_all();
    }
    return end < total;
}

bool EntryBatch::waitMeasured(const std::atomic<bool>& stop) {
    std::unique_lock lock(m_mutex);
    // A helper stuck in a call that never returns holds its chunk: a stop must not wait for it.
    while (m_measured < m_entries.entries.size()) {
        if (stop.load(std::memory_order_relaxed)) {
            return false;
        }
        m_measuredAll.wait_for(lock, std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace trelmark::fs::detail
