// SPDX-License-Identifier: MIT
#include "cli/ReportOutcome.h"

#include <algorithm>

#include "cli/ReportCommand.h"
#include "cli/TreeFormats.h"
#include "survey/ReportFormats.h"
#include "util/DisplayName.h"

namespace trelmark::cli {

namespace {

std::string quotedPath(std::string_view raw) {
    return "'" + util::displayName(raw) + "'";
}

std::string renderTree(const survey::ReportData& data, const ReportOptions& options,
                       const std::vector<survey::TreeRow>& rows) {
    const TreeListing listing = options.depth ? TreeListing::Depth : TreeListing::Top;
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

std::string lookupMessage(const survey::LookupFailure& failure) {
    if (failure.step == survey::LookupStep::Drive) {
        return "cannot find the file system of " + quotedPath(failure.path) + ": " + failure.error.message();
    }
    return "cannot read directory " + quotedPath(failure.path) + ": " + failure.error.message();
}

}  // namespace

ReportOutcome reportOutcome(const survey::ReportData& data, const ReportOptions& options,
                            const std::vector<survey::TreeRow>& tree) {
    if (data.lookupFailure) {
        return {{}, {lookupMessage(*data.lookupFailure)}, ExitUnreadable};
    }
    ReportOutcome outcome;
    outcome.report =
        options.depth || options.top ? renderTree(data, options, tree) : render(data, options.format);
    for (const fs::Problem& problem : data.problems) {
        outcome.messages.push_back("cannot read " + quotedPath(problem.path) + ": " +
                                   problem.error.message());
    }
    if (data.cancelled) {
        outcome.messages.emplace_back("stopped; figures ending in \"+\" are lower bounds");
        outcome.status = ExitStopped;
    } else if (data.failure) {
        outcome.messages.push_back(survey::describeFailure(*data.failure));
        outcome.status = ExitFailed;
    } else {
        // Without counts no tally fails, but a survey with unreadable parts is still no complete one: a
        // script that reads only the status must not take it for one.
        outcome.status = data.problems.empty() ? ExitDone : ExitFailed;
    }
    return outcome;
}

std::vector<survey::TreeRow> walkedListing(const survey::ReportData& data, const ReportOptions& options) {
    if (!options.depth && !options.top) {
        return {};
    }
    const survey::SurveyTree tree(data.tree, data.target, data.driveTotalSize.value_or(fs::Figure{}));
    return options.depth ? tree.down(*options.depth) : tree.largest(options.top.value_or(0));
}

std::vector<survey::TreeRow> rowListing(const survey::ReportData& data, const ReportOptions& options) {
    std::vector<survey::TreeRow> listing;
    for (survey::SurveyRow row : data.reachedRows()) {
        if (row.kind == survey::RowKind::AllFiles && options.depth) {
            // As the walk's listing names and measures it: the whole path, what was measured below it.
            row.name = data.target;
            row.bytes = row.measuredBytes ? row.measuredBytes : row.bytes;
            row.measuredBytes.reset();
            listing.insert(listing.begin(), {data.target, 0, row});
        } else if (row.kind == survey::RowKind::SubDirectory &&
                   (options.top || options.depth.value_or(0) > 0)) {
            const std::string separator = data.target.ends_with('/') ? "" : "/";
            listing.push_back({data.target + separator + row.name, 1, row});
        }
    }
    if (options.top) {
        const auto bytes = [](const survey::TreeRow& tree) {
            return tree.row.bytes.value_or(fs::Figure{}).value;
        };
        std::stable_sort(listing.begin(), listing.end(),
                         [&](const auto& a, const auto& b) { return bytes(a) > bytes(b); });
        listing.resize(std::min(listing.size(), *options.top));
    }
    return listing;
}

}  // namespace trelmark::cli
