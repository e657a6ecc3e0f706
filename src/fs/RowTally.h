// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fs/Figure.h"

namespace trelmark::fs {

// The figures of one row while a walk runs: lower bounds until the row is exact.
struct RowFigures {
    Figure bytes;
    Figure files;
    Figure dirs;
    bool exact = false;  // nothing below the row is outstanding or was left unmeasured

    friend bool operator==(const RowFigures&, const RowFigures&) = default;
};

// Running totals per row of a walk: one row for each directory listed directly in the walk's root, in the
// component's order, beside the root's own files. Each directory the walk meets knows its row (the child of
// the root it lies under); a worker adds a directory's figures to that row when it settles the directory,
// never per file. A row also counts its directories still outstanding (listed, not yet read), so it knows
// it is exact the moment its subtree is done.
//
// Made once the root is listed, and published to the thread that waits for the walk, which reads it while
// the workers write. Thread: the writers on the workers, the readers on any thread; every figure is an
// atomic of its own, read relaxed: a reading is a moment's lower bound, exact once `exact` says so.
class RowTally {
public:
    // A row as the root's listing found it.
    struct Start {
        std::string name;  // raw bytes
        bool outstanding;  // still to be read (false: another mount, or unreadable at the listing)
        bool incomplete;   // could not be read: its figures can only be lower bounds
    };
    // `own` are the root's own files: their bytes and count, and its sub-directories.
    RowTally(RowFigures own, std::vector<Start> rows);

    [[nodiscard]] std::uint32_t size() const noexcept { return static_cast<std::uint32_t>(m_rows.size()); }
    [[nodiscard]] std::string_view name(std::uint32_t row) const noexcept { return m_rows[row].name; }
    // The directory of the row vanished after the listing named it.
    [[nodiscard]] bool gone(std::uint32_t row) const noexcept;
    [[nodiscard]] RowFigures figures(std::uint32_t row) const noexcept;
    // The root's own files: exact as soon as they were measured.
    [[nodiscard]] const RowFigures& ownFiles() const noexcept { return m_own; }

    // A directory of `row` was read: its own files, its sub-directories (every one the listing found and
    // that did not vanish), and how many of those are still to be read. Called before those are queued.
    void settle(std::uint32_t row, std::uint64_t bytes, std::uint64_t files, std::uint64_t directories,
                std::uint32_t outstanding, bool incomplete) noexcept;
    // A directory of `row` could not be read: it vanished (the row's own directory, or one below that its
    // parent counted), or it is unreadable.
    void unread(std::uint32_t row, bool vanished, bool rowItself) noexcept;
    // A directory of `row` turned out to be another mount's root: counted, not entered.
    void elsewhere(std::uint32_t row) noexcept;

private:
    enum : std::uint8_t { kIncomplete = 1U << 0, kSaturated = 1U << 1, kGone = 1U << 2 };
    struct Row {
        std::string name;
        std::atomic<std::uint64_t> bytes{0};
        std::atomic<std::uint64_t> files{0};
        std::atomic<std::uint64_t> dirs{0};
        std::atomic<std::int64_t> outstanding{0};
        std::atomic<std::uint8_t> flags{0};
    };

    RowFigures m_own;
    std::vector<Row> m_rows;
};

}  // namespace trelmark::fs
