// SPDX-License-Identifier: MIT
#pragma once

// How a survey speaks to a front end. One run (SurveyEngine::run) makes these calls on the caller's thread,
// in this order, and no others:
//
//   * yield() at any point from the first to the last call: the front end answers its own events there, and a
//     stop (SurveyEngine::stop) may arrive only inside it; walkProgress() follows the yields of a walk.
//   * driveFigures() once. When the drive cannot be looked up, lookupFailed(Drive) comes instead and the run
//     goes straight to surveyEnded().
//   * lookupFailed(Folder) when the directory cannot be found, then surveyEnded(); the rows of an earlier
//     run are still the ones on show. Otherwise clearRows() once, then setRowCount() once the sub-directories
//     are counted (ALL FILES and "." included), then rowChanged() each time a figure of a row becomes known:
//     row 0 is ALL FILES, row 1 ".", rows 2 onwards the sub-directories in the component's order. Each call
//     names the one column that changed and hands the whole row as it now stands.
//   * While the walk runs, the rows grow: as soon as the surveyed directory is listed, setRowCount() and
//     every row's name and figures, marked incomplete (lower bounds) until the row's subtree is done; then,
//     inside the walk's reports and at most a few times a second, rowChanged() for the figures that changed.
//     A walk too quick to report has no growing rows.
//   * Once the walk is done, the rows are written in the order of a run whose walk did not report: row 0,
//     row 1, each sub-directory (columns name, size, total share, files, dirs), then the share pass adding
//     the used shares. A row keeps what the walk learnt until the run writes it anew; a growing row whose
//     directory vanished before the end is emptied; setRowCount() comes again only when the finished walk
//     counts another number of sub-directories.
//   * currentDirectory() before the rows of each directory are worked on, and once with an empty path at the
//   end.
//   * failed() at most once; the run ends right after it, with the rows written so far.
//   * surveyProblems() when the engine was asked for them (SurveyOptions::problemLimit).
//   * surveyTree() once the surveyed directory's tree was walked, whether the run completed or not.
//   * surveyEnded() last, exactly once per run.
//
// A stop never skips a call that was due, and once the surveyed directory was listed every row is written
// with what the walk learnt of it, marked where incomplete; only the share pass ends at the stop (the used
// share of "." is written, those of the sub-directories are not). A failure ends the run with the rows as
// they stand: the figures the walk measured stay.

#include <string_view>
#include <system_error>
#include <vector>

#include "fs/Figure.h"
#include "fs/Problem.h"
#include "fs/WalkProgress.h"
#include "fs/WalkedTree.h"
#include "survey/SurveyFailure.h"
#include "survey/SurveyRow.h"

namespace trelmark::survey {

// Which lookup of a run failed.
enum class LookupStep { Drive, Folder };

// How a run ended.
enum class SurveyEnd {
    Completed,  // every row reached (marked figures may still be lower bounds: see surveyProblems)
    Stopped,    // stop() ended it; the rows reached are kept
    Failed,     // failed() said why
    NotFound,   // lookupFailed() said why
};

// The results of a survey, as every front end receives them: the window, the report tool and the tests'
// recording fake implement it. Thread: the engine's one thread. Texts are UTF-8, paths raw bytes.
class SurveySink {
public:
    virtual ~SurveySink() = default;

    // The drive holding the surveyed directory: its total size and its available space.
    virtual void driveFigures(fs::Figure total, fs::Figure available) = 0;
    // No rows: the grid is back to its header and one empty row.
    virtual void clearRows() = 0;
    // The number of rows below the header.
    virtual void setRowCount(int rows) = 0;
    // `column` of row `index` now shows `row.text(column)`.
    virtual void rowChanged(int index, const SurveyRow& row, Column column) = 0;

    // Processes the front end's pending events; a stop may arrive here.
    virtual void yield() = 0;
    // The run ends on a directory that could not be measured: which, what was being read, and the error.
    virtual void failed(const SurveyFailure& failure) = 0;
    virtual void lookupFailed(LookupStep step, std::string_view path, std::error_code error) = 0;

    // Optional notes for front ends that show more than the grid.
    virtual void walkProgress(const fs::WalkProgress& progress) { static_cast<void>(progress); }
    virtual void currentDirectory(std::string_view path) { static_cast<void>(path); }
    // The directories below the surveyed one that could not be read completely.
    virtual void surveyProblems(const std::vector<fs::Problem>& problems) { static_cast<void>(problems); }
    // The walk behind the rows, to read the tree below the surveyed directory without a second walk.
    // Keeping it keeps the snapshot alive, and later lookups inside it are answered from it.
    virtual void surveyTree(const fs::WalkedTree& tree) { static_cast<void>(tree); }
    virtual void surveyEnded(SurveyEnd end) { static_cast<void>(end); }
};

}  // namespace trelmark::survey
