// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <system_error>

namespace trelmark::survey {

// What the survey was reading when a directory could not be measured.
enum class FailedStep {
    SubDirectories,  // listing or counting the sub-directories
    Files,           // listing the directory's own files or summing their sizes
    Size,            // the size of the tree below the directory
    Count,           // counting the files and directories below it
    Drive,           // its drive, to tell whether it is the drive's root
};

// The directory that ended a run, and why. Each front end words it in its own language: the window in its
// message box, the report tool on stderr. A plain value.
struct SurveyFailure {
    FailedStep step = FailedStep::Size;
    std::string path;  // raw bytes
    std::error_code error;
};

// "cannot list the sub-directories of /data/a: Permission denied": English, the path as display text.
[[nodiscard]] std::string describeFailure(const SurveyFailure& failure);

}  // namespace trelmark::survey
