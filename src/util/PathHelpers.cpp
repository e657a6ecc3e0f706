// SPDX-License-Identifier: MIT
#include "util/PathHelpers.h"

#include "util/Utf8.h"

namespace trelmark::util {

namespace {

constexpr char separatorOf(PathStyle style) noexcept {
    return style == PathStyle::Backslash ? '\\' : '/';
}

bool endsWith(std::string_view text, char c) noexcept {
    return !text.empty() && text.back() == c;
}

std::string networkRoot(std::string_view path) {
    // "\\" then the server up to the next "\", then the share up to the one after it.
    const std::size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string_view::npos || serverEnd < 3) {
        return {};
    }
    const std::size_t shareEnd = path.find('\\', serverEnd + 1);
    return std::string(path.substr(0, shareEnd));
}

}  // namespace

std::string GetParentPath(std::string_view path, PathStyle style) {
    const std::size_t last = path.rfind(separatorOf(style));
    if (last == std::string_view::npos) {
        return {};
    }
    if (style == PathStyle::Posix && last == 0) {
        return "/";
    }
    return std::string(path.substr(0, last));
}

std::string GetPathRoot(std::string_view path, PathStyle style) {
    if (style == PathStyle::Posix) {
        return path.starts_with('/') ? "/" : "";
    }
    if (path.starts_with("\\\\")) {
        return networkRoot(path);
    }
    return std::string(path.substr(0, utf8PrefixLength(path, 2)));
}

std::string JoinPath(std::string_view directory, std::string_view name, bool trailing, PathStyle style) {
    const char separator = separatorOf(style);
    const bool keepsRoot = style == PathStyle::Posix && directory == "/";
    if (endsWith(directory, separator) && !keepsRoot) {
        directory.remove_suffix(1);
    }
    if (endsWith(name, separator)) {
        name.remove_suffix(1);
    }
    if (name.starts_with(separator)) {
        name.remove_prefix(1);
    }
    std::string joined(directory);
    if ((!name.empty() || trailing) && !keepsRoot) {
        joined += separator;
    }
    joined += name;
    return joined;
}

std::string normalizePosixPath(std::string_view path, std::string_view currentDirectory) {
    std::string combined;
    if (!path.starts_with('/')) {
        combined.append(currentDirectory).append("/");
    }
    combined.append(path);

    std::string normalized;
    std::string_view rest = combined;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view component = rest.substr(0, slash);
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
        if (component.empty() || component == ".") {
            continue;
        }
        normalized.append("/").append(component);
    }
    return normalized.empty() ? "/" : normalized;
}

}  // namespace trelmark::util
