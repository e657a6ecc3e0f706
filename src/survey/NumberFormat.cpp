// SPDX-License-Identifier: MIT
#include "survey/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace trelmark::survey {

namespace {

// Inserts "," between groups of three digits, counted from the right.
std::string groupDigits(std::string_view digits) {
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace

std::string formatCount(std::uint64_t count) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), count);
    return groupDigits(std::string_view(digits, result.ptr));
}

std::string formatShare(double share) {
    // A share is at most 2^64 (a byte count over a denominator of at least 1), so the percentage has at
    // most 22 integer digits; the buffer leaves room for anything finite all the same.
    double percent = share * 100.0;
    if (!std::isfinite(percent) || !(percent > 0.0)) {
        percent = 0.0;
    }
    char text[400];
    // to_chars rounds the exact binary value and never looks at the locale, unlike printf.
    const auto result = std::to_chars(std::begin(text), std::end(text), percent, std::chars_format::fixed, 2);
    if (result.ec != std::errc{}) {
        return "0.00 %";
    }
    const std::string_view fixed(text, result.ptr);
    const std::size_t point = fixed.find('.');
    return groupDigits(fixed.substr(0, point)) + std::string(fixed.substr(point)) + " %";
}

double shareOf(std::uint64_t part, std::uint64_t whole) noexcept {
    double share = 0.0;
    if (whole > 0) {
        share = static_cast<double>(part) / static_cast<double>(whole);
    }
    return share;
}

std::string formatFigure(fs::Figure figure) {
    std::string text = formatCount(figure.value);
    if (!figure.complete) {
        text += kIncompleteMark;
    }
    return text;
}

std::string formatShare(Share share) {
    std::string text = formatShare(share.value);
    if (!share.complete) {
        text += kIncompleteMark;
    }
    return text;
}

Share shareBetween(fs::Figure part, fs::Figure whole) noexcept {
    return Share{shareOf(part.value, whole.value), part.complete && whole.complete};
}

}  // namespace trelmark::survey
