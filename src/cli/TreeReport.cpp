// SPDX-License-Identifier: MIT
#include "cli/TreeFormats.h"
#include "survey/RecordFields.h"
#include "survey/ReportFormats.h"
#include "util/DisplayName.h"

namespace trelmark::cli {

namespace {

using survey::base64;
using survey::jsonString;

std::string_view listingKey(TreeListing listing) {
    return listing == TreeListing::Depth ? "depth" : "top";
}

std::string csvRecord(const survey::TreeRow& tree) {
    const survey::SurveyRow& row = tree.row;
    std::string out(survey::rowKindKey(row.kind));
    out += ',' + survey::csvField(util::displayName(tree.path));
    out += ',' + std::to_string(tree.depth);
    out += survey::csvFigures(row);
    out += row.complete() ? ",true" : ",false";
    return out + "\r\n";
}

std::string jsonObject(const survey::TreeRow& tree) {
    const survey::SurveyRow& row = tree.row;
    return "{\"kind\": \"" + std::string(survey::rowKindKey(row.kind)) +
           "\", \"path\": " + jsonString(util::displayName(tree.path)) +
           ", \"path_base64\": " + jsonString(base64(tree.path)) +
           ", \"depth\": " + std::to_string(tree.depth) + survey::jsonFigures(row) +
           ", \"complete\": " + (row.complete() ? "true" : "false") + "}";
}

bool anyIncomplete(const survey::ReportData& data, const std::vector<survey::TreeRow>& rows) {
    for (const survey::TreeRow& tree : rows) {
        if (!tree.row.complete()) {
            return true;
        }
    }
    return data.partial();
}

}  // namespace

std::string formatTreeText(const survey::ReportData& data, TreeListing listing,
                           const std::vector<survey::TreeRow>& rows) {
    // The grid's layout, with the listing's rows in place of the survey's.
    survey::ReportData shown = data;
    shown.rows.clear();
    for (const survey::TreeRow& tree : rows) {
        survey::SurveyRow row = tree.row;
        if (listing == TreeListing::Top) {
            row.name = tree.path;
        } else if (tree.depth > 0) {
            row.name.insert(0, 2 * tree.depth, ' ');
        }
        shown.rows.emplace_back(std::move(row));
    }
    return survey::formatText(shown);
}

std::string formatTreeCsv(const survey::ReportData& data, const std::vector<survey::TreeRow>& rows) {
    std::string out = "kind,path,depth" + survey::csvFigureKeys() + ",complete\r\n";
    out += survey::csvDriveRecords(data, 3, "");
    for (const survey::TreeRow& tree : rows) {
        out += csvRecord(tree);
    }
    return out;
}

std::string formatTreeJson(const survey::ReportData& data, TreeListing listing,
                           const std::vector<survey::TreeRow>& rows) {
    std::string out = "{\n" + survey::jsonTargetMembers(data);
    out += std::string("  \"partial\": ") + (anyIncomplete(data, rows) ? "true" : "false") + ",\n";
    out += std::string("  \"cancelled\": ") + (data.cancelled ? "true" : "false") + ",\n";
    out += "  \"failure\": " +
           (data.failure ? jsonString(survey::describeFailure(*data.failure)) : std::string("null")) + ",\n";
    out += "  \"listing\": \"" + std::string(listingKey(listing)) + "\",\n";
    out += "  \"directories\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += (i == 0 ? "\n    " : ",\n    ") + jsonObject(rows[i]);
    }
    out += rows.empty() ? "],\n" : "\n  ],\n";
    out += survey::jsonErrorsMember(data);
    return out + "}\n";
}

}  // namespace trelmark::cli
