// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fs/Figure.h"
#include "survey/SurveyRow.h"

namespace trelmark::survey {

// The two number formats of every figure the program shows, and the share rule.
// Free functions without state; any thread; they never fail. The grouping character is always "," and the
// decimal point always ".", whatever the locale: the figures read the same on every machine and in every
// log that quotes them.

// "##,#0": digits grouped by three with ",", at least one digit. 1000000 gives "1,000,000", 0 gives "0".
[[nodiscard]] std::string formatCount(std::uint64_t count);

// "##,#0.#0 %": the share times 100, rounded to two decimal places, integer digits grouped, then " %".
// 0.123456 gives "12.35 %". Two decimal places always, also when both are zero: 0 gives "0.00 %", 1 gives
// "100.00 %", 0.99999 gives "100.00 %". A negative or non-finite share (which shareOf never makes) gives
// "0.00 %".
[[nodiscard]] std::string formatShare(double share);

// part / whole in double precision; 0 when whole is 0, so no division by zero can happen.
[[nodiscard]] double shareOf(std::uint64_t part, std::uint64_t whole) noexcept;

// The suffix of a figure that is only a lower bound: part of the tree could not be read, or the run was
// stopped before the figure was reached. A share computed from such a figure carries it too.
inline constexpr std::string_view kIncompleteMark = "+";

// A byte or entry count in the count format, "1,234+" when incomplete.
[[nodiscard]] std::string formatFigure(fs::Figure figure);
// A share in the share format, "12.35 %+" when incomplete.
[[nodiscard]] std::string formatShare(Share share);
// The share of `part` in `whole`; incomplete when either figure is.
[[nodiscard]] Share shareBetween(fs::Figure part, fs::Figure whole) noexcept;

}  // namespace trelmark::survey
