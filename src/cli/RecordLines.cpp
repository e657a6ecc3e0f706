// SPDX-License-Identifier: MIT
#include "cli/RecordLines.h"

#include <charconv>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "survey/RecordFields.h"
#include "survey/ReportFormats.h"
#include "survey/SurveyColumns.h"

namespace trelmark::cli {

namespace {

using Json = nlohmann::json;
using survey::base64;
using survey::jsonString;

constexpr std::string_view kCompleteSuffix = "_complete";

std::string completeness(const auto& figure) {
    return figure ? (figure->complete ? "true" : "false") : "null";
}

std::string figureField(std::string_view key, const std::optional<fs::Figure>& figure) {
    return ", \"" + std::string(key) + "\": " + (figure ? std::to_string(figure->value) : "null") + ", \"" +
           std::string(key) + std::string(kCompleteSuffix) + "\": " + completeness(figure);
}

std::string shareField(std::string_view key, const std::optional<survey::Share>& share) {
    return ", \"" + std::string(key) + "\": " + (share ? survey::plainDecimal(share->value) : "null") +
           ", \"" + std::string(key) + std::string(kCompleteSuffix) + "\": " + completeness(share);
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds < 0 ? 0.0 : seconds);
    return text;
}

std::optional<std::uint64_t> unsignedAt(const Json& object, std::string_view key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_unsigned()) {
        return std::nullopt;
    }
    return found->get<std::uint64_t>();
}

bool completeAt(const Json& object, const std::string& key) {
    const auto found = object.find(key + std::string(kCompleteSuffix));
    return found == object.end() || !found->is_boolean() || found->get<bool>();
}

std::optional<fs::Figure> figureAt(const Json& object, survey::Column column) {
    const std::string key(survey::columnKey(column));
    const std::optional<std::uint64_t> value = unsignedAt(object, key);
    return value ? std::optional(fs::Figure{*value, completeAt(object, key)}) : std::nullopt;
}

std::optional<survey::Share> shareAt(const Json& object, survey::Column column) {
    const std::string key(survey::columnKey(column));
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number()) {
        return std::nullopt;
    }
    return survey::Share{found->get<double>(), completeAt(object, key)};
}

std::optional<std::string> textAt(const Json& object, std::string_view key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

Record rowOf(const Json& object) {
    using survey::Column;
    const auto index = object.find("index");
    const std::optional<std::string> kind = textAt(object, "kind");
    const std::optional<std::string> name = textAt(object, "name_base64");
    std::optional<std::string> raw = name ? fromBase64(*name) : std::nullopt;
    if (!index->is_number_unsigned() || !kind || !raw) {
        return Unreadable{};
    }
    RowRecord record;
    record.index = static_cast<int>(index->get<std::uint32_t>());
    survey::SurveyRow& row = record.row;
    row.kind = *kind == "all"     ? survey::RowKind::AllFiles
               : *kind == "files" ? survey::RowKind::OwnFiles
                                  : survey::RowKind::SubDirectory;
    row.name = std::move(*raw);
    row.bytes = figureAt(object, Column::Size);
    if (const std::optional<std::uint64_t> measured = unsignedAt(object, survey::kMeasuredBytesKey)) {
        row.measuredBytes = fs::Figure{*measured, completeAt(object, std::string(survey::kMeasuredBytesKey))};
    }
    row.totalShare = shareAt(object, Column::TotalShare);
    row.usedShare = shareAt(object, Column::UsedShare);
    row.files = figureAt(object, Column::Files);
    row.dirs = figureAt(object, Column::Dirs);
    return record;
}

Record endOf(const Json& end) {
    const std::optional<std::uint64_t> status = unsignedAt(end, "status");
    const std::optional<std::uint64_t> bytes = unsignedAt(end, "report_bytes");
    const auto messages = end.find("messages_base64");
    if (!status || !bytes || messages == end.end() || !messages->is_array()) {
        return Unreadable{};
    }
    EndRecord record{static_cast<int>(*status), {}, static_cast<std::size_t>(*bytes)};
    for (const Json& message : *messages) {
        std::optional<std::string> text =
            message.is_string() ? fromBase64(message.get<std::string>()) : std::nullopt;
        if (!text) {
            return Unreadable{};
        }
        record.messages.push_back(std::move(*text));
    }
    return record;
}

Record driveOf(const Json& drive) {
    const std::optional<std::uint64_t> total = unsignedAt(drive, "total");
    const std::optional<std::uint64_t> available = unsignedAt(drive, "available");
    if (!total || !available) {
        return Unreadable{};
    }
    return DriveRecord{{*total, completeAt(drive, "total")}, {*available, completeAt(drive, "available")}};
}

Record progressOf(const Json& progress) {
    const std::optional<std::uint64_t> entries = unsignedAt(progress, "entries");
    const std::optional<std::uint64_t> bytes = unsignedAt(progress, "bytes");
    return entries && bytes ? Record(ProgressRecord{*entries, *bytes}) : Record(Unreadable{});
}

}  // namespace

std::string rowRecord(int index, const survey::SurveyRow& row, double seconds) {
    using survey::Column;
    return "{\"index\": " + std::to_string(index) + ", \"kind\": \"" +
           std::string(survey::rowKindKey(row.kind)) + "\", \"name\": " + jsonString(row.text(Column::Name)) +
           ", \"name_base64\": " + jsonString(base64(row.name)) +
           figureField(survey::columnKey(Column::Size), row.bytes) +
           figureField(survey::kMeasuredBytesKey, row.measuredBytes) +
           shareField(survey::columnKey(Column::TotalShare), row.totalShare) +
           shareField(survey::columnKey(Column::UsedShare), row.usedShare) +
           figureField(survey::columnKey(Column::Files), row.files) +
           figureField(survey::columnKey(Column::Dirs), row.dirs) +
           ", \"complete\": " + (row.complete() ? "true" : "false") +
           ", \"seconds\": " + secondsText(seconds) + "}\n";
}

std::string driveRecord(fs::Figure total, fs::Figure available) {
    return "{\"drive\": {\"total\": " + std::to_string(total.value) +
           ", \"total_complete\": " + (total.complete ? "true" : "false") +
           ", \"available\": " + std::to_string(available.value) +
           ", \"available_complete\": " + (available.complete ? "true" : "false") + "}}\n";
}

std::string progressRecord(std::uint64_t entries, std::uint64_t bytes) {
    return "{\"progress\": {\"entries\": " + std::to_string(entries) +
           ", \"bytes\": " + std::to_string(bytes) + "}}\n";
}

std::string directoryRecord(std::string_view rawPath) {
    return "{\"directory_base64\": " + jsonString(base64(rawPath)) + "}\n";
}

std::string walkedRecord() {
    return "{\"walked\": true}\n";
}

std::string endRecord(int status, const std::vector<std::string>& messages, std::size_t reportBytes) {
    std::string out = "{\"end\": {\"status\": " + std::to_string(status) + ", \"messages_base64\": [";
    for (std::size_t i = 0; i < messages.size(); ++i) {
        out += (i == 0 ? "" : ", ") + jsonString(base64(messages[i]));
    }
    return out + "], \"report_bytes\": " + std::to_string(reportBytes) + "}}\n";
}

Record parseRecord(std::string_view line) {
    const Json object = Json::parse(line, nullptr, false);
    if (!object.is_object()) {
        return Unreadable{};
    }
    if (object.contains("index")) {
        return rowOf(object);
    }
    if (const auto end = object.find("end"); end != object.end() && end->is_object()) {
        return endOf(*end);
    }
    if (const auto drive = object.find("drive"); drive != object.end() && drive->is_object()) {
        return driveOf(*drive);
    }
    if (const auto progress = object.find("progress"); progress != object.end() && progress->is_object()) {
        return progressOf(*progress);
    }
    if (object.contains("walked")) {
        return WalkedRecord{};
    }
    if (const std::optional<std::string> path = textAt(object, "directory_base64")) {
        std::optional<std::string> raw = fromBase64(*path);
        return raw ? Record(DirectoryRecord{std::move(*raw)}) : Record(Unreadable{});
    }
    return Unreadable{};
}

std::optional<std::size_t> rowIndex(std::string_view line) {
    constexpr std::string_view kStart = "{\"index\": ";
    if (!line.starts_with(kStart)) {
        return std::nullopt;
    }
    std::size_t index = 0;
    const char* const digits = line.data() + kStart.size();
    const auto [end, error] = std::from_chars(digits, line.data() + line.size(), index);
    const bool comma = end != digits && end < line.data() + line.size() && *end == ',';
    return error == std::errc{} && comma ? std::optional(index) : std::nullopt;
}

std::optional<std::string> fromBase64(std::string_view text) {
    const auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        return c == '+' ? 62 : c == '/' ? 63 : -1;
    };
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const std::size_t padding =
            last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            const int digit = j >= 4 - padding ? 0 : value(text[i + j]);
            if (digit < 0) {
                return std::nullopt;
            }
            group = group << 6 | static_cast<std::uint32_t>(digit);
        }
        out += static_cast<char>(group >> 16 & 0xFF);
        if (padding < 2) {
            out += static_cast<char>(group >> 8 & 0xFF);
        }
        if (padding < 1) {
            out += static_cast<char>(group & 0xFF);
        }
    }
    return out;
}

}  // namespace trelmark::cli
