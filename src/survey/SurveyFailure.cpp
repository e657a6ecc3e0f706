// SPDX-License-Identifier: MIT
#include "survey/SurveyFailure.h"

#include "util/DisplayName.h"

namespace trelmark::survey {

namespace {

std::string_view stepText(FailedStep step) {
    switch (step) {
        case FailedStep::SubDirectories:
            return "cannot list the sub-directories of ";
        case FailedStep::Files:
            return "cannot list the files of ";
        case FailedStep::Size:
            return "cannot measure ";
        case FailedStep::Count:
            return "cannot count the files below ";
        case FailedStep::Drive:
            break;
    }
    return "cannot read the drive of ";
}

}  // namespace

std::string describeFailure(const SurveyFailure& failure) {
    std::string text(stepText(failure.step));
    text += util::displayName(failure.path);
    text += ": ";
    text += failure.error ? failure.error.message() : std::string("unknown error");
    return text;
}

}  // namespace trelmark::survey
