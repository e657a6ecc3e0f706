// SPDX-License-Identifier: MIT
#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/CompareReport.h"
#include "survey/NumberFormat.h"
#include "survey/RecordFields.h"
#include "survey/ReportFormats.h"
#include "util/DisplayName.h"
#include "util/DisplayWidth.h"

namespace trelmark::cli {

namespace {

using Status = store::ComparedRow::Status;

constexpr std::string_view kChangeTitle = "増減";
constexpr std::string_view kNewMark = "新規";
constexpr std::string_view kRemovedMark = "削除";

std::string_view statusKey(Status status) {
    return status == Status::New ? "new" : status == Status::Removed ? "removed" : "kept";
}

// "+1,234", "-1,234" or "0", with "?" after a change whose figures are not both exact.
std::string signedText(const std::optional<std::int64_t>& change, bool exact) {
    if (!change) {
        return {};
    }
    const std::uint64_t size =
        *change < 0 ? 0 - static_cast<std::uint64_t>(*change) : static_cast<std::uint64_t>(*change);
    const std::string sign = *change > 0 ? "+" : *change < 0 ? "-" : "";
    return sign + survey::formatCount(size) + (exact ? "" : "?");
}

struct Cell {
    std::string text;
    bool left = false;
    int width = 0;  // at least
};

// A table as formatText lays it out: columns as wide as their widest cell, blanks between them.
std::string table(const std::vector<std::vector<Cell>>& lines) {
    std::vector<int> widths;
    for (const auto& line : lines) {
        widths.resize(std::max(widths.size(), line.size()), 0);
        for (std::size_t i = 0; i < line.size(); ++i) {
            widths[i] = std::max({widths[i], util::displayWidth(line[i].text), line[i].width});
        }
    }
    std::string out;
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const std::string fill(static_cast<std::size_t>(widths[i] - util::displayWidth(line[i].text)),
                                   ' ');
            text += (i == 0 ? "" : " ") + (line[i].left ? line[i].text + fill : fill + line[i].text);
        }
        text.erase(text.find_last_not_of(' ') + 1);
        out += text + "\n";
    }
    return out;
}

std::string csvChange(const std::optional<std::int64_t>& change) {
    return change ? std::to_string(*change) : std::string();
}

// The compared fields that follow a row's own in csv, with the comma before each.
std::string csvChangeFields(const store::ComparedRow& compared) {
    return "," + csvChange(compared.bytes) + "," + csvChange(compared.files) + "," +
           csvChange(compared.dirs) + (compared.exact ? ",true," : ",false,") +
           std::string(statusKey(compared.status));
}

constexpr std::string_view kCsvChangeKeys = ",bytes_change,files_change,dirs_change,change_complete,status";

// A csv report's head (its header and the drive's records) with the compared fields: named in the header,
// empty in the drive's records, so that every record has the header's fields.
std::string withChangeFields(std::string head) {
    const std::string empty(
        static_cast<std::size_t>(std::count(kCsvChangeKeys.begin(), kCsvChangeKeys.end(), ',')), ',');
    std::string out;
    for (std::size_t at = 0, line = 0; at < head.size(); ++line) {
        const std::size_t end = head.find("\r\n", at);
        const std::size_t stop = end == std::string::npos ? head.size() : end;
        out.append(head, at, stop - at);
        out += line == 0 ? std::string(kCsvChangeKeys) : empty;
        out += "\r\n";
        at = stop + 2;
    }
    return out;
}

void addJsonChangeFields(nlohmann::ordered_json& row, const store::ComparedRow& compared) {
    const auto field = [](const std::optional<std::int64_t>& change) {
        return change ? nlohmann::ordered_json(*change) : nlohmann::ordered_json();
    };
    row["bytes_change"] = field(compared.bytes);
    row["files_change"] = field(compared.files);
    row["dirs_change"] = field(compared.dirs);
    row["change_complete"] = compared.exact;
    row["status"] = statusKey(compared.status);
}

nlohmann::ordered_json comparedWith(const store::StoredTree& old) {
    const store::SurveyFacts& facts = old.facts();
    return {{"file", util::displayName(old.fileName())},
            {"file_base64", survey::base64(old.fileName())},
            {"root_base64", survey::base64(facts.root)},
            {"started", facts.started},
            {"host", facts.host}};
}

std::string dumped(const nlohmann::ordered_json& report) {
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

survey::TreeRow treeRowOf(const store::ComparedRow& compared) {
    return {compared.path, compared.depth, compared.row};
}

std::string titleOf(survey::Column column) {
    const std::string_view title = survey::columnHeading(column).title;
    return std::string(title.substr(0, title.find_last_not_of(' ') + 1));
}

}  // namespace

std::string formatComparedText(const survey::ReportData& data, const std::vector<store::ComparedRow>& rows) {
    survey::ReportData drive = data;
    drive.rows.clear();
    std::string out = survey::formatText(drive);
    const bool counted =
        std::any_of(rows.begin(), rows.end(), [](const auto& row) { return row.row.files.has_value(); });
    using survey::Column;
    std::vector<std::vector<Cell>> lines;
    std::vector<Cell>& header = lines.emplace_back();
    for (const Column column : survey::kColumns) {
        if (!counted && (column == Column::Files || column == Column::Dirs)) {
            continue;
        }
        header.push_back({titleOf(column), column == Column::Name,
                          util::displayWidth(survey::columnHeading(column).title)});
        if (column == Column::Size || column == Column::Files || column == Column::Dirs) {
            header.push_back({std::string(kChangeTitle)});
        }
    }
    for (const store::ComparedRow& compared : rows) {
        std::vector<Cell>& line = lines.emplace_back();
        for (const Column column : survey::kColumns) {
            if (!counted && (column == Column::Files || column == Column::Dirs)) {
                continue;
            }
            line.push_back({compared.row.text(column), column == Column::Name});
            const auto& change = column == Column::Size    ? compared.bytes
                                 : column == Column::Files ? compared.files
                                                           : compared.dirs;
            if (column == Column::Size || column == Column::Files || column == Column::Dirs) {
                line.push_back({signedText(change, compared.exact)});
            }
        }
        line.push_back({std::string(compared.status == Status::New       ? kNewMark
                                    : compared.status == Status::Removed ? kRemovedMark
                                                                         : ""),
                        true});
    }
    return out + (out.empty() ? "" : "\n") + table(lines);
}

std::string formatComparedCsv(const survey::ReportData& data, const std::vector<store::ComparedRow>& rows) {
    survey::ReportData head = data;
    head.rows.clear();
    std::string out = withChangeFields(survey::formatCsv(head));
    survey::ReportData one;
    for (const store::ComparedRow& compared : rows) {
        one.rows = {compared.row};
        std::string record = survey::formatCsv(one);
        record.erase(0, record.find("\r\n") + 2);
        record.resize(record.size() - 2);
        out += record + csvChangeFields(compared) + "\r\n";
    }
    return out;
}

std::string formatComparedJson(const survey::ReportData& data, const std::vector<store::ComparedRow>& rows,
                               const store::StoredTree& old) {
    survey::ReportData head = data;
    head.rows.clear();
    nlohmann::ordered_json report = nlohmann::ordered_json::parse(survey::formatJson(head));
    survey::ReportData one;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const store::ComparedRow& compared : rows) {
        one.rows = {compared.row};
        nlohmann::ordered_json row = nlohmann::ordered_json::parse(survey::formatJson(one))["rows"][0];
        addJsonChangeFields(row, compared);
        list.push_back(std::move(row));
    }
    report["rows"] = std::move(list);
    report["compared_with"] = comparedWith(old);
    return dumped(report);
}

std::string formatComparedTreeText(const survey::ReportData& data, TreeListing listing,
                                   std::vector<store::ComparedRow> rows) {
    for (store::ComparedRow& compared : rows) {
        if (listing == TreeListing::Top) {
            compared.row.name = compared.path;
        } else if (compared.depth > 0) {
            compared.row.name.insert(0, 2 * compared.depth, ' ');
        }
    }
    return formatComparedText(data, rows);
}

std::string formatComparedTreeCsv(const survey::ReportData& data,
                                  const std::vector<store::ComparedRow>& rows) {
    survey::ReportData head = data;
    head.rows.clear();
    std::string out = withChangeFields(formatTreeCsv(head, {}));
    const survey::ReportData none;
    for (const store::ComparedRow& compared : rows) {
        std::string record = formatTreeCsv(none, {treeRowOf(compared)});
        record.erase(0, record.find("\r\n") + 2);
        record.resize(record.size() - 2);
        out += record + csvChangeFields(compared) + "\r\n";
    }
    return out;
}

std::string formatComparedTreeJson(const survey::ReportData& data, TreeListing listing,
                                   const std::vector<store::ComparedRow>& rows,
                                   const store::StoredTree& old) {
    survey::ReportData head = data;
    head.rows.clear();
    nlohmann::ordered_json report = nlohmann::ordered_json::parse(formatTreeJson(head, listing, {}));
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    const survey::ReportData none;
    for (const store::ComparedRow& compared : rows) {
        nlohmann::ordered_json row = nlohmann::ordered_json::parse(
            formatTreeJson(none, listing, {treeRowOf(compared)}))["directories"][0];
        addJsonChangeFields(row, compared);
        list.push_back(std::move(row));
    }
    report["directories"] = std::move(list);
    report["compared_with"] = comparedWith(old);
    return dumped(report);
}

}  // namespace trelmark::cli
