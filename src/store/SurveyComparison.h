// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "fs/WalkedTree.h"
#include "store/StoredTree.h"
#include "survey/SurveyRow.h"
#include "survey/SurveyTree.h"

namespace trelmark::store {

// A row of a survey beside the same row of an earlier one.
struct ComparedRow {
    enum class Status {
        Kept,     // in both
        New,      // only in the later survey
        Removed,  // only in the earlier one: the row has its kind and name, no figures
    };
    survey::SurveyRow row;
    std::string path;       // in a listing of the tree (survey::TreeRow): the directory's path, raw bytes
    std::size_t depth = 0;  // and its level below the listed directory
    Status status = Status::Kept;
    // Now minus then (a removed row: minus then, a new one: now); empty where a side lacks the figure.
    std::optional<std::int64_t> bytes;
    std::optional<std::int64_t> files;
    std::optional<std::int64_t> dirs;
    bool exact = true;  // both figures behind each change are exact
};

// Joins the rows of a survey of `path` (ALL FILES, ".", a row per sub-directory) with the earlier survey
// `old` by path: each row gains its change, rows `old` lacks are New, and `old`'s sub-directories that are
// gone follow as Removed, in the component's order. A `path` that `old` does not hold makes every row New.
// Fails (std::errc::bad_message) where `old` is damaged.
[[nodiscard]] util::Result<std::vector<ComparedRow>> compareRows(const std::vector<survey::SurveyRow>& rows,
                                                                 std::string_view path, StoredTree& old);

// Joins a listing of the tree down to `depth` levels (survey::SurveyTree::down) with `old` by path, reading
// of `old` only the directories listed: each row gains its change or is New; below each listed directory
// above `depth` whose contents `now` knows (the walk or file behind the listing), `old`'s sub-directories
// that are gone follow its own as Removed rows, in the component's order, each listed once with what it held.
[[nodiscard]] util::Result<std::vector<ComparedRow>> compareDepthListing(
    const std::vector<survey::TreeRow>& listing, std::size_t depth, const fs::WalkedTree& now,
    StoredTree& old);

// Joins a listing of the `count` largest directories below `path` (survey::SurveyTree::largest) with `old`
// by path. Each row gains its change or is New; then, largest first, those of `old`'s `count` largest
// directories below `path` that `now` no longer holds, as Removed (finding them reads all of `old` below
// `path`).
[[nodiscard]] util::Result<std::vector<ComparedRow>> compareTopListing(
    const std::vector<survey::TreeRow>& listing, std::size_t count, std::string_view path,
    const fs::WalkedTree& now, StoredTree& old);

}  // namespace trelmark::store
