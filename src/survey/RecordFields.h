// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "survey/ReportData.h"
#include "survey/SurveyRow.h"

namespace trelmark::survey {

// The pieces every csv and json output of a survey is made of: the row formats, the tree listings, the live
// stream and the comparisons. A figure's field is keyed by its column (columnKey), so that a column is
// spelled once for every output. Free functions without state; any thread; they never fail.

// A ratio in plain decimal notation, as short as reads back exactly; never an exponent, never a comma.
[[nodiscard]] std::string plainDecimal(double value);
// A csv field, quoted where RFC 4180 asks for it.
[[nodiscard]] std::string csvField(std::string_view field);
// A JSON string of UTF-8 text, and raw bytes in base64.
[[nodiscard]] std::string jsonString(std::string_view text);
[[nodiscard]] std::string base64(std::string_view bytes);

// ",bytes,total_share,used_share,files,dirs": the figure columns' keys, each after a comma.
[[nodiscard]] std::string csvFigureKeys();
// The figure columns of `row` in the same order, each after a comma, empty where the run wrote nothing.
[[nodiscard]] std::string csvFigures(const SurveyRow& row);
// The drive's two records (none when the drive is unknown), CRLF-terminated: the kind, `fieldsBeforeBytes`
// empty fields, the figure in the bytes column, the other figure columns empty, "true", then `tail`.
[[nodiscard]] std::string csvDriveRecords(const ReportData& data, std::size_t fieldsBeforeBytes,
                                          std::string_view tail);

// The figure columns of `row` as JSON members, each after ", " (null where the run wrote nothing);
// `afterSize` is put right after the bytes member.
[[nodiscard]] std::string jsonFigures(const SurveyRow& row, std::string_view afterSize = {});
// A figure as a JSON value: its number, or null.
[[nodiscard]] std::string jsonFigure(const std::optional<fs::Figure>& figure);
// The object members that open every json output: target, target_base64 and the drive's figures, each on a
// line of its own indented by two blanks.
[[nodiscard]] std::string jsonTargetMembers(const ReportData& data);
// The member "errors": the directories that could not be read, closing the object's members.
[[nodiscard]] std::string jsonErrorsMember(const ReportData& data);

}  // namespace trelmark::survey
