// SPDX-License-Identifier: MIT
#include "cli/OpenedReport.h"

#include <cstdio>

#include "cli/CompareReport.h"
#include "cli/ReportCommand.h"
#include "cli/ReportOutcome.h"
#include "cli/ReportView.h"
#include "store/StoredFileSystem.h"
#include "store/SurveyOpening.h"
#include "store/TreeSnapshot.h"
#include "survey/ReportCollector.h"
#include "survey/SurveyEngine.h"
#include "util/DisplayName.h"
#include "util/PathHelpers.h"

namespace trelmark::cli {

namespace {

constexpr std::size_t kProblemLimit = 100;

std::string quoted(std::string_view raw) {
    return "'" + util::displayName(raw) + "'";
}

ReportOutcome refusal(std::string message) {
    return {{}, {std::move(message)}, ExitUnreadable};
}

// The directory the report is about: the survey's root, or PATH inside it (relative to the root).
std::string targetIn(const store::StoredTree& tree, const ReportOptions& options) {
    const std::string& root = tree.facts().root;
    return options.directoryGiven ? util::normalizePosixPath(options.directory, root) : root;
}

// An export knows no drive: its rows have no share of one.
void withoutDrive(survey::ReportData& data, std::vector<survey::TreeRow>& listing) {
    data.forgetDrive();
    for (survey::TreeRow& tree : listing) {
        tree.row.totalShare.reset();
    }
}

// The survey's report at `target`: its rows through the engine, as a walk's are shown, and for a listing
// the tree below read from the file.
ReportOutcome surveyed(const std::shared_ptr<store::StoredTree>& tree, const std::string& target,
                       const ReportOptions& options) {
    survey::ProgramState state;
    state.fsoSystem = std::make_unique<store::StoredFileSystem>(tree);
    ReportView view([](std::string_view) {}, false);
    survey::ReportCollector collector(view, survey::ReportCollector::Walk::Keep);
    collector.begin(target, options.count);
    survey::SurveyEngine engine(state, collector,
                                {util::PathStyle::Posix, std::chrono::milliseconds(10), kProblemLimit});
    engine.run(target, {options.count});
    survey::ReportData data = collector.current();
    if (!tree->damage().empty()) {
        return refusal(damageMessage(*tree));
    }
    if (data.lookupFailure) {
        return refusal(quoted(tree->fileName()) + " holds no directory " + quoted(target));
    }
    if (options.depth || options.top) {
        const auto record = store::findPath(*tree, target);
        const auto walked =
            record ? store::loadSnapshot(*tree, *record, target, options.depth.value_or(SIZE_MAX))
                   : util::Result<fs::WalkedTree>(record.error());
        if (!walked) {
            return refusal(damageMessage(*tree));
        }
        data.tree = *walked;
    }
    std::vector<survey::TreeRow> listing = walkedListing(data, options);
    if (!tree->facts().driveTotal) {
        withoutDrive(data, listing);
    }
    ReportOutcome outcome = reportOutcome(data, options, listing);
    if (tree->facts().stopped) {
        outcome.messages.push_back(quoted(tree->fileName()) +
                                   ": the survey was stopped; figures ending in \"+\" are lower bounds");
        outcome.status = outcome.status == ExitDone ? ExitFailed : outcome.status;
    }
    return options.compare ? comparedOutcome(std::move(outcome), data, options, listing) : outcome;
}

ReportOutcome fromOne(const ReportOptions& options) {
    std::string problem;
    const auto tree = openForReport(options.open.front(), options, problem);
    if (tree == nullptr) {
        return refusal(problem);
    }
    return surveyed(tree, targetIn(*tree, options), options);
}

}  // namespace

std::shared_ptr<store::StoredTree> openForReport(const std::string& fileName, const ReportOptions& options,
                                                 std::string& problem) {
    std::string reason;
    auto tree = store::openSurvey(fileName, {options.diskUsage, options.hardLinksOnce}, reason);
    if (tree == nullptr) {
        problem = quoted(fileName) + ": " + reason;
        return nullptr;
    }
    if (tree->facts().diskUsage != options.diskUsage) {
        problem = quoted(fileName) + ": the survey measured " +
                  (tree->facts().diskUsage ? "the space files take on the disk; give --disk-usage"
                                           : "apparent sizes; leave out --disk-usage");
        return nullptr;
    }
    return tree;
}

std::string damageMessage(const store::StoredTree& tree) {
    return quoted(tree.fileName()) + ": damaged: " + (tree.damage().empty() ? "unreadable" : tree.damage());
}

int reportFromSurveys(const ReportOptions& options) {
    const ReportOutcome outcome = options.open.size() == 1 ? fromOne(options) : sideBySide(options);
    std::fwrite(outcome.report.data(), 1, outcome.report.size(), stdout);
    const bool written = std::fflush(stdout) == 0;
    for (const std::string& message : outcome.messages) {
        std::fprintf(stderr, "trelmark-report: %s\n", message.c_str());
    }
    if (!written) {
        std::fprintf(stderr, "trelmark-report: cannot write the report\n");
        return ExitFailed;
    }
    return outcome.status;
}

}  // namespace trelmark::cli
