// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "util/PathHelpers.h"

namespace trelmark::survey {

// The drive rules of a path style. The backslash style keeps the rules of drive letters: a drive is looked up
// by its root ("C:\"), paths compare without regard to ASCII case, and a directory below
// ":\System Volume Information" is shown as empty, never measured. The POSIX style has none of them: the
// drive is the mount that holds the path itself, paths compare byte for byte, and no directory is special. A
// plain value; every call is pure.
class DriveRules {
public:
    explicit DriveRules(util::PathStyle style) noexcept : m_style(style) {}

    // What the drive of `path` is looked up by.
    [[nodiscard]] std::string driveSpec(std::string_view path) const;
    // Whether two paths name the same directory, as the style compares them.
    [[nodiscard]] bool samePath(std::string_view first, std::string_view second) const;
    // Whether a directory is shown with no bytes instead of being measured.
    [[nodiscard]] bool skipsMeasuring(std::string_view path) const;

private:
    util::PathStyle m_style;
};

}  // namespace trelmark::survey
