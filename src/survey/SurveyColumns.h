// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace trelmark::survey {

// The columns of a survey's result, in the order the window shows them; every front end names and orders
// its columns by this enum, never by a number of its own.
enum class Column { Name, Size, TotalShare, UsedShare, Files, Dirs };
inline constexpr std::size_t kColumnCount = 6;
inline constexpr std::array<Column, kColumnCount> kColumns = {
    Column::Name, Column::Size, Column::TotalShare, Column::UsedShare, Column::Files, Column::Dirs};

// The grid's header as the window has always shown it: each "|" ends a column, its first character ("<" or
// ">") aligns it, and the trailing blanks of its title widen it. The one place these titles are spelled.
inline constexpr std::string_view kGridHeader =
    "<Directory Name      |>Size(bytes)     |>Total%   |>Used%   |>Files      |>Dirs      ";

// The captions beside the drive's two figures, and the unit after them.
inline constexpr std::string_view kDriveTotalCaption = "DriveTotalSize";
inline constexpr std::string_view kDriveAvailableCaption = "DriveAvailableSpace";
inline constexpr std::string_view kByteUnit = "bytes";

enum class Alignment { Left, Right };

// One column's heading, cut from kGridHeader.
struct ColumnHeading {
    std::string_view title;  // trailing blanks kept: they set the column's least width
    Alignment alignment = Alignment::Left;
};

// The heading of `column`. Any thread; never fails.
[[nodiscard]] constexpr ColumnHeading columnHeading(Column column) {
    std::string_view rest = kGridHeader;
    for (auto skip = static_cast<std::size_t>(column); skip > 0; --skip) {
        rest.remove_prefix(rest.find('|') + 1);
    }
    const std::string_view piece = rest.substr(0, rest.find('|'));
    return {piece.substr(1), piece.front() == '<' ? Alignment::Left : Alignment::Right};
}

// The machine-readable name of a column, as the csv header and the json keys spell it.
[[nodiscard]] constexpr std::string_view columnKey(Column column) {
    constexpr std::array<std::string_view, kColumnCount> kKeys = {"name",       "bytes", "total_share",
                                                                  "used_share", "files", "dirs"};
    return kKeys[static_cast<std::size_t>(column)];
}

// The key of SurveyRow::measuredBytes beside the columns' keys: not a column of the window's grid.
inline constexpr std::string_view kMeasuredBytesKey = "measured_bytes";

}  // namespace trelmark::survey
