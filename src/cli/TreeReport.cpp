// SPDX-License-Identifier: MIT
#include "cli/TreeFormats.h"
#include "survey/ReportFormats.h"
#include "util/DisplayName.h"

namespace trelmark::cli {

namespace {

using survey::detail::base64;
using survey::detail::csvField;
using survey::detail::jsonString;

std::string figureOr(const std::optional<fs::Figure>& figure, std::string_view none) {
    return figure ? std::to_string(figure->value) : std::string(none);
}

std::string shareOr(const std::optional<survey::Share>& share, std::string_view none) {
    return share ? survey::detail::plainDecimal(share->value) : std::string(none);
}

std::string_view listingKey(TreeListing listing) {
    return listing == TreeListing::Depth ? "depth" : "top";
}

std::string csvRecord(const survey::TreeRow& tree) {
    const survey::SurveyRow& row = tree.row;
    std::string out(survey::rowKindKey(row.kind));
    out += ',' + csvField(util::displayName(tree.path));
    out += ',' + std::to_string(tree.depth);
    out += ',' + figureOr(row.bytes, "");
    out += ',' + shareOr(row.totalShare, "");
    out += ',' + shareOr(row.usedShare, "");
    out += ',' + figureOr(row.files, "");
    out += ',' + figureOr(row.dirs, "");
    out += row.complete() ? ",true" : ",false";
    return out + "\r\n";
}

std::string jsonObject(const survey::TreeRow& tree) {
    const survey::SurveyRow& row = tree.row;
    return "{\"kind\": \"" + std::string(survey::rowKindKey(row.kind)) +
           "\", \"path\": " + jsonString(util::displayName(tree.path)) +
           ", \"path_base64\": " + jsonString(base64(tree.path)) +
           ", \"depth\": " + std::to_string(tree.depth) + ", \"bytes\": " + figureOr(row.bytes, "null") +
           ", \"total_share\": " + shareOr(row.totalShare, "null") +
           ", \"used_share\": " + shareOr(row.usedShare, "null") +
           ", \"files\": " + figureOr(row.files, "null") + ", \"dirs\": " + figureOr(row.dirs, "null") +
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
    std::string out = "kind,path,depth,bytes,total_share,used_share,files,dirs,complete\r\n";
    if (data.driveTotalSize && data.driveAvailableSpace) {
        out += "drive_total,,," + figureOr(data.driveTotalSize, "") + ",,,,,true\r\n";
        out += "drive_available,,," + figureOr(data.driveAvailableSpace, "") + ",,,,,true\r\n";
    }
    for (const survey::TreeRow& tree : rows) {
        out += csvRecord(tree);
    }
    return out;
}

std::string formatTreeJson(const survey::ReportData& data, TreeListing listing,
                           const std::vector<survey::TreeRow>& rows) {
    std::string out = "{\n";
    out += "  \"target\": " + jsonString(util::displayName(data.target)) + ",\n";
    out += "  \"target_base64\": " + jsonString(base64(data.target)) + ",\n";
    out += "  \"drive_total_bytes\": " + figureOr(data.driveTotalSize, "null") + ",\n";
    out += "  \"drive_available_bytes\": " + figureOr(data.driveAvailableSpace, "null") + ",\n";
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
    out += "  \"errors\": [";
    for (std::size_t i = 0; i < data.problems.size(); ++i) {
        const fs::Problem& problem = data.problems[i];
        out += (i == 0 ? "\n    " : ",\n    ") + std::string("{\"path\": ") +
               jsonString(util::displayName(problem.path)) +
               ", \"path_base64\": " + jsonString(base64(problem.path)) +
               ", \"error\": " + jsonString(problem.error.message()) + "}";
    }
    out += data.problems.empty() ? "]\n" : "\n  ]\n";
    return out + "}\n";
}

}  // namespace trelmark::cli
