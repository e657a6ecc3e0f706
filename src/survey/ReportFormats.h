// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "survey/ReportData.h"

namespace trelmark::survey {

// The three outputs of the report tool, each built whole from one survey's data. Free functions without
// state; any thread; they never fail.

// As the window shows it: the drive figures with their captions, then the grid's header and the rows the
// run reached, in the program's number formats, columns aligned for a terminal (wide characters count two).
[[nodiscard]] std::string formatText(const ReportData& data);

// RFC 4180 (CRLF line ends, a header record, quoting where needed), raw numbers with "." as the decimal
// point: shares as plain ratios, bytes and counts as exact integers, and per record whether every figure is
// exact. The drive's figures come first, as records of the kinds drive_total and drive_available. The last
// field, measured_bytes, is set on the ALL FILES record only: what the walk measured, where `bytes` shows the
// drive's total size for the root of a drive, as the window does.
[[nodiscard]] std::string formatCsv(const ReportData& data);

// One object: target, drive figures, flags, rows with raw numbers (null where the run wrote nothing; the
// ALL FILES row's measured_bytes as in formatCsv), and
// the directories that could not be read. Names are valid UTF-8 (bytes that are not UTF-8 escaped as \xHH)
// with the raw bytes beside them in base64.
[[nodiscard]] std::string formatJson(const ReportData& data);

}  // namespace trelmark::survey
