// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace trelmark::app {

// The directory the window opens with: the command line's argument text, the arguments joined by single
// spaces, when it is not blank once trimmed of spaces, kept exactly as given (surrounding spaces, quotes,
// several words as one string); otherwise the directory of the program's executable. Not checked against
// the file system here: the window meets an unusable one. Any thread; never fails.
[[nodiscard]] std::string startDirectory(const std::vector<std::string>& arguments,
                                         const std::string& programDirectory);

// The directory that holds the running executable, raw bytes; "." when it cannot be found.
[[nodiscard]] std::string executableDirectory();

}  // namespace trelmark::app
