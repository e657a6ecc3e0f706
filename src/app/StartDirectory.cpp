// SPDX-License-Identifier: MIT
#include "app/StartDirectory.h"

#include <climits>

#include <unistd.h>

#include "util/PathHelpers.h"

namespace trelmark::app {

std::string startDirectory(const std::vector<std::string>& arguments, const std::string& programDirectory) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (&argument != &arguments.front()) {
            text += ' ';
        }
        text += argument;
    }
    if (text.find_first_not_of(' ') == std::string::npos) {
        return programDirectory;
    }
    return text;
}

std::string executableDirectory() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) {
        return ".";
    }
    path.resize(static_cast<std::size_t>(length));
    return util::GetParentPath(path, util::PathStyle::Posix);
}

}  // namespace trelmark::app
