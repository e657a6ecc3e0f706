// SPDX-License-Identifier: MIT
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "support/ReportRunner.h"
#include "support/TempTree.h"

namespace trelmark::test {

// The report's json as Debian's nlohmann-json reads it: 64-bit counts stay exact.
using JsonValue = nlohmann::json;

// The bytes of a base64 text.
[[nodiscard]] std::string fromBase64(std::string_view text);

// Checks shared by the hostile-tree tests: what a run must never do, and its figures held against find.

// The run ended by itself (no signal, no deadline) with one of the statuses the tool documents.
void expectCleanExit(const ProcessRun& run, std::set<int> allowed = {0});

// The json report of a run; fails the test and gives nothing when stdout is not one JSON value.
[[nodiscard]] std::optional<JsonValue> jsonReport(const ProcessRun& run);

// What `find DIR -mindepth 1 -maxdepth 1 -xdev` says: DIR's own non-directories and its sub-directories.
[[nodiscard]] FindTruth findOwnEntries(const std::string& directory);
// What `find DIR -mindepth 1 -xdev` says, as findTruth does, for a DIR that may hold any byte.
[[nodiscard]] FindTruth findWholeTree(const std::string& directory);

// Every row of a json report with --count against find -xdev on the surveyed directory: "ALL FILES" the
// whole tree, "." the directory's own entries, one row per sub-directory (its name read back from base64)
// with that sub-tree's figures. Sub-directories named in `boundaries` are mount points: counted, not
// entered, so their rows are zero. Those named in `moving` change under the walk: they only need a row,
// and "ALL FILES", which holds them, is not checked either.
void expectRowsMatchFind(const JsonValue& report, const std::string& directory,
                         const std::set<std::string>& boundaries = {},
                         const std::set<std::string>& moving = {});

// The raw bytes of a row's name.
[[nodiscard]] std::string rowName(const JsonValue& row);
// The row of that raw name; a null value when there is none.
[[nodiscard]] const JsonValue& rowNamed(const JsonValue& report, const std::string& raw);

}  // namespace trelmark::test
