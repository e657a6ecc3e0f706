// SPDX-License-Identifier: MIT
#pragma once

#include "survey/ProgramState.h"

namespace trelmark::survey {

// The one run state of the program: `flagRunning` and `flagCancel` of the program state, which the window
// and the tally read and only this class writes. The engine owns it and lends it to its run.
// Thread: the engine's. Never fails.
class RunState {
public:
    explicit RunState(ProgramState& state) noexcept : m_state(state) {}

    [[nodiscard]] bool running() const noexcept { return m_state.flagRunning; }
    [[nodiscard]] bool stopPending() const noexcept { return m_state.flagCancel; }
    // Whether stop() was asked during the current (or last) run, even when a pass has since taken the stop.
    [[nodiscard]] bool stopped() const noexcept { return m_stopped; }

    // A run begins: any stop left over from an earlier run is dropped.
    void begin() noexcept {
        m_state.flagRunning = true;
        m_state.flagCancel = false;
        m_stopped = false;
    }
    // Asks the run under way to stop at its next check; nothing when none runs.
    void stop() noexcept {
        if (m_state.flagRunning) {
            m_state.flagCancel = true;
            m_stopped = true;
        }
    }
    // The share pass has acted on a stop: later checks of this run go on. A stop that no pass took stays
    // pending until the next run begins.
    void takeStop() noexcept { m_state.flagCancel = false; }
    void end() noexcept { m_state.flagRunning = false; }

private:
    ProgramState& m_state;
    bool m_stopped = false;
};

}  // namespace trelmark::survey
