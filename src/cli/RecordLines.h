// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fs/Figure.h"
#include "survey/SurveyRow.h"

namespace trelmark::cli {

// The lines the survey process sends the command that supervises it: one JSON object a line, each written
// whole by one function below and read back by parseRecord. A row's line is also what `--live` prints.
// Free functions without state; any thread; they never fail (a line that cannot be read is an Unreadable).

// Row `index` of the survey as it now stands (ALL FILES is 0), `seconds` after the survey began: kind, name
// as text and as base64 of its raw bytes, each figure with its completeness (both null while unknown), the
// row's complete flag. One line, ending in "\n".
[[nodiscard]] std::string rowRecord(int index, const survey::SurveyRow& row, double seconds);
[[nodiscard]] std::string driveRecord(fs::Figure total, fs::Figure available);
[[nodiscard]] std::string progressRecord(std::uint64_t entries, std::uint64_t bytes);
[[nodiscard]] std::string directoryRecord(std::string_view rawPath);
// The walk has ended: what remains (the report, a save, a compare) reads no surveyed file system.
[[nodiscard]] std::string walkedRecord();
// The end of the survey: the exit status, the diagnostics for stderr and the size of the report, whose
// bytes follow the line as they are, with no line of their own.
[[nodiscard]] std::string endRecord(int status, const std::vector<std::string>& messages,
                                    std::size_t reportBytes);

struct RowRecord {
    int index = 0;
    survey::SurveyRow row;
};
struct DriveRecord {
    fs::Figure total;
    fs::Figure available;
};
struct ProgressRecord {
    std::uint64_t entries = 0;
    std::uint64_t bytes = 0;
};
struct DirectoryRecord {
    std::string rawPath;
};
struct WalkedRecord {};
struct EndRecord {
    int status = 0;
    std::vector<std::string> messages;
    std::size_t reportBytes = 0;
};
struct Unreadable {};

using Record = std::variant<Unreadable, RowRecord, DriveRecord, ProgressRecord, DirectoryRecord, WalkedRecord,
                            EndRecord>;

// One line as a record function wrote it, without or with its "\n".
[[nodiscard]] Record parseRecord(std::string_view line);
// The index of a row's line, read from its start alone (a row's figures are read only when needed); empty
// for any other line.
[[nodiscard]] std::optional<std::size_t> rowIndex(std::string_view line);

// Standard base64 back to bytes; empty where `text` is not base64.
[[nodiscard]] std::optional<std::string> fromBase64(std::string_view text);

}  // namespace trelmark::cli
