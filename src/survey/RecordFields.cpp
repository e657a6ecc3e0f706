// SPDX-License-Identifier: MIT
#include "survey/RecordFields.h"

#include <charconv>
#include <cstdint>
#include <iterator>

#include "util/DisplayName.h"

namespace trelmark::survey {

namespace {

// The figure columns: every column but the name.
constexpr auto figureColumns() {
    std::array<Column, kColumnCount - 1> columns{};
    for (std::size_t i = 1; i < kColumnCount; ++i) {
        columns[i - 1] = kColumns[i];
    }
    return columns;
}

// The figure of `row` in `column`, as a number or `none`.
std::string figureText(const SurveyRow& row, Column column, std::string_view none) {
    const auto figure = [&](const std::optional<fs::Figure>& value) {
        return value ? std::to_string(value->value) : std::string(none);
    };
    const auto share = [&](const std::optional<Share>& value) {
        return value ? plainDecimal(value->value) : std::string(none);
    };
    switch (column) {
        case Column::Size:
            return figure(row.bytes);
        case Column::TotalShare:
            return share(row.totalShare);
        case Column::UsedShare:
            return share(row.usedShare);
        case Column::Files:
            return figure(row.files);
        case Column::Dirs:
            return figure(row.dirs);
        case Column::Name:
            break;
    }
    return std::string(none);
}

}  // namespace

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

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (left > 1) {
            group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        }
        if (left > 2) {
            group |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::string csvFigureKeys() {
    std::string out;
    for (const Column column : figureColumns()) {
        out += ',';
        out += columnKey(column);
    }
    return out;
}

std::string csvFigures(const SurveyRow& row) {
    std::string out;
    for (const Column column : figureColumns()) {
        out += ',' + figureText(row, column, "");
    }
    return out;
}

std::string csvDriveRecords(const ReportData& data, std::size_t fieldsBeforeBytes, std::string_view tail) {
    if (!data.driveTotalSize || !data.driveAvailableSpace) {
        return {};
    }
    const auto record = [&](std::string_view kind, const fs::Figure& figure) {
        SurveyRow row;
        row.bytes = figure;
        std::string out(kind);
        out.append(fieldsBeforeBytes - 1, ',');
        out += csvFigures(row) + ",true";
        out += tail;
        return out + "\r\n";
    };
    return record("drive_total", *data.driveTotalSize) + record("drive_available", *data.driveAvailableSpace);
}

std::string jsonFigure(const std::optional<fs::Figure>& figure) {
    return figure ? std::to_string(figure->value) : std::string("null");
}

std::string jsonFigures(const SurveyRow& row, std::string_view afterSize) {
    std::string out;
    for (const Column column : figureColumns()) {
        out += ", \"" + std::string(columnKey(column)) + "\": " + figureText(row, column, "null");
        if (column == Column::Size) {
            out += afterSize;
        }
    }
    return out;
}

std::string jsonTargetMembers(const ReportData& data) {
    std::string out;
    out += "  \"target\": " + jsonString(util::displayName(data.target)) + ",\n";
    out += "  \"target_base64\": " + jsonString(base64(data.target)) + ",\n";
    out += "  \"drive_total_bytes\": " + jsonFigure(data.driveTotalSize) + ",\n";
    out += "  \"drive_available_bytes\": " + jsonFigure(data.driveAvailableSpace) + ",\n";
    return out;
}

std::string jsonErrorsMember(const ReportData& data) {
    std::string out = "  \"errors\": [";
    for (std::size_t i = 0; i < data.problems.size(); ++i) {
        const fs::Problem& problem = data.problems[i];
        out += i == 0 ? "\n    " : ",\n    ";
        out += "{\"path\": " + jsonString(util::displayName(problem.path)) +
               ", \"path_base64\": " + jsonString(base64(problem.path)) +
               ", \"error\": " + jsonString(problem.error.message()) + "}";
    }
    out += data.problems.empty() ? "]\n" : "\n  ]\n";
    return out;
}

}  // namespace trelmark::survey
