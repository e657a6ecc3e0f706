// SPDX-License-Identifier: MIT
#include "fs/OpenPath.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace trelmark::fs {

util::UniqueFd openPath(std::string_view absolutePath, int flags) noexcept {
    try {
        if (absolutePath.size() < PATH_MAX) {
            return util::UniqueFd(::open(std::string(absolutePath).c_str(), flags | O_CLOEXEC));
        }
        util::UniqueFd current(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        std::string_view rest = absolutePath;
        while (current && !rest.empty()) {
            const auto slash = rest.find('/');
            const std::string component(rest.substr(0, slash));
            rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
            if (component.empty()) {
                continue;
            }
            const bool last = rest.find_first_not_of('/') == std::string_view::npos;
            current.reset(::openat(current.get(), component.c_str(),
                                   last ? flags | O_CLOEXEC : O_PATH | O_DIRECTORY | O_CLOEXEC));
        }
        return current;
    } catch (...) {
        errno = ENOMEM;
        return {};
    }
}

std::string canonicalPath(int descriptor) {
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size() || path.front() != '/') {
        return {};
    }
    path.resize(static_cast<std::size_t>(length));
    return path;
}

}  // namespace trelmark::fs
