// SPDX-License-Identifier: MIT
// The path helpers on arbitrary text in both styles: they only cut and join, so every result is made of the
// input's own pieces, and a join adds no doubled separator of its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "util/PathHelpers.h"
#include "util/Utf8.h"

namespace {

using trelmark::fuzz::check;
using trelmark::util::GetParentPath;
using trelmark::util::GetPathRoot;
using trelmark::util::JoinPath;
using trelmark::util::normalizePosixPath;
using trelmark::util::PathStyle;

bool hasDoubled(std::string_view text, char separator) {
    const char doubled[] = {separator, separator};
    return text.find(std::string_view(doubled, 2)) != std::string_view::npos;
}

void checkCutting(std::string_view path, PathStyle style) {
    const std::string parent = GetParentPath(path, style);
    check(path.starts_with(parent), "GetParentPath gives a prefix", path, parent);
    check(parent.size() < path.size() || path.empty() || (style == PathStyle::Posix && parent == "/"),
          "GetParentPath gives something shorter", path, parent);
    const std::string root = GetPathRoot(path, style);
    check(path.starts_with(root), "GetPathRoot gives a prefix", path, root);
    if (style == PathStyle::Posix) {
        check(root == (path.starts_with('/') ? "/" : ""), "a Posix root is / or nothing", path, root);
    } else if (!path.starts_with("\\\\")) {
        check(trelmark::util::utf8PrefixLength(root, 2) == root.size(),
              "a drive root is at most two characters", path, root);
    }
}

void checkJoining(std::string_view directory, std::string_view name, bool trailing, PathStyle style) {
    const char separator = style == PathStyle::Backslash ? '\\' : '/';
    const std::string joined = JoinPath(directory, name, trailing, style);
    const std::string input = std::string(directory) + " + " + std::string(name);

    std::string_view head = directory;
    if (head.ends_with(separator) && !(style == PathStyle::Posix && head == "/")) {
        head.remove_suffix(1);
    }
    std::string_view tail = name;
    if (tail.ends_with(separator)) {
        tail.remove_suffix(1);
    }
    if (tail.starts_with(separator)) {
        tail.remove_prefix(1);
    }
    check(joined.starts_with(head), "the join starts with the directory", input, joined);
    check(joined.ends_with(tail), "the join ends with the name", input, joined);
    check(joined.size() <= head.size() + 1 + tail.size(), "the join adds at most one separator", input,
          joined);
    if (!hasDoubled(directory, separator) && !hasDoubled(name, separator)) {
        check(!hasDoubled(joined, separator), "the join doubles no separator", input, joined);
    }
    if (!tail.empty() && tail.find(separator) == std::string_view::npos) {
        const std::string expected = style == PathStyle::Posix && head.empty() ? "/" : std::string(head);
        check(GetParentPath(joined, style) == expected, "the parent of a join is its directory", input,
              joined);
    }
}

void checkNormalising(std::string_view path, std::string_view current) {
    const std::string normalized = normalizePosixPath(path, current);
    const std::string input = std::string(path) + " in " + std::string(current);
    check(normalized.starts_with('/'), "a normalised path is absolute", input, normalized);
    check(!hasDoubled(normalized, '/'), "a normalised path has no doubled /", input, normalized);
    check(normalized == "/" || !normalized.ends_with('/'), "a normalised path has no trailing /", input,
          normalized);
    check(normalized.find("/./") == std::string::npos && !normalized.ends_with("/."),
          "a normalised path has no . component", input, normalized);
    check(normalizePosixPath(normalized, "/elsewhere") == normalized, "normalising is idempotent", input,
          normalized);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trelmark::fuzz::FuzzInput input(data, size);
    const auto flags = input.take<std::uint8_t>();
    const bool trailing = (flags & 1) != 0;
    const std::string_view first = input.piece();
    const std::string_view second = input.rest();
    for (const PathStyle style : {PathStyle::Backslash, PathStyle::Posix}) {
        checkCutting(first, style);
        checkCutting(second, style);
        checkJoining(first, second, trailing, style);
    }
    checkNormalising(first, second);
    return 0;
}
