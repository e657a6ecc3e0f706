// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "survey/SurveySink.h"

namespace trelmark::cli {

// The survey sink of the survey process, behind the survey::ReportCollector that assembles the final report:
// it sends the rows as they change (and, asked to, the walk's progress) to the command that supervises it as
// record lines (RecordLines.h): at its yields, at most every 100 ms (less often where the lines take long to
// write), and on flush(). At its yields it also asks whether to stop, and turns a yes into the stop action,
// once.
// Owns the rows changed since the last lines went out. Thread: the engine's one thread. Errors: none; it
// only passes lines on.
class ReportView : public survey::SurveySink {
public:
    using LineOutput = std::function<void(std::string_view line)>;

    // `progress`: also send the walk's counts and current directory, for a progress line.
    ReportView(LineOutput output, bool progress);

    void setStopCheck(std::function<bool()> check) { m_stopCheck = std::move(check); }
    void setStopAction(std::function<void()> action) { m_stopAction = std::move(action); }

    // Sends every row changed since the last lines went out, and the progress when it changed.
    void flush();

    void driveFigures(fs::Figure total, fs::Figure available) override;
    void clearRows() override;
    void setRowCount(int rows) override;
    void rowChanged(int index, const survey::SurveyRow& row, survey::Column column) override;
    void yield() override;
    void failed(const survey::SurveyFailure&) override {}
    void lookupFailed(survey::LookupStep, std::string_view, std::error_code) override {}
    void walkProgress(const fs::WalkProgress& progress) override;
    void currentDirectory(std::string_view path) override;

private:
    void flushIfDue();

    bool m_stopAsked = false;
    LineOutput m_output;
    bool m_progress;
    std::function<bool()> m_stopCheck;
    std::function<void()> m_stopAction;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_lastFlush;  // when lines last went out
    std::chrono::steady_clock::duration m_flushInterval = std::chrono::milliseconds(100);
    std::map<std::size_t, survey::SurveyRow> m_unsent;  // by row index: changed since the last flush
    bool m_progressChanged = false;
    std::uint64_t m_entries = 0;
    std::uint64_t m_bytes = 0;
    std::string m_directory;  // raw bytes
};

}  // namespace trelmark::cli
