// SPDX-License-Identifier: MIT
#include "cli/CompareReport.h"

#include "cli/OpenedReport.h"
#include "cli/ReportCommand.h"

namespace trelmark::cli {

namespace {

util::Result<std::vector<store::ComparedRow>> comparedRows(const survey::ReportData& data,
                                                           const ReportOptions& options,
                                                           const std::vector<survey::TreeRow>& tree,
                                                           store::StoredTree& old) {
    if (options.depth) {
        return store::compareDepthListing(tree, *options.depth, data.tree, old);
    }
    if (options.top) {
        return store::compareTopListing(tree, *options.top, data.target, data.tree, old);
    }
    return store::compareRows(data.reachedRows(), data.target, old);
}

std::string render(const survey::ReportData& data, const ReportOptions& options,
                   std::vector<store::ComparedRow> rows, const store::StoredTree& old) {
    const bool listed = options.depth || options.top;
    const TreeListing listing = options.depth ? TreeListing::Depth : TreeListing::Top;
    switch (options.format) {
        case ReportFormat::Csv:
            return listed ? formatComparedTreeCsv(data, rows) : formatComparedCsv(data, rows);
        case ReportFormat::Json:
            return listed ? formatComparedTreeJson(data, listing, rows, old)
                          : formatComparedJson(data, rows, old);
        case ReportFormat::Text:
            break;
    }
    return listed ? formatComparedTreeText(data, listing, std::move(rows)) : formatComparedText(data, rows);
}

}  // namespace

ReportOutcome comparedOutcome(ReportOutcome outcome, const survey::ReportData& data,
                              const ReportOptions& options, const std::vector<survey::TreeRow>& tree) {
    std::string problem;
    const auto old = openForReport(*options.compare, options, problem);
    // The report then holds nothing: the survey's own diagnostics stay, with why.
    const auto refused = [&outcome](std::string why) {
        outcome.messages.push_back(std::move(why));
        return ReportOutcome{{}, std::move(outcome.messages), ExitUnreadable};
    };
    if (old == nullptr) {
        return refused(std::move(problem));
    }
    auto rows = comparedRows(data, options, tree, *old);
    if (!rows) {
        return refused(damageMessage(*old));
    }
    outcome.report = render(data, options, std::move(*rows), *old);
    return outcome;
}

}  // namespace trelmark::cli
