// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "survey/KeptWalk.h"
#include "survey/ProgramState.h"
#include "survey/RunState.h"
#include "survey/SurveyControls.h"
#include "survey/SurveyOptions.h"
#include "survey/SurveySink.h"

namespace trelmark::survey {

class SurveyRun;

// The survey engine of every front end: run() surveys one directory and hands its drive figures and rows to
// the sink (SurveySink.h states the order); stop() asks the run under way to end early. A run happens inside
// run(), on the caller's thread, and yields to the front end through the sink while it works (also while the
// component walks the tree): stop() arrives inside such a yield.
//
// Owns the run state (RunState: `flagRunning`, `flagCancel`); the program state, the sink and the controls
// belong to the front end and must outlive the engine; `fsoSystem` must not be replaced during a run.
// Thread: the front end's one thread. Errors: none escape; a drive or folder that cannot be looked up ends a
// run through lookupFailed, a directory that cannot be counted or measured through failed.
//
// A run that completes keeps its directory and the walk behind it (KeptWalk) until the next run() begins:
// revisit() surveys any directory inside that walk from memory, without I/O.
//
// To close a window during a run, call stop() and keep the sink alive until run() has returned.
class SurveyEngine {
public:
    // `controls` is the window's; front ends without such controls pass none.
    SurveyEngine(ProgramState& state, SurveySink& sink, SurveyOptions options = {},
                 SurveyControls* controls = nullptr);
    SurveyEngine(const SurveyEngine&) = delete;
    SurveyEngine& operator=(const SurveyEngine&) = delete;

    // Surveys `path` (raw bytes) and returns when the run has ended. Ignored while a run is under way (a call
    // from inside one of its yields).
    void run(std::string_view path, RunOptions options);
    // Asks the run under way to stop at its next check; nothing when none runs.
    void stop() noexcept { m_runState.stop(); }

    enum class Revisit {
        Shown,        // the run happened, from the kept walk
        OutsideWalk,  // no kept walk holds `path`: only run() can survey it
        Busy,         // a run is under way
    };
    // Surveys `path` (raw bytes, as the component names it) from the last completed run's walk, with the
    // same calls to the sink as run() and no lookup, walk or listing of the file system. Its yields keep to
    // the yield interval throughout: it reads only memory.
    Revisit revisit(std::string_view path, RunOptions options);
    // A kept walk holds `path` (by its text; a directory the walk could not list is not known until
    // revisited).
    [[nodiscard]] bool walkHolds(std::string_view path) const noexcept;
    // When the kept walk's survey began; empty when no walk is kept.
    [[nodiscard]] std::optional<std::chrono::system_clock::time_point> walkTime() const noexcept;
    // The last completed run's directory and walk, or nullptr; valid until the next run() begins.
    [[nodiscard]] const KeptWalk* keptWalk() const noexcept { return m_kept.get(); }

    // A run is under way: the engine is inside run().
    [[nodiscard]] bool running() const noexcept { return m_runState.running(); }
    [[nodiscard]] const SurveyOptions& options() const noexcept { return m_options; }

private:
    // Everything around one run: run state, controls, the progress handler, the sink's last calls.
    // `throttled`: even the yields before each sub-directory keep to the yield interval.
    void execute(const std::function<SurveyEnd(SurveyRun&)>& perform, bool throttled);
    void setControls(bool running);
    void yieldNow();
    void yieldSoon();

    RunState m_runState;
    ProgramState& m_state;
    SurveySink& m_sink;
    SurveyControls* m_controls;
    SurveyOptions m_options;
    std::chrono::steady_clock::time_point m_lastYield;
    std::unique_ptr<KeptWalk> m_kept;
};

}  // namespace trelmark::survey
