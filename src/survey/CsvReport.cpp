// SPDX-License-Identifier: MIT
#include <charconv>
#include <string_view>

#include "survey/ReportFormats.h"

namespace trelmark::survey {

namespace detail {

std::string plainDecimal(double value) {
    char text[400];
    const auto result = std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed);
    return result.ec == std::errc{} ? std::string(text, result.ptr) : std::string("0");
}

std::string csvField(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(field);
    }
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

}  // namespace detail

namespace {

std::string figureField(const std::optional<fs::Figure>& figure) {
    return figure ? std::to_string(figure->value) : std::string();
}

std::string shareField(const std::optional<survey::Share>& share) {
    return share ? detail::plainDecimal(share->value) : std::string();
}

std::string header() {
    std::string fields = "kind";
    for (const survey::Column column : survey::kColumns) {
        fields += ',';
        fields += survey::columnKey(column);
    }
    return fields + ",complete," + std::string(survey::kMeasuredBytesKey);
}

std::string record(const survey::SurveyRow& row) {
    std::string out(survey::rowKindKey(row.kind));
    out += ',' + detail::csvField(row.text(survey::Column::Name));
    out += ',' + figureField(row.bytes);
    out += ',' + shareField(row.totalShare);
    out += ',' + shareField(row.usedShare);
    out += ',' + figureField(row.files);
    out += ',' + figureField(row.dirs);
    out += row.complete() ? ",true," : ",false,";
    out += figureField(row.measuredBytes);
    return out;
}

void appendRecord(std::string& out, std::string_view record) {
    out += record;
    out += "\r\n";
}

}  // namespace

std::string formatCsv(const ReportData& data) {
    std::string out;
    appendRecord(out, header());
    if (data.driveTotalSize && data.driveAvailableSpace) {
        appendRecord(out, "drive_total,," + figureField(data.driveTotalSize) + ",,,,,true,");
        appendRecord(out, "drive_available,," + figureField(data.driveAvailableSpace) + ",,,,,true,");
    }
    for (const survey::SurveyRow& row : data.reachedRows()) {
        appendRecord(out, record(row));
    }
    return out;
}

}  // namespace trelmark::survey
