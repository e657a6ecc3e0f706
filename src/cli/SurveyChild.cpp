// SPDX-License-Identifier: MIT
#include "cli/SurveyChild.h"

#include <cerrno>
#include <chrono>
#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "cli/RecordLines.h"
#include "cli/ReportCommand.h"
#include "cli/ReportOutcome.h"
#include "cli/ReportView.h"
#include "cli/SavedSurvey.h"
#include "fs/LinuxFileSystem.h"
#include "survey/ReportCollector.h"
#include "survey/SurveyEngine.h"
#include "util/DisplayName.h"
#include "util/Result.h"
#include "util/UniqueFd.h"

namespace trelmark::cli {

namespace {

constexpr std::size_t kProblemLimit = 100;

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;  // the command is gone: nobody is left to tell
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Readable: the command asked to stop, or went away.
bool stopAsked(int control) {
    pollfd ready{control, POLLIN, 0};
    return ::poll(&ready, 1, 0) > 0;
}

// The engine yields before every row, many thousands of times in a large survey: the pipe is asked at most
// every few milliseconds, well inside the 100 ms a stop may take.
std::function<bool()> stopCheck(int control) {
    return [control, asked = std::chrono::steady_clock::time_point{}]() mutable {
        const auto now = std::chrono::steady_clock::now();
        if (now - asked < std::chrono::milliseconds(5)) {
            return false;
        }
        asked = now;
        return stopAsked(control);
    };
}

fs::ScanOptions scanOptions(const ReportOptions& options) {
    fs::ScanOptions scan;
    scan.sizeMeasure = options.diskUsage ? fs::SizeMeasure::Allocated : fs::SizeMeasure::Apparent;
    scan.hardLinks = options.hardLinksOnce ? fs::HardLinks::Once : fs::HardLinks::Every;
    scan.exclude = options.exclude;
    return scan;
}

int sendEnd(int records, const ReportOutcome& outcome) {
    writeAll(records, endRecord(outcome.status, outcome.messages, outcome.report.size()));
    writeAll(records, outcome.report);
    return outcome.status;
}

}  // namespace

int runSurveyChild(const ReportOptions& options, const std::string& target, bool progress, int records,
                   int control) {
    // Checked here, not left to the component: a directory we may not list must be refused by name, whatever
    // the component would make of it.
    const util::UniqueFd directory(::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory) {
        return sendEnd(records, {{},
                                 {"cannot read directory '" + util::displayName(target) +
                                  "': " + util::lastSystemError().message()},
                                 ExitUnreadable});
    }
    survey::ProgramState state;
    state.fsoSystem = fs::createFileSystem(scanOptions(options));
    if (state.fsoSystem == nullptr) {
        return sendEnd(records, {{}, {"cannot start the file-system component"}, ExitFailed});
    }
    ReportView view([records](std::string_view line) { writeAll(records, line); }, progress);
    survey::ReportCollector collector(view, survey::ReportCollector::Walk::Keep);
    collector.begin(target, options.count);
    survey::SurveyEngine engine(state, collector,
                                {util::PathStyle::Posix, std::chrono::milliseconds(10), kProblemLimit});
    view.setStopAction([&engine] { engine.stop(); });
    view.setStopCheck(stopCheck(control));
    const auto began = std::chrono::system_clock::now();
    engine.run(target, {options.count});
    writeAll(records, walkedRecord());
    if (options.live) {
        // The stream ends with every row as the report has it. Without it, the report follows at once and
        // the last lines would go unread.
        view.flush();
    }

    survey::ReportData data = collector.current();
    // A stop after the last yield found nothing left to stop, but it was a request to stop all the same.
    data.cancelled = data.cancelled || stopAsked(control);
    return sendEnd(records, withKeptSurveys(data, options, began));
}

}  // namespace trelmark::cli
