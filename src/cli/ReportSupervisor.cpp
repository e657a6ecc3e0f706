// SPDX-License-Identifier: MIT
#include "cli/ReportSupervisor.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/ReportCommand.h"
#include "cli/StopSignal.h"
#include "cli/SurveyChild.h"
#include "util/Result.h"

namespace trelmark::cli {

namespace {

using namespace std::chrono_literals;

// How long a stopped survey may take to send its final report (its walk stops within 100 ms), and how long
// after a stop this process ends whatever the survey does. A survey whose walk has ended reads no surveyed
// file system any more: it is given the time its report, save or compare take (a second stop ends it).
constexpr auto kGrace = 400ms;
constexpr auto kStopBudget = 600ms;
// How long a survey that sent its report may take to end, so that its exit status is known.
constexpr auto kExitWait = 1s;

struct Pipe {
    util::UniqueFd read;
    util::UniqueFd write;
};

Pipe makePipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return {};
    }
    return {util::UniqueFd(ends[0]), util::UniqueFd(ends[1])};
}

void setNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
}

std::string endedText(int status) {
    return WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status))
                               : "ended with status " + std::to_string(WEXITSTATUS(status));
}

// In the survey process, right after the fork. It answers no signal of the terminal (the command asks it to
// stop), dies with the command, and keeps no descriptor of the command's but its pipes: stdin and stdout are
// /dev/null, stderr the pipe the command copies to its own.
[[noreturn]] void becomeSurvey(const ReportOptions& options, const std::string& target, bool progress,
                               pid_t command, const Pipe& records, const Pipe& errors, const Pipe& control) {
    StopSignal::uninstall(StopSignal::Then::Ignore);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != command) {
        std::_Exit(ExitStopped);
    }
    // Above 2 whatever the command was started with, then kept while every other descriptor closes.
    const int recordsFd = ::fcntl(records.write.get(), F_DUPFD_CLOEXEC, 10);
    const int controlFd = ::fcntl(control.read.get(), F_DUPFD_CLOEXEC, recordsFd + 1);
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (recordsFd < 0 || controlFd < 0 || nothing < 0 || ::dup2(nothing, STDIN_FILENO) < 0 ||
        ::dup2(nothing, STDOUT_FILENO) < 0 || ::dup2(errors.write.get(), STDERR_FILENO) < 0) {
        std::_Exit(ExitFailed);
    }
    ::close_range(3, static_cast<unsigned>(recordsFd) - 1, 0);
    if (controlFd > recordsFd + 1) {
        ::close_range(static_cast<unsigned>(recordsFd) + 1, static_cast<unsigned>(controlFd) - 1, 0);
    }
    ::close_range(static_cast<unsigned>(controlFd) + 1, ~0U, 0);
    // No static destructors: a worker left in a request that never returns may still be running.
    const int status = runSurveyChild(options, target, progress, recordsFd, controlFd);
    std::fflush(stderr);
    std::_Exit(status);
}

}  // namespace

ReportSupervisor::ReportSupervisor(ReportOptions options, std::string target)
    : m_options(std::move(options)), m_progress(m_options.progress && ::isatty(STDERR_FILENO) == 1) {
    m_data.target = std::move(target);
    m_data.counted = m_options.count;
}

bool ReportSupervisor::start() {
    Pipe records = makePipe();
    Pipe errors = makePipe();
    Pipe control = makePipe();
    if (!records.read || !errors.read || !control.read) {
        return false;
    }
    // What this process buffered must not be written twice, once by the survey's copy.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t command = ::getpid();
    m_child = ::fork();
    if (m_child < 0) {
        return false;
    }
    if (m_child == 0) {
        becomeSurvey(m_options, m_data.target, m_progress.enabled(), command, records, errors, control);
    }
    m_records = std::move(records.read);
    m_errors = std::move(errors.read);
    m_control = std::move(control.write);
    setNonBlocking(m_records.get());
    setNonBlocking(m_errors.get());
    setNonBlocking(m_control.get());
    return true;
}

ReportOutcome ReportSupervisor::run() {
    if (!start()) {
        return {{}, {"cannot start the survey: " + util::lastSystemError().message()}, ExitFailed};
    }
    ReportOutcome outcome = supervise();
    m_progress.clear();
    return outcome;
}

ReportOutcome ReportSupervisor::supervise() {
    while (!finished()) {
        int timeout = -1;
        if (m_stopped && !m_walked) {
            const auto deadline = *m_stopped + (m_end ? kStopBudget : kGrace);
            if (Clock::now() >= deadline) {
                return fromRows({});
            }
            timeout = millisecondsUntil(deadline);
        }
        pollfd fds[3] = {{m_records.get(), POLLIN, 0},
                         {m_errors ? m_errors.get() : -1, POLLIN, 0},
                         {m_stopped ? -1 : StopSignal::descriptor(), POLLIN, 0}};
        if (::poll(fds, 3, timeout) < 0 && errno != EINTR) {
            return fromRows("cannot watch the survey: " + util::lastSystemError().message());
        }
        if (!m_stopped && StopSignal::requested()) {
            beginStop();
        }
        if (fds[1].revents != 0) {
            copyErrors();
        }
        if (fds[0].revents != 0 && !readRecords() && !finished()) {
            int status = 0;
            ::waitpid(m_child, &status, 0);
            m_child = -1;
            return fromRows("the survey process " + endedText(status) + " before its report");
        }
    }
    return reported();
}

bool ReportSupervisor::finished() const {
    return m_end && m_report.size() == m_end->reportBytes;
}

void ReportSupervisor::beginStop() {
    m_stopped = Clock::now();
    const char byte = 1;
    static_cast<void>(::write(m_control.get(), &byte, 1));
}

bool ReportSupervisor::readRecords() {
    char chunk[65536];
    const ssize_t got = ::read(m_records.get(), chunk, sizeof chunk);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
        return false;
    }
    m_buffer.append(chunk, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    std::size_t at = 0;
    while (at < m_buffer.size()) {
        if (m_end) {
            // Nothing follows the report: what comes after its size is not read.
            const std::size_t taken = std::min(m_end->reportBytes - m_report.size(), m_buffer.size() - at);
            m_report.append(m_buffer, at, taken);
            at = m_buffer.size();
            break;
        }
        const std::size_t end = m_buffer.find('\n', at);
        if (end == std::string::npos) {
            break;
        }
        take(std::string_view(m_buffer).substr(at, end + 1 - at));
        at = end + 1;
    }
    m_buffer.erase(0, at);
    return true;
}

void ReportSupervisor::take(std::string_view line) {
    if (const std::optional<std::size_t> index = rowIndex(line)) {
        // Kept as it came: only a report made here, without the survey's, needs the figures.
        if (*index >= m_rowLines.size()) {
            m_rowLines.resize(*index + 1);
        }
        m_rowLines[*index] = line;
        if (m_options.live) {
            m_progress.clear();
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fflush(stdout);
        }
        return;
    }
    Record record = parseRecord(line);
    if (const auto* drive = std::get_if<DriveRecord>(&record)) {
        m_data.driveTotalSize = drive->total;
        m_data.driveAvailableSpace = drive->available;
    } else if (const auto* progress = std::get_if<ProgressRecord>(&record)) {
        m_progress.setCounts(progress->entries, progress->bytes);
    } else if (const auto* directory = std::get_if<DirectoryRecord>(&record)) {
        m_progress.setDirectory(directory->rawPath);
    } else if (std::holds_alternative<WalkedRecord>(record)) {
        m_walked = true;
    } else if (auto* end = std::get_if<EndRecord>(&record)) {
        m_end = std::move(*end);
    }
}

void ReportSupervisor::copyErrors() {
    char chunk[4096];
    const ssize_t got = ::read(m_errors.get(), chunk, sizeof chunk);
    if (got > 0) {
        m_progress.clear();
        std::fwrite(chunk, 1, static_cast<std::size_t>(got), stderr);
        std::fflush(stderr);
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
        m_errors.reset();
    }
}

ReportOutcome ReportSupervisor::reported() {
    ReportOutcome outcome{std::move(m_report), std::move(m_end->messages), m_end->status};
    // The survey's last words on stderr (a sanitizer's report, say) come before its end; its stderr closes
    // when it has gone, unless a thread of it sits in a request that is never answered.
    const auto deadline =
        m_stopped ? std::max(*m_stopped + kStopBudget, Clock::now() + 100ms) : Clock::now() + kExitWait;
    while (m_errors && Clock::now() < deadline) {
        pollfd ready{m_errors.get(), POLLIN, 0};
        if (::poll(&ready, 1, millisecondsUntil(deadline)) > 0) {
            copyErrors();
        }
    }
    int status = 0;
    if (::waitpid(m_child, &status, m_errors ? WNOHANG : 0) != m_child) {
        ::kill(m_child, SIGKILL);  // held by a request: it goes when the request ends
        return outcome;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != outcome.status) {
        outcome.messages.push_back("the survey process " + endedText(status));
        outcome.status = ExitFailed;
    }
    return outcome;
}

ReportOutcome ReportSupervisor::fromRows(std::string failure) {
    if (m_child > 0) {
        ::kill(m_child, SIGKILL);  // held by a request: it goes when the request ends
    }
    survey::ReportData data = m_data;
    data.rows.resize(m_rowLines.size());
    for (std::size_t index = 0; index < m_rowLines.size(); ++index) {
        Record record = parseRecord(m_rowLines[index]);
        if (auto* row = std::get_if<RowRecord>(&record)) {
            data.rows[index] = std::move(row->row);
        }
    }
    data.cancelled = m_stopped.has_value();
    ReportOutcome outcome = reportOutcome(data, m_options, rowListing(data, m_options));
    if (!m_stopped) {
        // The survey process could not say how its run ended: no figure on show may pass for complete.
        outcome.messages.push_back(std::move(failure));
        outcome.status = ExitFailed;
    }
    return outcome;
}

}  // namespace trelmark::cli
