// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "store/StoredTree.h"
#include "survey/SurveyRow.h"

namespace trelmark::store {

// A row of a survey beside the same row of an earlier one.
struct ComparedRow {
    enum class Status {
        Kept,     // in both
        New,      // only in the later survey
        Removed,  // only in the earlier one: the row has its kind and name, no figures
    };
    survey::SurveyRow row;
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

}  // namespace trelmark::store
