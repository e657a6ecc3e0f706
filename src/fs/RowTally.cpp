// SPDX-License-Identifier: MIT
#include "fs/RowTally.h"

namespace trelmark::fs {

namespace {

// Adds without wrapping; false when the sum stuck at the maximum.
bool addSaturating(std::atomic<std::uint64_t>& sum, std::uint64_t addend) noexcept {
    std::uint64_t seen = sum.load(std::memory_order_relaxed);
    std::uint64_t next = 0;
    bool fits = true;
    do {
        next = seen;
        fits = fs::addSaturating(next, addend);
    } while (!sum.compare_exchange_weak(seen, next, std::memory_order_relaxed));
    return fits;
}

}  // namespace

RowTally::RowTally(RowFigures own, std::vector<Start> rows) : m_own(own), m_rows(rows.size()) {
    for (std::size_t at = 0; at < rows.size(); ++at) {
        Row& row = m_rows[at];
        row.name = std::move(rows[at].name);
        row.outstanding.store(rows[at].outstanding ? 1 : 0, std::memory_order_relaxed);
        row.flags.store(rows[at].incomplete ? kIncomplete : 0, std::memory_order_relaxed);
    }
}

bool RowTally::gone(std::uint32_t row) const noexcept {
    return (m_rows[row].flags.load(std::memory_order_relaxed) & kGone) != 0;
}

RowFigures RowTally::figures(std::uint32_t row) const noexcept {
    const Row& at = m_rows[row];
    // Outstanding first: a row read as done has all its figures in place (each settle adds its figures
    // before it gives back its count).
    const bool done = at.outstanding.load(std::memory_order_acquire) == 0;
    const bool exact = done && (at.flags.load(std::memory_order_relaxed) & (kIncomplete | kSaturated)) == 0;
    return {Figure{at.bytes.load(std::memory_order_relaxed), exact},
            Figure{at.files.load(std::memory_order_relaxed), exact},
            Figure{at.dirs.load(std::memory_order_relaxed), exact}, exact};
}

void RowTally::settle(std::uint32_t row, std::uint64_t bytes, std::uint64_t files, std::uint64_t directories,
                      std::uint32_t outstanding, bool incomplete) noexcept {
    Row& at = m_rows[row];
    const bool fits = addSaturating(at.bytes, bytes) && addSaturating(at.files, files);
    at.dirs.fetch_add(directories, std::memory_order_relaxed);
    if (!fits || incomplete) {
        at.flags.fetch_or(incomplete ? kIncomplete : kSaturated, std::memory_order_relaxed);
    }
    // One count for the directory settled, its outstanding sub-directories in its place: in one step, so
    // that the count never passes 0 before the last of them is done.
    at.outstanding.fetch_add(static_cast<std::int64_t>(outstanding) - 1, std::memory_order_release);
}

void RowTally::unread(std::uint32_t row, bool vanished, bool rowItself) noexcept {
    Row& at = m_rows[row];
    if (!vanished) {
        at.flags.fetch_or(kIncomplete, std::memory_order_relaxed);
    } else if (rowItself) {
        at.flags.fetch_or(kGone, std::memory_order_relaxed);
    } else {
        at.dirs.fetch_sub(1, std::memory_order_relaxed);  // its parent counted it as listed
    }
    at.outstanding.fetch_sub(1, std::memory_order_release);
}

void RowTally::elsewhere(std::uint32_t row) noexcept {
    m_rows[row].outstanding.fetch_sub(1, std::memory_order_release);
}

}  // namespace trelmark::fs
