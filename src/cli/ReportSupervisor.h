// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "cli/ProgressLine.h"
#include "cli/RecordLines.h"
#include "cli/ReportOptions.h"
#include "cli/ReportOutcome.h"
#include "survey/ReportData.h"
#include "util/UniqueFd.h"

namespace trelmark::cli {

// The process the shell waits on. A thread inside a file-system request that its server has taken cannot be
// killed, not even by SIGKILL, and keeps its process alive; so this process never calls into the surveyed
// file system. It forks the survey process (SurveyChild.h), which does every lookup and the walk, and
// supervises it: it keeps the rows, drive figures and progress the survey sends, draws the progress line,
// echoes the rows for --live, and takes the survey's final report when it comes.
//
// On a stop signal (StopSignal, installed by the caller) it asks the survey to stop and waits a short grace
// for its final report; a survey that does not answer in time (stuck in a request) is killed and left
// behind, and the report is made from the rows received, every figure not known to be exact marked. The
// survey holds none of this process's descriptors but a pipe to it: a pipeline reading stdout ends with
// this process, whatever the survey does. Owns the survey's pipes. Thread: the main thread, one run().
// Errors: as the outcome (a survey process that cannot start, or ends without its report, fails the run).
class ReportSupervisor {
public:
    ReportSupervisor(ReportOptions options, std::string target);
    ReportSupervisor(const ReportSupervisor&) = delete;
    ReportSupervisor& operator=(const ReportSupervisor&) = delete;

    [[nodiscard]] ReportOutcome run();

private:
    using Clock = std::chrono::steady_clock;

    [[nodiscard]] bool start();
    [[nodiscard]] ReportOutcome supervise();
    [[nodiscard]] bool finished() const;
    void beginStop();
    // Reads what the survey sent; false once it closed its end.
    [[nodiscard]] bool readRecords();
    void copyErrors();
    void take(std::string_view line);
    [[nodiscard]] ReportOutcome reported();
    [[nodiscard]] ReportOutcome fromRows(std::string failure);

    ReportOptions m_options;
    survey::ReportData m_data;            // all but the rows
    std::vector<std::string> m_rowLines;  // by index: the latest line of each row
    ProgressLine m_progress;
    pid_t m_child = -1;
    util::UniqueFd m_records;  // the survey's record lines
    util::UniqueFd m_errors;   // the survey's stderr
    util::UniqueFd m_control;  // a byte, or closing it, asks the survey to stop
    std::string m_buffer;      // received, not yet taken
    std::optional<EndRecord> m_end;
    std::string m_report;  // the bytes after the end record
    std::optional<Clock::time_point> m_stopped;
    bool m_walked = false;  // the survey's walk has ended
};

}  // namespace trelmark::cli
