// SPDX-License-Identifier: MIT
#include <string_view>

#include "survey/RecordFields.h"
#include "survey/ReportFormats.h"

namespace trelmark::survey {

namespace {

const char* jsonBool(bool value) {
    return value ? "true" : "false";
}

std::string rowObject(const SurveyRow& row) {
    const std::string measured =
        ", \"" + std::string(kMeasuredBytesKey) + "\": " + jsonFigure(row.measuredBytes);
    return "{\"kind\": \"" + std::string(rowKindKey(row.kind)) + "\", \"" +
           std::string(columnKey(Column::Name)) + "\": " + jsonString(row.text(Column::Name)) +
           ", \"name_base64\": " + jsonString(base64(row.name)) + jsonFigures(row, measured) +
           ", \"complete\": " + jsonBool(row.complete()) + "}";
}

}  // namespace

std::string formatJson(const ReportData& data) {
    std::string out = "{\n" + jsonTargetMembers(data);
    out += std::string("  \"counted\": ") + jsonBool(data.counted) + ",\n";
    out += std::string("  \"partial\": ") + jsonBool(data.partial()) + ",\n";
    out += std::string("  \"cancelled\": ") + jsonBool(data.cancelled) + ",\n";
    out += "  \"failure\": " +
           (data.failure ? jsonString(describeFailure(*data.failure)) : std::string("null")) + ",\n";
    out += "  \"rows\": [";
    const std::vector<SurveyRow> rows = data.reachedRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += i == 0 ? "\n    " : ",\n    ";
        out += rowObject(rows[i]);
    }
    out += rows.empty() ? "],\n" : "\n  ],\n";
    return out + jsonErrorsMember(data) + "}\n";
}

}  // namespace trelmark::survey
