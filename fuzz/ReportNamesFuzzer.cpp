// SPDX-License-Identifier: MIT
// The report tool's outputs around names of any bytes: json, csv and text are valid UTF-8 with no control
// character inside a line, every name and path reads back to its exact bytes (json through its escapes and
// through base64, csv through its quoting), and the records keep their shape whatever a name holds.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "FuzzInput.h"
#include "survey/NumberFormat.h"
#include "survey/ReportFormats.h"
#include "util/DisplayName.h"
#include "util/Utf8.h"

namespace {

using trelmark::fuzz::check;
namespace survey = trelmark::survey;
namespace util = trelmark::util;

survey::ReportData reportNaming(std::string_view raw, std::uint64_t bytes, bool complete) {
    survey::ReportData data;
    data.target = std::string(raw);
    data.counted = true;
    data.driveTotalSize = trelmark::fs::Figure{bytes, true};
    data.driveAvailableSpace = trelmark::fs::Figure{bytes / 2, true};
    data.rows.resize(3);
    const trelmark::fs::Figure size{bytes, complete};
    data.rows[0].emplace().kind = survey::RowKind::AllFiles;
    data.rows[0]->name = "ALL FILES";
    data.rows[0]->bytes = size;
    data.rows[0]->measuredBytes = size;
    data.rows[1].emplace().kind = survey::RowKind::OwnFiles;
    data.rows[1]->name = ".";
    data.rows[2].emplace().kind = survey::RowKind::SubDirectory;
    data.rows[2]->name = std::string(raw);
    data.rows[2]->bytes = size;
    data.rows[2]->totalShare = survey::shareBetween(size, {bytes, true});
    data.problems.push_back({std::string(raw), std::make_error_code(std::errc::permission_denied)});
    return data;
}

// No control character but the line ends, and lines that are valid UTF-8.
void checkLines(std::string_view output, std::string_view format, std::string_view raw) {
    check(util::isValidUtf8(output), "the output is valid UTF-8", raw, output);
    for (std::size_t i = 0; i < output.size(); ++i) {
        const auto byte = static_cast<unsigned char>(output[i]);
        const bool lineEnd = byte == '\n' || (format == "csv" && byte == '\r' && i + 1 < output.size() &&
                                              output[i + 1] == '\n');
        check(lineEnd || (byte >= 0x20 && byte != 0x7F), "no control character inside a line", raw, output);
    }
}

// The json string that follows `"key": ` after `from`, unescaped; `found` false when there is none.
std::string jsonValue(std::string_view json, std::string_view key, std::size_t& from, bool& found) {
    const std::string opening = "\"" + std::string(key) + "\": \"";
    const std::size_t start = json.find(opening, from);
    found = start != std::string_view::npos;
    std::string value;
    if (!found) {
        return value;
    }
    std::size_t i = start + opening.size();
    for (; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] != '\\') {
            value += json[i];
            continue;
        }
        check(i + 1 < json.size(), "json: an escape is complete", key, json);
        const char escaped = json[++i];
        if (escaped == 'u') {
            check(i + 4 < json.size(), "json: a \\u escape has four digits", key, json);
            value += static_cast<char>(std::stoi(std::string(json.substr(i + 1, 4)), nullptr, 16));
            i += 4;
        } else {
            check(escaped == '"' || escaped == '\\', "json escapes only what it must", key, json);
            value += escaped;
        }
    }
    from = i;
    return value;
}

std::string fromBase64(std::string_view text) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        const std::size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) {
            break;
        }
        group = (group << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return out;
}

void checkJson(const survey::ReportData& data, std::string_view raw) {
    const std::string json = survey::formatJson(data);
    checkLines(json, "json", raw);
    bool found = false;
    std::size_t at = 0;
    check(util::rawName(jsonValue(json, "target", at, found)) == raw, "json: the target reads back", raw,
          json);
    check(fromBase64(jsonValue(json, "target_base64", at, found)) == raw, "json: the target's base64", raw,
          json);
    at = json.find("\"kind\": \"dir\"");
    check(at != std::string::npos, "json: the directory row is there", raw, json);
    check(util::rawName(jsonValue(json, "name", at, found)) == raw, "json: the name reads back", raw, json);
    check(fromBase64(jsonValue(json, "name_base64", at, found)) == raw, "json: the name's base64", raw, json);
    check(util::rawName(jsonValue(json, "path", at, found)) == raw && found, "json: the error's path", raw,
          json);
}

std::vector<std::string> csvFields(std::string_view record) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (quoted && record[i] == '"' && i + 1 < record.size() && record[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (record[i] == '"') {
            quoted = !quoted;
        } else if (record[i] == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += record[i];
        }
    }
    return fields;
}

void checkCsv(const survey::ReportData& data, std::string_view raw) {
    const std::string csv = survey::formatCsv(data);
    checkLines(csv, "csv", raw);
    std::vector<std::string> records;
    for (std::size_t start = 0; start < csv.size();) {
        const std::size_t end = csv.find("\r\n", start);
        check(end != std::string::npos, "csv: every record ends in CRLF", raw, csv);
        records.emplace_back(csv.substr(start, end - start));
        start = end + 2;
    }
    check(records.size() == 6, "csv: a header, two drive records and three rows", raw, csv);
    for (const std::string& record : records) {
        check(csvFields(record).size() == 9, "csv: nine fields in every record", raw, record);
    }
    check(util::rawName(csvFields(records[5])[1]) == raw, "csv: the name reads back", raw, records[5]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trelmark::fuzz::FuzzInput input(data, size);
    const auto bytes = input.take<std::uint64_t>();
    const auto flags = input.take<std::uint8_t>();
    const std::string_view raw = input.rest();
    const survey::ReportData report = reportNaming(raw, bytes, (flags & 1) != 0);
    checkJson(report, raw);
    checkCsv(report, raw);
    checkLines(survey::formatText(report), "text", raw);
    return 0;
}
