// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

namespace trelmark::fs {

enum class NodeState : std::uint8_t {
    Pending,     // not read (yet): the walk was stopped before it got here
    Read,        // listed completely
    Unreadable,  // could not be opened or listed; `error` says why
    OtherMount,  // the root of another mount: counted as a directory, not entered
    Vanished,    // listed by its parent, gone when it was opened: not counted
};

enum NodeFlag : std::uint8_t {
    kEntriesUnmeasured = 1U << 0,  // some entries were listed but could not be measured
    kStoppedInside = 1U << 1,      // the walk was stopped while this directory was being listed
    kSaturated = 1U << 2,          // a sum reached 2^64 - 1
    kSubtreeIncomplete = 1U << 3,  // this or a directory below is not measured completely
    kMountsBelow = 1U << 4,        // walk-time: the mount table shows mounts below this directory
    kCheckMount = 1U << 5,         // walk-time: listed without a stat; its mount is checked when opened
};

// The row of a directory that lies in no row: the walk's root.
inline constexpr std::uint32_t kNoRow = UINT32_MAX;

// What the walk keeps of one directory: aggregates only, never a record per file. 72 bytes plus the name.
// The children of a directory occupy one contiguous index range, sorted in the component's order, and every
// child has a higher index than its parent, so one backward pass over the indices sums a tree bottom-up.
struct DirNode {
    std::uint64_t ownBytes;    // apparent size of the files directly inside
    std::uint64_t totalBytes;  // ... and of every file below
    std::uint64_t totalFiles;  // files directly inside and below
    const char* name;          // owned by the snapshot's name arena; not terminated
    std::uint32_t ownFiles;    // files directly inside (saturates)
    std::uint32_t totalDirs;   // directories below, this one not counted
    std::uint32_t parent;
    std::uint32_t firstChild;
    std::uint32_t childCount;  // vanished children included; they are skipped when asked
    // Walk-time only: the descriptor children are opened against, and how many of them still have to
    // (detail::ParentDescriptors keeps the rules).
    std::int32_t fd;
    std::uint32_t pendingOpens;
    std::uint16_t nameLength;
    NodeState state;
    std::uint8_t flags;
    std::uint16_t error;  // errno for Unreadable and for kEntriesUnmeasured
    std::uint32_t row;    // walk-time: the child of the root it lies under (RowTally), or kNoRow

    [[nodiscard]] std::string_view nameView() const noexcept { return {name, nameLength}; }
    [[nodiscard]] bool complete() const noexcept { return (flags & kSubtreeIncomplete) == 0; }
};
// The row fits in what was the struct's tail padding: memory per directory counts on large trees.
static_assert(sizeof(DirNode) == 72);

}  // namespace trelmark::fs
