// SPDX-License-Identifier: MIT
#include "cli/ReportCommand.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "cli/ReportOptions.h"
#include "cli/ReportView.h"
#include "cli/StopSignal.h"
#include "cli/TreeFormats.h"
#include "fs/LinuxFileSystem.h"
#include "survey/ReportCollector.h"
#include "survey/ReportFormats.h"
#include "survey/SurveyEngine.h"
#include "util/DisplayName.h"
#include "util/PathHelpers.h"
#include "util/UniqueFd.h"
#include "util/Version.h"

namespace trelmark::cli {

namespace {

constexpr std::size_t kProblemLimit = 100;

void complain(const std::string& text) {
    std::fprintf(stderr, "trelmark-report: %s\n", text.c_str());
}

std::string quotedPath(std::string_view raw) {
    return "'" + util::displayName(raw) + "'";
}

// The directory as an absolute path, so that the report names what it surveyed whatever the caller's
// current directory was; empty (with errno set) when the current directory cannot be read.
std::string absoluteDirectory(const std::string& directory) {
    if (!directory.empty() && directory.front() == '/') {
        return util::normalizePosixPath(directory, "/");
    }
    std::string current(4096, '\0');
    while (::getcwd(current.data(), current.size()) == nullptr) {
        if (errno != ERANGE) {
            return {};
        }
        current.resize(current.size() * 2);
    }
    current.resize(std::strlen(current.c_str()));
    return util::normalizePosixPath(directory, current);
}

fs::ScanOptions scanOptions(const ReportOptions& options) {
    fs::ScanOptions scan;
    scan.sizeMeasure = options.diskUsage ? fs::SizeMeasure::Allocated : fs::SizeMeasure::Apparent;
    scan.hardLinks = options.hardLinksOnce ? fs::HardLinks::Once : fs::HardLinks::Every;
    scan.exclude = options.exclude;
    return scan;
}

// The listing of the tree below the target, read from the walk that answered the survey.
std::string renderTree(const survey::ReportData& data, const ReportOptions& options) {
    const survey::SurveyTree tree(data.tree, data.target, data.driveTotalSize.value_or(fs::Figure{}));
    const TreeListing listing = options.depth ? TreeListing::Depth : TreeListing::Top;
    const std::vector<survey::TreeRow> rows =
        options.depth ? tree.down(*options.depth) : tree.largest(options.top.value_or(0));
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

void explainLookupFailure(const survey::LookupFailure& failure) {
    if (failure.step == survey::LookupStep::Drive) {
        complain("cannot find the file system of " + quotedPath(failure.path) + ": " +
                 failure.error.message());
    } else {
        complain("cannot read directory " + quotedPath(failure.path) + ": " + failure.error.message());
    }
}

int survey(const ReportOptions& options, const std::string& target) {
    // Checked here, not left to the component: a directory we may not list must be refused by name, whatever
    // the component would make of it.
    const util::UniqueFd directory(::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory) {
        complain("cannot read directory " + quotedPath(target) + ": " + util::lastSystemError().message());
        return ExitUnreadable;
    }
    survey::ProgramState state;
    state.fsoSystem = fs::createFileSystem(scanOptions(options));
    if (state.fsoSystem == nullptr) {
        complain("cannot start the file-system component");
        return ExitFailed;
    }
    ReportView view(options.progress && ::isatty(STDERR_FILENO) == 1);
    survey::ReportCollector collector(view, survey::ReportCollector::Walk::Keep);
    collector.begin(target, options.count);
    survey::SurveyEngine engine(state, collector,
                                {util::PathStyle::Posix, std::chrono::milliseconds(10), kProblemLimit});
    view.setStopAction([&engine] { engine.stop(); });
    StopSignal::install();
    engine.run(target, {options.count});
    view.finish();

    survey::ReportData data = collector.current();
    if (data.lookupFailure) {
        explainLookupFailure(*data.lookupFailure);
        return ExitUnreadable;
    }
    // A signal after the last yield found nothing left to stop, but it was a request to stop all the same.
    data.cancelled = data.cancelled || StopSignal::requested();
    const std::string report =
        options.depth || options.top ? renderTree(data, options) : render(data, options.format);
    std::fwrite(report.data(), 1, report.size(), stdout);
    if (std::fflush(stdout) != 0) {
        complain("cannot write the report: " + util::lastSystemError().message());
        return ExitFailed;
    }
    for (const fs::Problem& problem : data.problems) {
        complain("cannot read " + quotedPath(problem.path) + ": " + problem.error.message());
    }
    if (data.cancelled) {
        complain("stopped; figures ending in \"+\" are lower bounds");
        return ExitStopped;
    }
    if (data.failure) {
        complain(survey::describeFailure(*data.failure));
        return ExitFailed;
    }
    // Without counts no tally fails, but a survey with unreadable parts is still no complete one: a script
    // that reads only the status must not take it for one.
    return data.problems.empty() ? ExitDone : ExitFailed;
}

}  // namespace

int runReport(std::span<const std::string_view> arguments) {
    const ParsedArguments parsed = parseArguments(arguments);
    switch (parsed.action) {
        case ParsedArguments::Action::Help:
            std::fputs(usageText().data(), stdout);
            return ExitDone;
        case ParsedArguments::Action::Version:
            std::printf("trelmark-report %s\n", util::kFileVersion);
            return ExitDone;
        case ParsedArguments::Action::UsageError:
            complain(parsed.error);
            std::fputs(usageSynopsis().data(), stderr);
            return ExitUsage;
        case ParsedArguments::Action::Run:
            break;
    }
    const std::string target = absoluteDirectory(parsed.options.directory);
    if (target.empty()) {
        complain("cannot read the current directory: " + util::lastSystemError().message());
        return ExitUnreadable;
    }
    return survey(parsed.options, target);
}

}  // namespace trelmark::cli
