// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "fs/FileSystem.h"

namespace trelmark::survey {

// The program-wide state through which the window, the survey and the tally talk to each other.
// Thread: the program's one front-end thread.
struct ProgramState {
    // Written only by the engine's RunState (SurveyEngine::run and stop); everyone else reads them.
    bool flagRunning = false;  // a survey is in progress
    bool flagCancel = false;   // the user asked to stop the running survey
    std::string pathStart;     // the directory the window opens with, raw bytes
    std::unique_ptr<fs::FileSystem> fsoSystem;
};

}  // namespace trelmark::survey
