// SPDX-License-Identifier: MIT
#include "ui/PathResolution.h"

#include <cstdlib>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

#include "util/PathHelpers.h"

namespace trelmark::ui {

namespace {

std::optional<std::string> realPath(const std::string& raw) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(raw.c_str(), nullptr), &std::free);
    if (!real) {
        return std::nullopt;
    }
    return std::string(real.get());
}

}  // namespace

std::optional<std::string> canonicalDirectory(const std::string& raw) {
    if (raw.empty()) {
        return std::nullopt;
    }
    auto real = realPath(raw);
    struct stat info {};
    if (!real || ::stat(real->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    return real;
}

std::optional<std::string> absolutePath(const std::string& raw) {
    if (raw.empty()) {
        return std::nullopt;
    }
    if (auto real = realPath(raw)) {
        return real;
    }
    return util::normalizePosixPath(raw, processDirectory());
}

std::string processDirectory() {
    const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string("/");
}

}  // namespace trelmark::ui
