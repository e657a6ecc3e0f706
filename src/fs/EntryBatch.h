// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "fs/DirNode.h"
#include "fs/EntryRules.h"
#include "fs/KnownMounts.h"
#include "util/UniqueFd.h"

namespace trelmark::fs::detail {

// Where a directory lives: sub-directories on another mount are counted but not entered.
struct Mount {
    bool hasId = false;
    std::uint64_t id = 0;
    dev_t device = 0;

    [[nodiscard]] static Mount of(const struct statx& status) noexcept {
        return {(status.stx_mask & STATX_MNT_ID) != 0, status.stx_mnt_id,
                makedev(status.stx_dev_major, status.stx_dev_minor)};
    }
    [[nodiscard]] bool same(const Mount& other) const noexcept {
        return hasId && other.hasId ? id == other.id : device == other.device;
    }
};

// A sub-directory found while listing its parent, before it gets its node.
struct Found {
    std::uint32_t nameOffset;
    std::uint16_t nameLength;
    NodeState state;
    std::uint8_t flags;  // kMountsBelow
    std::uint16_t error;
};

// What measuring some of a directory's entries found: its files summed, its sub-directories, and the first
// entry that could not be measured. Thread: one owner.
struct EntryTally {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    bool saturated = false;
    int unmeasured = 0;
    std::string unmeasuredName;
    std::string foundNames;
    std::vector<Found> found;

    void addFile(std::uint64_t size) noexcept;
    void addDirectory(std::string_view name, NodeState state, std::uint8_t flags, int error);
    void addUnmeasured(std::string_view name, int error);
    void merge(const EntryTally& other);
    // Empties it for the next directory, keeping the memory.
    void clear() noexcept;
};

// Entries as one getdents64() batch listed them, waiting to be measured.
struct ListedEntries {
    struct Entry {
        std::uint32_t offset;
        std::uint16_t length;
        unsigned char type;
    };
    std::string names;  // each terminated, for the system calls
    std::vector<Entry> entries;

    void add(const char* name, std::size_t length, unsigned char type);
    [[nodiscard]] const char* name(const Entry& entry) const noexcept { return names.data() + entry.offset; }
};

// How to measure the entries of one directory: against its descriptor, with the walk's mount, and with the
// mounts known to lie in it, under the walk's rules. `relativePath` is set only for a directory that leads
// to a known mount, or when the rules match paths.
struct EntryMeasure {
    int directory = -1;
    Mount mount;
    const KnownMounts* mounts = nullptr;
    std::string relativePath;
    const EntryRules* rules = nullptr;  // none: every entry, apparent sizes, every name
    // Directories listed as such are taken without a call; their mount is checked when they are opened.
    // For the walk's root, whose listing gives the rows: one directory that never answers a stat must
    // not hold back its siblings' rows.
    bool deferDirectories = false;

    // One call per entry: a statx() for a directory or an entry of unknown type (type, size and mount at
    // once), an fstatat() for anything else; none for a known mount point, an excluded entry, or a
    // deferred directory.
    void measure(const char* name, std::size_t length, unsigned char type, EntryTally& tally) const;

private:
    [[nodiscard]] std::string childPath(std::string_view name) const;
    void examine(const char* name, std::size_t length, bool listedAsDirectory, EntryTally& tally) const;
    void addFile(const FileFacts& file, EntryTally& tally) const;
};

// One listing batch of a large directory, shared so that idle workers measure its entries beside the
// worker that listed it: no directory is a serial path. Owns a descriptor of its own on the directory, so
// a helper never stats against a closed one, whoever lets go of the batch last. Thread: any.
class EntryBatch {
public:
    EntryBatch(EntryMeasure measure, util::UniqueFd directory, ListedEntries entries);

    // Measures the next few entries not taken yet; false when all have been taken.
    bool helpOnce(std::atomic<std::uint64_t>& entriesSeen, std::atomic<std::uint64_t>& directoriesSeen);
    // Waits until every entry has been measured, or `stop` is set; the tally once they all are.
    [[nodiscard]] bool waitMeasured(const std::atomic<bool>& stop);
    [[nodiscard]] const EntryTally& tally() const noexcept { return m_tally; }

private:
    static constexpr std::uint32_t kChunk = 8;

    EntryMeasure m_measure;
    util::UniqueFd m_directory;
    ListedEntries m_entries;
    std::atomic<std::uint32_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_measuredAll;
    std::uint32_t m_measured = 0;
    EntryTally m_tally;
};

}  // namespace trelmark::fs::detail
