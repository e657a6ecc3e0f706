// SPDX-License-Identifier: MIT
// The count and share formats on any 64-bit count and any double, NaN, infinities, negatives and
// subnormals included: the text is always well formed, reads back as the number, and says "+" exactly when
// the figure is a lower bound.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "survey/NumberFormat.h"

namespace {

using trelmark::fuzz::check;
namespace survey = trelmark::survey;

// "d", "dd" or "ddd", then groups of ",ddd"; returns the digits without the commas, or "" when malformed.
std::string ungroup(std::string_view text) {
    std::string digits;
    const std::size_t lead = text.size() % 4 == 0 ? 0 : text.size() % 4;
    if (lead == 0 || text.empty()) {
        return {};
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool comma = i >= lead && (i - lead) % 4 == 0;
        if (comma ? text[i] != ',' : (text[i] < '0' || text[i] > '9')) {
            return {};
        }
        if (!comma) {
            digits += text[i];
        }
    }
    return digits.size() > 1 && digits[0] == '0' ? std::string() : digits;
}

void checkCount(std::uint64_t count) {
    const std::string text = survey::formatCount(count);
    check(ungroup(text) == std::to_string(count), "a count reads back as its number", std::to_string(count),
          text);
}

void checkShare(double share) {
    const std::string input = std::to_string(share);
    const std::string text = survey::formatShare(share);
    check(text.ends_with(" %"), "a share ends in \" %\"", input, text);
    const std::string_view number = std::string_view(text).substr(0, text.size() - 2);
    const std::size_t point = number.find('.');
    check(point != std::string_view::npos && number.size() - point == 3, "a share has two decimals", input,
          text);
    const std::string digits = ungroup(number.substr(0, point));
    check(!digits.empty(), "a share's integer part is grouped digits", input, text);
    const std::string_view decimals = number.substr(point + 1);
    check(decimals.find_first_not_of("0123456789") == std::string_view::npos, "decimals are digits", input,
          text);
    const double shown = std::stod(digits + "." + std::string(decimals));
    const double percent = share * 100.0;
    if (!std::isfinite(percent) || !(percent > 0.0)) {
        check(text == "0.00 %", "no share, a negative one or a non-finite one shows 0.00 %", input, text);
    } else {
        check(std::fabs(shown - percent) <= 0.005 + percent * 1e-12, "a share shows its percentage rounded",
              input, text);
    }
}

void checkCells(std::uint64_t part, std::uint64_t whole, std::uint8_t flags) {
    const trelmark::fs::Figure partFigure{part, (flags & 1) != 0};
    const trelmark::fs::Figure wholeFigure{whole, (flags & 2) != 0};
    const std::string input = std::to_string(part) + " of " + std::to_string(whole);
    const double share = survey::shareOf(part, whole);
    check(share >= 0.0 && std::isfinite(share), "shareOf is finite and not negative", input);
    if (part <= whole) {
        check(share <= 1.0, "a part of a whole is at most all of it", input);
    }
    const std::string count = survey::formatFigure(partFigure);
    check(count.ends_with(survey::kIncompleteMark) == !partFigure.complete,
          "a count is marked exactly when it is a lower bound", input, count);
    const std::string cell = survey::formatShare(survey::shareBetween(partFigure, wholeFigure));
    check(cell.ends_with(survey::kIncompleteMark) == !(partFigure.complete && wholeFigure.complete),
          "a share is marked exactly when either figure is a lower bound", input, cell);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trelmark::fuzz::FuzzInput input(data, size);
    const auto count = input.take<std::uint64_t>();
    const auto share = input.take<double>();
    const auto whole = input.take<std::uint64_t>();
    const auto flags = input.take<std::uint8_t>();
    checkCount(count);
    checkShare(share);
    checkShare(survey::shareOf(count, whole));
    checkCells(count, whole, flags);
    return 0;
}
