// SPDX-License-Identifier: MIT
#pragma once

namespace trelmark::survey {

// The window's own controls, which a run switches while it lasts; only the window implements this, the
// report tool has no such controls. Thread: the engine's. Calls never fail.
//
// A run calls, in this order: EnableControls(false), setExitButtonStops(true), then (after its first yield)
// setBusyPointer(true); and at its end EnableControls(true), setExitButtonStops(false),
// setBusyPointer(false).
class SurveyControls {
public:
    virtual ~SurveyControls() = default;

    // Switches the inputs and the check button on or off; the exit button and the grid stay usable.
    virtual void EnableControls(bool enabled) = 0;
    // While a run lasts, the exit button stops it and says so.
    virtual void setExitButtonStops(bool stops) = 0;
    virtual void setBusyPointer(bool busy) = 0;
};

}  // namespace trelmark::survey
