// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>

#include "util/PathHelpers.h"

namespace trelmark::survey {

// How an engine is set up for its front end.
struct SurveyOptions {
    // The path style of the directories surveyed. Posix on Linux: the drive is the mount that holds the
    // directory itself, and paths compare exactly. Backslash: the drive is taken from the path's root, paths
    // compare without regard to case, and a drive's "System Volume Information" is never measured.
    util::PathStyle pathStyle = util::PathStyle::Native;
    // The shortest time between two yields that may be skipped (those inside a walk and a tally); the
    // yields before each sub-directory of a run are never skipped. Zero yields at every chance.
    std::chrono::milliseconds yieldInterval{10};
    // How many directories that could not be read completely a run hands to the view at its end; zero asks
    // for none.
    std::size_t problemLimit = 0;
    // The shortest time between two updates of the rows while a walk runs (the first comes as soon as the
    // surveyed directory is listed). Zero updates at every report of the walk.
    std::chrono::milliseconds rowInterval{250};
};

// What one run is asked for, beside its directory.
struct RunOptions {
    // Count the files and directories below each row (the window's "ファイル数を数える").
    bool countFiles = false;
};

}  // namespace trelmark::survey
