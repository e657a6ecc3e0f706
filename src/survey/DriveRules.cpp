// SPDX-License-Identifier: MIT
#include "survey/DriveRules.h"

#include <algorithm>

namespace trelmark::survey {

namespace {

constexpr std::string_view kSystemVolumeInformation = ":\\System Volume Information";

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string DriveRules::driveSpec(std::string_view path) const {
    return m_style == util::PathStyle::Backslash ? util::GetPathRoot(path, m_style) : std::string(path);
}

bool DriveRules::samePath(std::string_view first, std::string_view second) const {
    if (m_style != util::PathStyle::Backslash) {
        return first == second;
    }
    return std::ranges::equal(first, second, [](char a, char b) { return upperAscii(a) == upperAscii(b); });
}

bool DriveRules::skipsMeasuring(std::string_view path) const {
    return m_style == util::PathStyle::Backslash &&
           path.find(kSystemVolumeInformation) != std::string_view::npos;
}

}  // namespace trelmark::survey
