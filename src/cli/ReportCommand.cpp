// SPDX-License-Identifier: MIT
#include "cli/ReportCommand.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "cli/OpenedReport.h"
#include "cli/ReportOptions.h"
#include "cli/ReportOutcome.h"
#include "cli/ReportSupervisor.h"
#include "cli/StopSignal.h"
#include "util/PathHelpers.h"
#include "util/Result.h"
#include "util/Version.h"

namespace trelmark::cli {

namespace {

void complain(const std::string& text) {
    std::fprintf(stderr, "trelmark-report: %s\n", text.c_str());
}

// The directory as an absolute path, so that the report names what it surveyed whatever the caller's
// current directory was; empty (with errno set) when the current directory cannot be read. Asks the kernel's
// cache of names only, never the file system below.
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

int print(const ReportOutcome& outcome) {
    std::fwrite(outcome.report.data(), 1, outcome.report.size(), stdout);
    if (std::fflush(stdout) != 0) {
        complain("cannot write the report: " + util::lastSystemError().message());
        return ExitFailed;
    }
    for (const std::string& message : outcome.messages) {
        complain(message);
    }
    return outcome.status;
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
    if (!parsed.options.open.empty()) {
        return reportFromSurveys(parsed.options);
    }
    const std::string target = absoluteDirectory(parsed.options.directory);
    if (target.empty()) {
        complain("cannot read the current directory: " + util::lastSystemError().message());
        return ExitUnreadable;
    }
    StopSignal::install();
    ReportSupervisor supervisor(parsed.options, target);
    return print(supervisor.run());
}

}  // namespace trelmark::cli
