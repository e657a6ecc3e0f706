// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace trelmark::test {

// Walks `directory` (absolute, canonical) as a survey does and keeps it in the survey file `file`, as a
// later comparison or opening reads it. Fails the calling test where the walk or the save fails.
void keepSurvey(const std::string& directory, const std::string& file);

}  // namespace trelmark::test
