// SPDX-License-Identifier: MIT
#include <cstdint>
#include <string_view>

#include "survey/ReportFormats.h"
#include "util/DisplayName.h"

namespace trelmark::survey {

namespace detail {

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

// A JSON string of UTF-8 text.
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

}  // namespace detail

namespace {

using detail::base64;
using detail::jsonString;

const char* jsonBool(bool value) {
    return value ? "true" : "false";
}

std::string figureOrNull(const std::optional<fs::Figure>& figure) {
    return figure ? std::to_string(figure->value) : std::string("null");
}

std::string shareOrNull(const std::optional<survey::Share>& share) {
    return share ? detail::plainDecimal(share->value) : std::string("null");
}

std::string key(survey::Column column) {
    return ", \"" + std::string(survey::columnKey(column)) + "\": ";
}

std::string rowObject(const survey::SurveyRow& row) {
    using survey::Column;
    return "{\"kind\": \"" + std::string(survey::rowKindKey(row.kind)) + "\"" + key(Column::Name) +
           jsonString(row.text(Column::Name)) + ", \"name_base64\": " + jsonString(base64(row.name)) +
           key(Column::Size) + figureOrNull(row.bytes) + ", \"" + std::string(survey::kMeasuredBytesKey) +
           "\": " + figureOrNull(row.measuredBytes) + key(Column::TotalShare) + shareOrNull(row.totalShare) +
           key(Column::UsedShare) + shareOrNull(row.usedShare) + key(Column::Files) +
           figureOrNull(row.files) + key(Column::Dirs) + figureOrNull(row.dirs) +
           ", \"complete\": " + jsonBool(row.complete()) + "}";
}

}  // namespace

std::string formatJson(const ReportData& data) {
    std::string out = "{\n";
    out += "  \"target\": " + jsonString(util::displayName(data.target)) + ",\n";
    out += "  \"target_base64\": " + jsonString(base64(data.target)) + ",\n";
    out += "  \"drive_total_bytes\": " + figureOrNull(data.driveTotalSize) + ",\n";
    out += "  \"drive_available_bytes\": " + figureOrNull(data.driveAvailableSpace) + ",\n";
    out += std::string("  \"counted\": ") + jsonBool(data.counted) + ",\n";
    out += std::string("  \"partial\": ") + jsonBool(data.partial()) + ",\n";
    out += std::string("  \"cancelled\": ") + jsonBool(data.cancelled) + ",\n";
    out += "  \"failure\": " +
           (data.failure ? jsonString(describeFailure(*data.failure)) : std::string("null")) + ",\n";
    out += "  \"rows\": [";
    const std::vector<survey::SurveyRow> rows = data.reachedRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += i == 0 ? "\n    " : ",\n    ";
        out += rowObject(rows[i]);
    }
    out += rows.empty() ? "],\n" : "\n  ],\n";
    out += "  \"errors\": [";
    for (std::size_t i = 0; i < data.problems.size(); ++i) {
        const fs::Problem& problem = data.problems[i];
        out += i == 0 ? "\n    " : ",\n    ";
        out += "{\"path\": " + jsonString(util::displayName(problem.path)) +
               ", \"path_base64\": " + jsonString(base64(problem.path)) +
               ", \"error\": " + jsonString(problem.error.message()) + "}";
    }
    out += data.problems.empty() ? "]\n" : "\n  ]\n";
    out += "}\n";
    return out;
}

}  // namespace trelmark::survey
