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
    // The shortest decimal that reads back as the same double, never the locale's: the digits a person
    // would write for it. Rounded to two places by hand, an exact half up (97 of 800 bytes: "12.13 %").
    const auto result = std::to_chars(std::begin(text), std::end(text), percent, std::chars_format::fixed);
    if (result.ec != std::errc{}) {
        return "0.00 %";
    }
    const std::string_view fixed(text, result.ptr);
    const std::size_t point = std::min(fixed.find('.'), fixed.size());
    std::string digits(fixed.substr(0, point));
    std::string fraction(point < fixed.size() ? fixed.substr(point + 1) : std::string_view());
    fraction.resize(std::max<std::size_t>(fraction.size(), 3), '0');
    digits += fraction.substr(0, 2);
    if (fraction[2] >= '5') {
        // Carry the rounding up through the digits; "99.995" becomes "100.00".
        std::size_t at = digits.size();
        while (at > 0 && digits[at - 1] == '9') {
            digits[--at] = '0';
        }
        if (at == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[at - 1];
        }
    }
    const std::string whole = digits.substr(0, digits.size() - 2);
    return groupDigits(whole) + "." + digits.substr(digits.size() - 2) + " %";
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
