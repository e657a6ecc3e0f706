#pragma once

#include <chrono>
#include <functional>

#include "survey/ProgramState.h"
#include "survey/SurveyOptions.h"
#include "survey/SurveyView.h"

namespace trelmark::survey {

// The check / stop / exit command of the main window, for every front end: button 1 runs a survey of the
// view's directory and fills the view's labels and grid; button 0 stops a running survey, or quits when none
// runs. A run happens inside the click, on the caller's thread, and yields to the front end through the view
// while it works (also while the component walks the tree), so that a click on button 0, arriving inside a
// yield, can set `flagCancel`.
//
// Owns nothing: the program state, the view and the quit callback belong to the front end and must outlive
// the engine; `fsoSystem` must not be replaced during a run. Thread: the front end's one thread. Errors: none
// escape; a drive or folder that cannot be looked up ends a run silently (the view hears of it through
// lookupFailed), a directory that cannot be counted or measured ends it with a message box.
//
// To close the window during a run, set `flagCancel` (as button 0 does) and keep the view alive until the
// click that runs the survey has returned: the run ends at its next check, cleanly.
class SurveyEngine {
public:
    SurveyEngine(ProgramState& state, SurveyView& view, std::function<void()> quitApplication,
                 SurveyOptions options = {});
    SurveyEngine(const SurveyEngine&) = delete;
    SurveyEngine& operator=(const SurveyEngine&) = delete;

    // 0: the exit button; 1: the check button. A click on button 1 while a run is under way (which the
    // window prevents by disabling it) is ignored, as is any other index.
    void cmdMain_Click(int index);

    // A run is under way: the engine is inside cmdMain_Click(1), however the flags stand.
    [[nodiscard]] bool running() const noexcept { return m_running; }
    [[nodiscard]] const SurveyOptions& options() const noexcept { return m_options; }

private:
    void run();
    void yieldNow();
    void yieldSoon();

    ProgramState& m_state;
    SurveyView& m_view;
    std::function<void()> m_quitApplication;
    SurveyOptions m_options;
    bool m_running = false;
    std::chrono::steady_clock::time_point m_lastYield;
};

}  // namespace trelmark::survey
