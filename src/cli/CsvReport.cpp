#include <charconv>
#include <string_view>
#include <variant>

#include "cli/ReportFormats.h"

namespace trelmark::cli {

namespace detail {

const char* rowKind(int row) noexcept {
    return row == 1 ? "all" : row == 2 ? "files" : "dir";
}

std::string plainDecimal(double value) {
    char text[400];
    const auto result = std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed);
    return result.ec == std::errc{} ? std::string(text, result.ptr) : std::string("0");
}

bool rowComplete(const ReportRow& row) {
    for (const auto& cell : row) {
        if (!cell) {
            continue;
        }
        if (const auto* figure = std::get_if<fs::Figure>(&cell->value);
            figure != nullptr && !figure->complete) {
            return false;
        }
        if (const auto* share = std::get_if<survey::Share>(&cell->value);
            share != nullptr && !share->complete) {
            return false;
        }
    }
    return true;
}

}  // namespace detail

namespace {

constexpr std::string_view kCsvHeader = "kind,name,bytes,total_share,used_share,files,dirs,complete";

std::string quoted(std::string_view field) {
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

// The raw value behind a cell, empty when the cell was not written.
std::string rawValue(const std::optional<survey::Cell>& cell) {
    if (!cell) {
        return {};
    }
    if (const auto* figure = std::get_if<fs::Figure>(&cell->value)) {
        return std::to_string(figure->value);
    }
    if (const auto* share = std::get_if<survey::Share>(&cell->value)) {
        return detail::plainDecimal(share->value);
    }
    return quoted(cell->text);
}

void appendRecord(std::string& out, std::string_view record) {
    out += record;
    out += "\r\n";
}

}  // namespace

std::string formatCsv(const ReportData& data) {
    std::string out;
    appendRecord(out, kCsvHeader);
    if (data.driveTotalSize && data.driveAvailableSpace) {
        appendRecord(out, "drive_total,," + rawValue(data.driveTotalSize) + ",,,,,true");
        appendRecord(out, "drive_available,," + rawValue(data.driveAvailableSpace) + ",,,,,true");
    }
    for (const int index : data.writtenRows()) {
        const ReportRow& row = data.rows[static_cast<std::size_t>(index)];
        std::string record = detail::rowKind(index);
        for (std::size_t column = 0; column < row.size(); ++column) {
            record += ',';
            record += rawValue(row[column]);
        }
        record += detail::rowComplete(row) ? ",true" : ",false";
        appendRecord(out, record);
    }
    return out;
}

}  // namespace trelmark::cli
