#include "support/RecordingView.h"

#include <string>

namespace trelmark::test {

void RecordingView::InitGrid() {
    log.push_back("InitGrid");
    grid.clear();
    rows = 2;
}

void RecordingView::setRowCount(int count) {
    log.push_back("setRowCount " + std::to_string(count));
    rows = count;
}

void RecordingView::setCell(int row, int column, const survey::Cell& cell) {
    log.push_back("setCell " + std::to_string(row) + " " + std::to_string(column) + " " + cell.text);
    grid[{row, column}] = cell;
}

void RecordingView::setDriveTotalSize(const survey::Cell& cell) {
    log.push_back("driveTotal " + cell.text);
    driveTotal = cell.text;
}

void RecordingView::setDriveAvailableSpace(const survey::Cell& cell) {
    log.push_back("driveAvailable " + cell.text);
    driveAvailable = cell.text;
}

void RecordingView::EnableControls(bool state) {
    log.push_back(state ? "EnableControls true" : "EnableControls false");
    enabled = state;
}

void RecordingView::setExitCaption(std::string_view caption) {
    log.push_back("exitCaption " + std::string(caption));
    exitCaption = caption;
}

void RecordingView::setBusyPointer(bool state) {
    log.push_back(state ? "busy true" : "busy false");
    busy = state;
}

void RecordingView::yield() {
    log.push_back("yield");
    ++yields;
    if (const auto it = m_actions.find(yields); it != m_actions.end()) {
        const auto action = std::move(it->second);
        m_actions.erase(it);
        action();
    }
}

void RecordingView::showMessage(std::string_view title, std::string_view text) {
    log.push_back("message " + std::string(title) + " " + std::string(text));
    messages.emplace_back(title, text);
}

void RecordingView::walkProgress(const fs::WalkProgress& progress) {
    log.push_back("walkProgress " + std::to_string(progress.entries));
}

void RecordingView::lookupFailed(survey::LookupStep step, std::string_view path, std::error_code error) {
    log.push_back(
        std::string(step == survey::LookupStep::Drive ? "lookupFailed drive " : "lookupFailed folder ") +
        std::string(path) + " " + error.message());
}

void RecordingView::surveyProblems(const std::vector<fs::Problem>& found) {
    log.push_back("problems " + std::to_string(found.size()));
    problems = found;
}

std::vector<std::string> RecordingView::lines(std::string_view prefix) const {
    std::vector<std::string> matching;
    for (const std::string& line : log) {
        if (line.starts_with(prefix)) {
            matching.push_back(line);
        }
    }
    return matching;
}

std::string RecordingView::text(int row, int column) const {
    const survey::Cell* found = cell(row, column);
    return found == nullptr ? std::string() : found->text;
}

const survey::Cell* RecordingView::cell(int row, int column) const {
    const auto it = grid.find({row, column});
    return it == grid.end() ? nullptr : &it->second;
}

}  // namespace trelmark::test
