// SPDX-License-Identifier: MIT
#include "cli/OpenedReport.h"

#include <cstdio>

#include "cli/CompareReport.h"
#include "cli/ReportCommand.h"
#include "cli/ReportOutput.h"
#include "cli/ReportView.h"
#include "store/StoredFileSystem.h"
#include "store/SurveyOpening.h"
#include "store/TreeSnapshot.h"
#include "survey/NumberFormat.h"
#include "survey/SurveyEngine.h"
#include "util/DisplayName.h"
#include "util/PathHelpers.h"

namespace trelmark::cli {

namespace {

constexpr std::size_t kProblemLimit = 100;

void complain(const std::string& text) {
    std::fprintf(stderr, "trelmark-report: %s\n", text.c_str());
}

std::string quoted(std::string_view raw) {
    return "'" + util::displayName(raw) + "'";
}

// The directory the report is about: the survey's root, or PATH inside it (relative to the root).
std::string targetIn(const store::StoredTree& tree, const ReportOptions& options) {
    const std::string& root = tree.facts().root;
    if (!options.directoryGiven) {
        return root;
    }
    return util::normalizePosixPath(options.directory, root);
}

// The survey's rows at `target`, as the engine shows a walk's, and for a listing the tree below.
// Nothing, after saying why, when the survey does not hold the directory or is damaged.
std::optional<survey::ReportData> surveyed(const std::shared_ptr<store::StoredTree>& tree,
                                           const std::string& target, const ReportOptions& options) {
    survey::ProgramState state;
    state.fsoSystem = std::make_unique<store::StoredFileSystem>(tree);
    ReportView view(target, options.count, false);
    survey::SurveyEngine engine(state, view,
                                {util::PathStyle::Posix, std::chrono::milliseconds(10), kProblemLimit});
    engine.run(target, {options.count});
    survey::ReportData data = view.data();
    if (!tree->damage().empty()) {
        reportDamage(*tree);
        return std::nullopt;
    }
    if (data.lookupFailure) {
        complain(quoted(tree->fileName()) + " holds no directory " + quoted(target));
        return std::nullopt;
    }
    if (!tree->facts().driveTotal) {
        // An export knows no drive: its rows have no share of one.
        data.driveTotalSize.reset();
        data.driveAvailableSpace.reset();
        for (auto& row : data.rows) {
            if (row) {
                row->totalShare.reset();
            }
        }
    }
    if (options.depth || options.top) {
        auto record = store::findPath(*tree, target);
        auto walked = record ? store::loadSnapshot(*tree, *record, target, options.depth.value_or(SIZE_MAX))
                             : util::Result<fs::WalkedTree>(record.error());
        if (!walked) {
            reportDamage(*tree);
            return std::nullopt;
        }
        data.tree = *walked;
    }
    return data;
}

int print(const std::string& report, const survey::ReportData& data, const store::StoredTree& tree) {
    std::fwrite(report.data(), 1, report.size(), stdout);
    if (std::fflush(stdout) != 0) {
        complain("cannot write the report");
        return ExitFailed;
    }
    for (const fs::Problem& problem : data.problems) {
        complain("the survey could not read " + quoted(problem.path) + ": " + problem.error.message());
    }
    if (tree.facts().stopped) {
        complain(quoted(tree.fileName()) +
                 ": the survey was stopped; figures ending in \"+\" are lower bounds");
    }
    return data.failure || !data.problems.empty() || tree.facts().stopped ? ExitFailed : ExitDone;
}

int reportFromOne(const ReportOptions& options) {
    const auto tree = openForReport(options.open.front(), options);
    if (tree == nullptr) {
        return ExitUnreadable;
    }
    const auto data = surveyed(tree, targetIn(*tree, options), options);
    if (!data) {
        return ExitUnreadable;
    }
    const std::string report = options.compare ? compareReport(*data, options) : renderReport(*data, options);
    return report.empty() ? ExitUnreadable : print(report, *data, *tree);
}

}  // namespace

std::shared_ptr<store::StoredTree> openForReport(const std::string& fileName, const ReportOptions& options) {
    std::string reason;
    auto tree = store::openSurvey(fileName, {options.diskUsage, options.hardLinksOnce}, reason);
    if (tree == nullptr) {
        complain(quoted(fileName) + ": " + reason);
        return nullptr;
    }
    if (tree->facts().diskUsage != options.diskUsage) {
        complain(quoted(fileName) + ": the survey measured " +
                 (tree->facts().diskUsage ? "the space files take on the disk; give --disk-usage"
                                          : "apparent sizes; leave out --disk-usage"));
        return nullptr;
    }
    return tree;
}

void reportDamage(const store::StoredTree& tree) {
    complain(quoted(tree.fileName()) +
             ": damaged: " + (tree.damage().empty() ? "unreadable" : tree.damage()));
}

int reportFromSurveys(const ReportOptions& options) {
    if (options.open.size() == 1) {
        return reportFromOne(options);
    }
    return reportSideBySide(options);
}

}  // namespace trelmark::cli
