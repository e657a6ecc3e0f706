// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fs/Figure.h"
#include "survey/SurveyColumns.h"

namespace trelmark::survey {

// What a row stands for. A front end tells rows apart by this, never by their position.
enum class RowKind {
    AllFiles,      // "ALL FILES": the surveyed directory with everything below it
    OwnFiles,      // ".": the files directly in the surveyed directory
    SubDirectory,  // one sub-directory with everything below it
};

// The machine-readable name of a kind: "all", "files", "dir".
[[nodiscard]] std::string_view rowKindKey(RowKind kind) noexcept;

// A share, 0.123456 for 12.35 %. Not complete when either of the figures behind it was not.
struct Share {
    double value = 0.0;
    bool complete = true;
    friend bool operator==(const Share&, const Share&) = default;
};

// One row of a survey's result: its kind, its name as raw bytes and the figures known so far. A figure not
// (yet) reached is empty; a figure that is only a lower bound says so (`complete` false) and its text ends in
// kIncompleteMark. A plain value: any thread, copied freely.
struct SurveyRow {
    RowKind kind = RowKind::SubDirectory;
    std::string name;  // raw bytes; "ALL FILES" and "." for the first two kinds
    // As the window shows it. For ALL FILES at the root of a drive that is the drive's total size.
    std::optional<fs::Figure> bytes;
    // ALL FILES only: what the walk measured below the directory, also at the root of a drive.
    std::optional<fs::Figure> measuredBytes;
    std::optional<Share> totalShare;  // of the drive's total size
    std::optional<Share> usedShare;   // of everything measured below the directory
    std::optional<fs::Figure> files;
    std::optional<fs::Figure> dirs;

    // Every figure present is exact.
    [[nodiscard]] bool complete() const noexcept;
    // The text the window shows in `column`: the count and share formats, the name with bytes that are not
    // UTF-8 escaped; empty while the figure is not known.
    [[nodiscard]] std::string text(Column column) const;

    friend bool operator==(const SurveyRow&, const SurveyRow&) = default;
};

}  // namespace trelmark::survey
