// SPDX-License-Identifier: MIT
#include <string_view>

#include "survey/RecordFields.h"
#include "survey/ReportFormats.h"

namespace trelmark::survey {

namespace {

std::string header() {
    return "kind," + std::string(columnKey(Column::Name)) + csvFigureKeys() + ",complete," +
           std::string(kMeasuredBytesKey);
}

std::string record(const SurveyRow& row) {
    std::string out(rowKindKey(row.kind));
    out += ',' + csvField(row.text(Column::Name));
    out += csvFigures(row);
    out += row.complete() ? ",true," : ",false,";
    if (row.measuredBytes) {
        out += std::to_string(row.measuredBytes->value);
    }
    return out;
}

}  // namespace

std::string formatCsv(const ReportData& data) {
    std::string out = header() + "\r\n";
    out += csvDriveRecords(data, 2, ",");
    for (const SurveyRow& row : data.reachedRows()) {
        out += record(row) + "\r\n";
    }
    return out;
}

}  // namespace trelmark::survey
