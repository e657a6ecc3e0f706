// SPDX-License-Identifier: MIT
#include "support/RecordingSink.h"

#include <array>
#include <string>

#include "survey/NumberFormat.h"
#include "survey/SurveyColumns.h"

namespace trelmark::test {

namespace {

std::string_view columnName(survey::Column column) {
    constexpr std::array<std::string_view, survey::kColumnCount> kNames = {"Name",      "Size",  "TotalShare",
                                                                           "UsedShare", "Files", "Dirs"};
    return kNames.at(static_cast<std::size_t>(column));
}

std::string_view endName(survey::SurveyEnd end) {
    switch (end) {
        case survey::SurveyEnd::Completed:
            return "Completed";
        case survey::SurveyEnd::Stopped:
            return "Stopped";
        case survey::SurveyEnd::Failed:
            return "Failed";
        case survey::SurveyEnd::NotFound:
            break;
    }
    return "NotFound";
}

std::string_view stepName(survey::FailedStep step) {
    switch (step) {
        case survey::FailedStep::SubDirectories:
            return "SubDirectories";
        case survey::FailedStep::Files:
            return "Files";
        case survey::FailedStep::Size:
            return "Size";
        case survey::FailedStep::Count:
            return "Count";
        case survey::FailedStep::Drive:
            break;
    }
    return "Drive";
}

}  // namespace

void RecordingSink::note(std::string line) {
    for (PendingAction& pending : m_actions) {
        pending.armed = pending.armed || line.starts_with(pending.prefix);
    }
    log.push_back(std::move(line));
}

void RecordingSink::driveFigures(fs::Figure total, fs::Figure available) {
    driveTotal = survey::formatFigure(total);
    driveAvailable = survey::formatFigure(available);
    note("drive " + driveTotal + " " + driveAvailable);
}

void RecordingSink::clearRows() {
    note("clearRows");
    grid.clear();
    rows = 2;
}

void RecordingSink::setRowCount(int count) {
    note("setRowCount " + std::to_string(count));
    rows = count + 1;
}

void RecordingSink::rowChanged(int index, const survey::SurveyRow& row, survey::Column column) {
    note("row " + std::to_string(index + 1) + " " + std::string(columnName(column)) + " " + row.text(column));
    grid[index + 1] = row;
}

void RecordingSink::yield() {
    note("yield");
    ++yields;
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it) {
        if (it->armed) {
            const auto action = std::move(it->action);
            m_actions.erase(it);
            action();
            return;
        }
    }
}

void RecordingSink::atYieldAfter(std::string prefix, std::function<void()> action) {
    const bool armed = prefix.empty();
    m_actions.push_back({std::move(prefix), armed, std::move(action)});
}

void RecordingSink::failed(const survey::SurveyFailure& failure) {
    note("failed " + std::string(stepName(failure.step)) + " " + failure.path);
    failures.push_back(failure);
}

void RecordingSink::lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) {
    note(std::string(step == survey::LookupStep::Drive ? "lookupFailed drive " : "lookupFailed folder ") +
         std::string(path) + " " + error.message());
}

void RecordingSink::walkProgress(const fs::WalkProgress& progress) {
    note("walkProgress " + std::to_string(progress.entries));
}

void RecordingSink::surveyProblems(const std::vector<fs::Problem>& found) {
    note("problems " + std::to_string(found.size()));
    problems = found;
}

void RecordingSink::surveyEnded(survey::SurveyEnd how) {
    note("ended " + std::string(endName(how)));
    end = how;
}

void RecordingSink::EnableControls(bool state) {
    note(state ? "EnableControls true" : "EnableControls false");
    enabled = state;
}

void RecordingSink::setExitButtonStops(bool stops) {
    note(stops ? "exitStops true" : "exitStops false");
    exitStops = stops;
}

void RecordingSink::setBusyPointer(bool state) {
    note(state ? "busy true" : "busy false");
    busy = state;
}

std::vector<std::string> RecordingSink::lines(std::string_view prefix) const {
    std::vector<std::string> matching;
    for (const std::string& line : log) {
        if (line.starts_with(prefix)) {
            matching.push_back(line);
        }
    }
    return matching;
}

std::string RecordingSink::text(int row, int column) const {
    const survey::SurveyRow* found = this->row(row);
    return found == nullptr ? std::string() : found->text(static_cast<survey::Column>(column));
}

const survey::SurveyRow* RecordingSink::row(int row) const {
    const auto it = grid.find(row);
    return it == grid.end() ? nullptr : &it->second;
}

}  // namespace trelmark::test
