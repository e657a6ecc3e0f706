// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fs/Figure.h"
#include "fs/Folder.h"
#include "survey/DriveRules.h"
#include "survey/FolderTally.h"
#include "survey/GrowingRows.h"
#include "survey/KeptWalk.h"
#include "survey/RunState.h"
#include "survey/SurveyOptions.h"
#include "survey/SurveyRow.h"
#include "survey/SurveySink.h"
#include "util/Result.h"

namespace trelmark::survey {

// One survey, from the drive lookup to the last Used%: the drive labels, the rows "ALL FILES" and ".", the
// size pass over the sub-directories and the share pass after it. SurveyEngine prepares the front end
// before and restores it after; this class does the measuring and hands the rows to the sink in between.
//
// Owns the run's folder object and rows; borrows the rest. Thread: the engine's. Errors: a lookup that
// fails ends the run without a message; a count, size, name or listing that fails ends it with the message
// box, unless a stop is pending, in which case the figure stays empty and the run stops at its next check.
class SurveyRun {
public:
    // `yield` gives the front end control at the run's fixed points; `yieldWhileWaiting` while a lookup
    // made aside has not answered, every few milliseconds: it keeps to the yield interval.
    SurveyRun(RunState& runState, SurveySink& sink, FolderTally& tally, const SurveyOptions& options,
              std::function<void()> yield, std::function<void()> yieldWhileWaiting);

    // Surveys `path` (raw bytes). Completed also when a stop ended the run: the engine knows of the stop.
    // The folder surveyed stays with this object (takeFolder), every other component object is released.
    [[nodiscard]] SurveyEnd perform(std::string_view path, bool countFiles);
    // Surveys a folder of a kept walk without looking anything up: the drive is the walk's, and `walkRoot`
    // says whether the folder is the one the walk's survey started from.
    [[nodiscard]] SurveyEnd revisit(fs::Folder& folder, const DriveFacts& drive, bool walkRoot,
                                    bool countFiles);

    // What the walk behind the rows reports while it runs: the rows grow from its running totals.
    void walkProgress(const fs::WalkProgress& progress);

    // After perform: the folder surveyed (holding its walk), and what was learnt of its drive.
    [[nodiscard]] std::unique_ptr<fs::Folder> takeFolder() noexcept { return std::move(m_folder); }
    [[nodiscard]] const DriveFacts& driveFacts() const noexcept { return m_drive; }

private:
    // What a step leaves for the next: go on, or end the run now.
    enum class Flow { Continue, End };

    [[nodiscard]] SurveyEnd surveyFolder();
    // What a lookup made aside does while it waits: yields, and gives up once a stop is pending.
    [[nodiscard]] std::function<bool()> waiting();
    // False when the drive cannot be looked up or read, or a stop came first.
    [[nodiscard]] bool writeDriveLabels();
    [[nodiscard]] Flow writeAllFilesRow();
    [[nodiscard]] Flow writeOwnFilesRow();
    [[nodiscard]] Flow sizePass();
    [[nodiscard]] Flow sizeRow(std::size_t index, fs::Folder& subFolder);
    void sharePass();

    // The drive's total size when `folder` is its root, nothing when it is not; an error when the drive or
    // its root cannot be read.
    [[nodiscard]] util::Result<std::optional<std::uint64_t>> driveRootSize(fs::Folder& folder);
    // The root rule for the surveyed directory, decided before its walk so that the growing rows show
    // what the finished ones will.
    void decideRootRule();
    // 0 also when the count cannot be read (the run then ends, with the message unless a stop is pending).
    [[nodiscard]] std::uint64_t subFolderCount();
    // Ends the run with a failure naming `path`, unless a stop is pending.
    [[nodiscard]] Flow failed(FailedStep step, std::string_view path, std::error_code error);
    // Counts below a folder: by path after a lookup, or from the folder itself when revisiting a walk.
    [[nodiscard]] bool countTree(std::string_view path, fs::Folder& folder, std::uint64_t& files,
                                 std::uint64_t& directories);
    // The same, except that once a stop is pending what the walk reached stands instead of a tally. True
    // when the counts are complete.
    [[nodiscard]] bool countBelow(std::string_view path, fs::Folder& folder, std::uint64_t& files,
                                  std::uint64_t& directories);
    // Row `index` for the sub-directory `name`: the growing row of that name, or a fresh one.
    [[nodiscard]] SurveyRow& subFolderRow(std::size_t index, std::string name);
    void writeCounts(std::size_t index, std::uint64_t files, std::uint64_t directories, bool complete);
    // Sets one figure of a row and tells the sink.
    template <typename Value>
    void write(std::size_t index, Column column, std::optional<Value> SurveyRow::*figure, Value value);

    RunState& m_runState;
    SurveySink& m_sink;
    FolderTally& m_tally;
    const SurveyOptions& m_options;
    DriveRules m_rules;
    std::function<void()> m_yield;
    std::function<void()> m_yieldWhileWaiting;

    bool m_countFiles = false;
    std::string m_surveyedPath;
    std::unique_ptr<fs::Folder> m_folder;  // looked up by perform
    fs::Folder* m_dir = nullptr;           // the folder surveyed: m_folder's, or a kept walk's
    bool m_revisit = false;
    bool m_walkRoot = false;
    DriveFacts m_drive;
    fs::Figure m_driveTotalSize;
    std::size_t m_subRows = 0;  // sub-directory rows the sink was sized for
    bool m_ownFilesSized = false;
    // The root rule as decided before the walk: why it could not be read, or the drive's size at a root.
    std::optional<std::error_code> m_rootRuleError;
    std::optional<std::uint64_t> m_rootSize;
    std::unique_ptr<GrowingRows> m_growing;
    fs::Figure m_sumSize;
    // ALL FILES, ".", then the sub-directories the size pass reached, whose names the share pass matches.
    std::vector<SurveyRow> m_rows;
    SurveyEnd m_end = SurveyEnd::Completed;
};

}  // namespace trelmark::survey
