// SPDX-License-Identifier: MIT
#include "cli/ReportOutput.h"

#include "cli/TreeFormats.h"
#include "survey/ReportFormats.h"
#include "survey/SurveyTree.h"

namespace trelmark::cli {

namespace {

// The listing of the tree below the target, read from the walk that answered the survey.
std::string renderTree(const survey::ReportData& data, const ReportOptions& options) {
    const survey::SurveyTree tree(data.tree, data.target, data.driveTotalSize.value_or(fs::Figure{}));
    const TreeListing listing = options.depth ? TreeListing::Depth : TreeListing::Top;
    std::vector<survey::TreeRow> rows =
        options.depth ? tree.down(*options.depth) : tree.largest(options.top.value_or(0));
    if (!data.driveTotalSize) {
        // Without a drive (an opened export) there is no share of one.
        for (survey::TreeRow& row : rows) {
            row.row.totalShare.reset();
        }
    }
    switch (options.format) {
        case ReportFormat::Csv:
            return formatTreeCsv(data, rows);
        case ReportFormat::Json:
            return formatTreeJson(data, listing, rows);
        case ReportFormat::Text:
            break;
    }
    return formatTreeText(data, listing, rows);
}

std::string render(const survey::ReportData& data, ReportFormat format) {
    switch (format) {
        case ReportFormat::Csv:
            return survey::formatCsv(data);
        case ReportFormat::Json:
            return survey::formatJson(data);
        case ReportFormat::Text:
            break;
    }
    return survey::formatText(data);
}

}  // namespace

std::string renderReport(const survey::ReportData& data, const ReportOptions& options) {
    return options.depth || options.top ? renderTree(data, options) : render(data, options.format);
}

}  // namespace trelmark::cli
